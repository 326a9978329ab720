// Skin files: section and key lookups, colours, the current-skin rule and the validator.
#include "core/SkinFile.h"

#include "CoreTestSupport.h"
#include "core/RegistryKey.h"
#include "platform/ui/DeviceUi.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using coretest::InProgramFolder;
using coretest::MakeFolder;
using coretest::WriteFile;

TEST(SkinLookup, SectionsStopAtTheirClosingMark) {
    CString text(L"[Clocks]\r\nBP@\\clk.jpg\r\nCMDC@255000000\r\n>\r\n[Map]\r\nBP@\\map.jpg\r\n>\r\n*\r\n");
    CString clocks = GetSkinSection(text, L"Clocks");
    EXPECT_EQ(clocks, L"[Clocks]\r\nBP@\\clk.jpg\r\nCMDC@255000000\r\n");
    EXPECT_EQ(GetSkinValue(clocks, L"BP"), L"\\clk.jpg");
    EXPECT_EQ(GetSkinValue(GetSkinSection(text, L"Map"), L"BP"), L"\\map.jpg");
    EXPECT_EQ(GetSkinValue(clocks, L"CMDC"), L"255000000");
    EXPECT_EQ(GetSkinValue(clocks, L"CMD"), NotFoundMarker);
    EXPECT_EQ(GetSkinValue(clocks, L"cmdc"), NotFoundMarker); // letter case counts
}

TEST(SkinLookup, MissingSectionsAndKeysGiveTheMarker) {
    CString text(L"[General]\r\nTBC@1\r\n>\r\n*");
    CString missing = GetSkinSection(text, L"Weather");
    EXPECT_EQ(missing, L"!.!");
    EXPECT_EQ(GetSkinValue(missing, L"BP"), L"!.!");
    EXPECT_EQ(GetSkinSection(CString(), L"General"), L"!.!");
    EXPECT_EQ(GetSkinValue(CString(), L"TBC"), L"!.!");
}

TEST(SkinLookup, SectionEndFallsBackToStarThenToNothing) {
    EXPECT_EQ(GetSkinSection(L"[A]\r\nK@1\r\n*\r\n[B]", L"A"), L"[A]\r\nK@1\r\n");
    EXPECT_EQ(GetSkinSection(L"[A]\r\nK@1\r\n", L"A"), L"");
    // The first ">" after the header ends it, even inside a later section.
    EXPECT_EQ(GetSkinSection(L"[A]\r\nK@1\r\n[B]\r\n>", L"A"), L"[A]\r\nK@1\r\n[B]\r\n");
}

TEST(SkinLookup, LineEnds) {
    EXPECT_EQ(GetSkinValue(L"[A]\r\nK@value\r\n", L"K"), L"value");
    EXPECT_EQ(GetSkinValue(L"[A]\r\nK@value\n", L"K"), L"valu"); // bare "\n": last character lost
    EXPECT_EQ(GetSkinValue(L"[A]\r\nK@value", L"K"), L"");       // no line end after it
    EXPECT_EQ(GetSkinValue(L"[A]\r\nK@\n", L"K"), L"");
    // A plain substring search: the first occurrence wins.
    EXPECT_EQ(GetSkinValue(L"[A]\r\nXK@1\r\nK@2\r\n", L"K"), L"1");
}

TEST(SkinColour, DecodesAndEncodes) {
    EXPECT_EQ(SkinColor(L"255128007"), RGB(255, 128, 7));
    EXPECT_EQ(SkinColor(L"0"), RGB(0, 0, 0));
    EXPECT_EQ(SkinColor(L"12034056.9"), RGB(12, 34, 56)); // truncated
    EXPECT_EQ(SkinColor(L"1.2e8"), RGB(120, 0, 0));
    EXPECT_EQ(SkinColor(NotFoundMarker), RGB(0, 0, 0));
    EXPECT_EQ(SkinColor(L"-5"), RGB(0, 0, 0));
    EXPECT_EQ(SkinColor(L"1e300"), SkinColor(L"4294967295")); // saturates, no overflow
    EXPECT_EQ(SkinColor(L"999999999"), RGB(999 & 0xFF, 999 & 0xFF, 999 & 0xFF));
    EXPECT_EQ(SkinColorText(RGB(255, 128, 7)), L"255128007");
    EXPECT_EQ(SkinColorText(RGB(0, 0, 9)), L"9");
    EXPECT_EQ(SkinColor(SkinColorText(RGB(1, 2, 3))), RGB(1, 2, 3));
}

TEST(SkinPaths, FolderAndJoin) {
    EXPECT_EQ(GetSkinFolder(L"\\Skins\\Blue\\blue.skn"), L"\\Skins\\Blue");
    EXPECT_EQ(GetSkinFolder(L"blue.skn"), L"");
    CString out;
    EXPECT_TRUE(JoinSkinPath(L"\\Skins\\Blue", L"\\portrait\\", out));
    EXPECT_EQ(out, L"\\Skins\\Blue\\portrait\\");
    EXPECT_FALSE(JoinSkinPath(L"\\Skins\\Blue", L"\\..\\..\\Windows\\x.jpg", out));
    EXPECT_EQ(out, L"");
}

// A complete skin in "\Skins\Blue" with every folder and image the validator looks for.
class SkinFileTest : public coretest::CoreTest {
protected:
    static std::string Colours(std::initializer_list<const char*> keys, const char* value = "255000000") {
        std::string s;
        for (const char* k : keys)
            s += std::string(k) + "@" + value + "\r\n";
        return s;
    }
    static std::string FullSkin() {
        std::string s;
        s += "[Description]\r\nN@Blue skin\r\n>\r\n";
        s += "[Common Folders]\r\nP@\\p\\\r\nL@\\l\\\r\nS@\\s\\\r\n>\r\n";
        s += "[General]\r\n" + Colours({"TBC", "PC", "PTC"}) + "IF@\\icons\\tab.bmp\r\n>\r\n";
        s += "[Clocks]\r\nBP@clk.jpg\r\nBL@clk.jpg\r\nBS@clk.jpg\r\n" +
             Colours({"CMDC", "CMD", "CMCN", "CMSC", "CMAC", "CODC", "COD", "COCN", "COAC"}) + ">\r\n";
        s += "[Weather]\r\nBP@wet.jpg\r\nBL@wet.jpg\r\nBS@wet.jpg\r\nWICOF@default\r\n" +
             Colours({"CBBC", "CBTC", "FBBC", "FBTC", "SATC", "DAYSC", "CNSC", "MOREC"}) + ">\r\n";
        s += "[Map]\r\nBP@map.jpg\r\nBL@map.jpg\r\nBS@map.jpg\r\nMI@\\day.jpg\r\n" +
             Colours({"CNC", "DCC", "ACC", "DC", "DLC", "RSTBC", "RSTTC", "RSIBC", "RSITC", "SHADCLR"}) +
             ">\r\n";
        s += "[Currency]\r\n" + Colours({"SumC", "STC", "PanC", "PCEC", "PBC", "UPDC"}) + ">\r\n";
        s += "[Tools]\r\nBC@t1.jpg\r\n" + Colours({"PCC", "PCTC", "PBCC", "TLC"}) + "BD@t2.jpg\r\n" +
             Colours({"PCD", "PCTD"}) + "BS@t3.jpg\r\n" + Colours({"PCS", "PBCS", "TC1S", "TC2S", "TTCS"}) +
             "BP@t4.jpg\r\n" + Colours({"PCP", "PBCP"}) + ">\r\n";
        s += "*\r\n<";
        return s;
    }
    void InstallSkinFolders() {
        MakeFolder(L"\\Skins\\Blue\\icons");
        for (const wchar_t* f : {L"\\p\\", L"\\l\\", L"\\s\\"})
            for (const wchar_t* img : {L"clk.jpg", L"wet.jpg", L"map.jpg"})
                WriteFile(std::wstring(L"\\Skins\\Blue") + f + img, "jpg");
        for (const wchar_t* img : {L"t1.jpg", L"t2.jpg", L"t3.jpg", L"t4.jpg"})
            WriteFile(std::wstring(L"\\Skins\\Blue\\p\\") + img, "jpg");
        WriteFile(L"\\Skins\\Blue\\day.jpg", "jpg");
    }
    static void Replace(std::string& s, const std::string& from, const std::string& to) {
        size_t at = s.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        s.replace(at, from.size(), to);
    }
    bool Validate(const std::string& text) {
        WriteFile(L"\\Skins\\Blue\\blue.skn", text);
        return ValidateSkinFile(L"\\Skins\\Blue\\blue.skn");
    }
};

TEST_F(SkinFileTest, CompleteSkinIsValid) {
    InstallSkinFolders();
    int beeps = device::ui::BeepCount();
    EXPECT_TRUE(Validate(FullSkin()));
    EXPECT_EQ(device::ui::BeepCount(), beeps);
    EXPECT_FALSE(ValidateSkinFile(L"\\Skins\\Blue\\none.skn"));
    EXPECT_TRUE(MessageTexts().empty()); // the validator shows nothing itself
}

TEST_F(SkinFileTest, EachKindOfFaultFailsTheSkin) {
    InstallSkinFolders();
    struct Fault {
        const char* from;
        const char* to;
    } faults[] = {
        {"N@Blue skin\r\n", ""},                       // required text missing
        {"[Currency]", "[Money]"},                     // section missing
        {"L@\\l\\", "L@\\nowhere\\"},                  // folder missing
        {"IF@\\icons\\tab.bmp", "IF@\\gone\\tab.bmp"}, // folder part of a path missing
        {"MI@\\day.jpg", "MI@\\night.jpg"},            // map image missing
        {"SHADCLR@255000000", "SHADCLR@red"},          // colour not a number
        {"P@\\p\\", "P@\\..\\Blue\\p\\"},              // folder value leading out of the skin
        {"MI@\\day.jpg", "MI@\\..\\Blue\\day.jpg"},    // image value leading out of the skin
    };
    for (const Fault& f : faults) {
        std::string text = FullSkin();
        Replace(text, f.from, f.to);
        EXPECT_FALSE(Validate(text)) << f.from;
    }
}

TEST_F(SkinFileTest, FloatingPointColoursPassAndMissingImageFailsWithAllChecksRun) {
    InstallSkinFolders();
    std::string text = FullSkin();
    Replace(text, "TBC@255000000", "TBC@1.5e8");
    EXPECT_TRUE(Validate(text));

    // Landscape clock image gone, and a bad colour further on: both checks run (the beep proves
    // the later one ran after the earlier failure).
    std::filesystem::remove(coretest::HostPath(L"\\Skins\\Blue\\l\\clk.jpg"));
    Replace(text, "PBCP@255000000", "PBCP@x");
    int beeps = device::ui::BeepCount();
    EXPECT_FALSE(Validate(text));
    EXPECT_EQ(device::ui::BeepCount(), beeps + 1);
}

TEST_F(SkinFileTest, MalformedSkinFilesNeverCrash) {
    InstallSkinFolders();
    std::string full = FullSkin();
    EXPECT_FALSE(Validate(""));
    EXPECT_FALSE(Validate(full.substr(0, full.size() / 2))); // truncated
    EXPECT_FALSE(Validate(std::string("\0\xFF[\x80>@*<", 9)));
    std::string big(500000, '@');
    EXPECT_FALSE(Validate(big));
}

TEST_F(SkinFileTest, LongSkinIsReadPastTheOldLimit) {
    // A skin file of more than 1499 characters keeps its last sections.
    InstallSkinFolders();
    std::string text = FullSkin();
    Replace(text, "N@Blue skin", "N@" + std::string(3000, 'b'));
    EXPECT_TRUE(Validate(text));
    CRegistryKey().WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin", L"\\Skins\\Blue\\blue.skn");
    CurrentSkin skin = LoadCurrentSkin();
    ASSERT_TRUE(skin.loaded);
    EXPECT_GT(skin.text.GetLength(), 3000);
    EXPECT_EQ(GetSkinValue(GetSkinSection(skin.text, L"Tools"), L"PBCP"), L"255000000");
}

TEST_F(SkinFileTest, CurrentSkinRule) {
    WriteFile(InProgramFolder(L"default.skn"), "[Description]\r\nN@Default\r\n>\r\n*\r\n<after");
    // Missing and empty values mean the default skin beside the program.
    CurrentSkin skin = LoadCurrentSkin();
    EXPECT_TRUE(skin.loaded);
    EXPECT_TRUE(skin.isDefault);
    EXPECT_FALSE(skin.chosenUnreadable);
    EXPECT_EQ(skin.name, L"default");
    EXPECT_EQ(skin.folder, L"\\Program Files\\Jorvana");
    EXPECT_EQ(skin.text, L"[Description]\r\nN@Default\r\n>\r\n*\r\n");
    EXPECT_EQ(LoadCurrentSkin(L"*").text, L"[Description]\r\nN@Default\r\n>\r\n");
    // The screens' text runs to the marker line, past a "*" of the description.
    WriteFile(InProgramFolder(L"default.skn"), "[Description]\r\nN@Blue *NEW*\r\n>\r\n[Clocks]\r\nCMD@1\r\n>\r\n*\r\n<");
    EXPECT_EQ(GetSkinValue(GetSkinSection(LoadCurrentSkin(L"*").text, L"Clocks"), L"CMD"), L"1");
    EXPECT_EQ(TextBeforeSkinEndMarker(L"a*b\r\n*"), L"a*b\r\n");
    EXPECT_EQ(TextBeforeSkinEndMarker(L"a*b\r\n* \r\n"), L"a");

    CRegistryKey reg;
    reg.WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin", L"");
    EXPECT_TRUE(LoadCurrentSkin().isDefault);

    // A chosen file is read from its own folder.
    WriteFile(L"\\Skins\\Blue\\blue.skn", "[Description]\r\nN@Blue\r\n>\r\n*\r\n<");
    reg.WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin", L"\\Skins\\Blue\\blue.skn");
    skin = LoadCurrentSkin();
    EXPECT_TRUE(skin.loaded);
    EXPECT_FALSE(skin.isDefault);
    EXPECT_EQ(skin.folder, L"\\Skins\\Blue");
    EXPECT_EQ(GetSkinValue(GetSkinSection(skin.text, L"Description"), L"N"), L"Blue");
    ShowSkinFallbackMessages(skin);
    EXPECT_TRUE(MessageTexts().empty());

    // A chosen file that is gone falls back to the default, and says so when asked.
    reg.WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin", L"\\Skins\\Gone\\gone.skn");
    skin = LoadCurrentSkin();
    EXPECT_TRUE(skin.loaded);
    EXPECT_TRUE(skin.isDefault);
    EXPECT_TRUE(skin.chosenUnreadable);
    EXPECT_EQ(skin.name, L"default");
    EXPECT_EQ(skin.folder, L"\\Program Files\\Jorvana");
    device::ui::ScriptMessageBoxAnswers({IDOK});
    ShowSkinFallbackMessages(skin);
    ASSERT_EQ(MessageTexts().size(), 1u);
    EXPECT_EQ(MessageTexts()[0], L"Skin File corrupted or not found!\n\nDefault skin will be used.");
    // The rule itself leaves the registry alone.
    EXPECT_EQ(reg.ReadString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin"), L"\\Skins\\Gone\\gone.skn");
}

TEST_F(SkinFileTest, NoSkinAtAll) {
    CRegistryKey().WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin", L"\\Skins\\Gone\\gone.skn");
    CurrentSkin skin = LoadCurrentSkin();
    EXPECT_FALSE(skin.loaded);
    EXPECT_TRUE(skin.text.IsEmpty());
    device::ui::ScriptMessageBoxAnswers({IDOK, IDOK});
    ShowSkinFallbackMessages(skin);
    ASSERT_EQ(MessageTexts().size(), 2u);
    EXPECT_EQ(MessageTexts()[0], L"Skin File corrupted or not found!\n\nDefault skin will be used.");
    EXPECT_EQ(MessageTexts()[1],
              L"Default Skin file corrupted or not found!\n\nPlease reinstall Default skin.");
}

} // namespace
