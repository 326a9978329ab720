#include "core/SkinFile.h"

#include "core/CommonHelpers.h"
#include "core/CoreMessages.h"
#include "core/RegistryKey.h"
#include "core/TextFiles.h"
#include "platform/system/DeviceFiles.h"
#include "resources/resource.h"

#include <cmath>
#include <cwchar>
#include <cwctype>

const WCHAR NotFoundMarker[] = L"!.!";

CString GetSkinSection(const CString& text, LPCWSTR name) {
    CString header = CString(L"[") + CString(name) + L"]";
    int start = text.Find(header);
    if (start < 0) return CString(NotFoundMarker);
    CString rest = text.Mid(start);
    int end = rest.Find(L'>');
    if (end < 0) end = rest.Find(L'*');
    if (end < 0) return CString();
    return rest.Left(end);
}

CString GetSkinValue(const CString& section, LPCWSTR key) {
    CString wanted = CString(key) + L"@";
    int at = section.Find(wanted);
    if (at < 0) return CString(NotFoundMarker);
    CString rest = section.Mid(at + wanted.GetLength());
    int lineEnd = rest.Find(L'\n');
    if (lineEnd < 0) return CString();
    return rest.Left(lineEnd - 1);
}

COLORREF SkinColor(const CString& value) {
    double number = std::wcstod(value, nullptr);
    // Out-of-range numbers saturate instead of overflowing the conversion.
    unsigned long v = 0;
    if (std::isnan(number) || number <= 0.0)
        v = 0;
    else if (number >= 4294967295.0)
        v = 4294967295ul;
    else
        v = static_cast<unsigned long>(number);
    unsigned r = static_cast<unsigned>(v / 1000000ul) & 0xFFu;
    unsigned g = static_cast<unsigned>((v % 1000000ul) / 1000ul) & 0xFFu;
    unsigned b = static_cast<unsigned>(v % 1000ul) & 0xFFu;
    return static_cast<COLORREF>(r | (g << 8) | (b << 16));
}

CString SkinColorText(COLORREF color) {
    unsigned long v = (color & 0xFFu) * 1000000ul + ((color >> 8) & 0xFFu) * 1000ul + ((color >> 16) & 0xFFu);
    WCHAR text[16];
    std::swprintf(text, 16, L"%lu", v);
    return CString(text);
}

CString GetSkinFolder(const CString& skinPath) {
    int cut = skinPath.ReverseFind(L'\\');
    return cut >= 0 ? skinPath.Left(cut) : CString();
}

bool JoinSkinPath(const CString& folder, const CString& value, CString& out) {
    out.Empty();
    if (!IsNameInsideFolder(value)) return false;
    out = folder + value;
    return true;
}

namespace {

bool s_builtInDefaultSkin = false;

// The built-in copy of the default skin, read as the file would be up to the delimiter.
void FillBuiltInSkin(CurrentSkin& skin, LPCWSTR delimiter, bool starMarker) {
    skin.path = GetShippedFilePath(L"default.skn");
    skin.folder = GetProgramFolder();
    skin.isDefault = skin.name == L"default";
    skin.builtIn = true;
    const CString text = BuiltInDefaultSkinText();
    if (starMarker) {
        skin.text = TextBeforeSkinEndMarker(text);
    } else {
        const int cut = delimiter && delimiter[0] && !delimiter[1] ? text.Find(delimiter[0]) : -1;
        skin.text = cut >= 0 ? text.Left(cut) : text;
    }
    skin.loaded = true;
}

// The registry may name default.skn by its full path (written back after a fallback).
bool IsShippedDefaultSkinPath(const CString& path) {
    return path.CompareNoCase(GetShippedFilePath(L"default.skn")) == 0;
}

} // namespace

bool UsingBuiltInDefaultSkin() { return s_builtInDefaultSkin; }

void EndBuiltInDefaultSkin() { s_builtInDefaultSkin = false; }

UINT CheckSkinAtStart() {
    s_builtInDefaultSkin = false;
    CRegistryKey registry;
    CString name = registry.ReadString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin");
    bool chosenDropped = false;
    if (!name.IsEmpty() && name != L"default" && !IsShippedDefaultSkinPath(name)) {
        CTextFileHandle file(OpenTextFile(name, TextFileKind::Skin));
        // A chosen file that cannot be opened is the screens' own fallback, with its message.
        if (!file || ValidateSkinFile(name)) return 0;
        registry.WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin", GetShippedFilePath(L"default.skn"));
        chosenDropped = true;
    }
    const CString shipped = GetShippedFilePath(L"default.skn");
    if (ValidateSkinFile(shipped)) return chosenDropped ? IDS_SKIN_UNREADABLE : 0;
    s_builtInDefaultSkin = true;
    bool refused = false;
    CTextFileHandle file(OpenTextFile(shipped, TextFileKind::Skin, &refused));
    return file || refused ? IDS_DEFAULT_SKIN_DAMAGED : IDS_DEFAULT_SKIN_UNREADABLE;
}

CurrentSkin LoadCurrentSkin(LPCWSTR delimiter) {
    CurrentSkin skin;
    CRegistryKey registry;
    skin.name = registry.ReadString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin");
    if (skin.name.IsEmpty()) skin.name = L"default";

    const bool starMarker = delimiter && delimiter[0] == L'*' && delimiter[1] == 0;
    if (s_builtInDefaultSkin && (skin.name == L"default" || IsShippedDefaultSkinPath(skin.name))) {
        FillBuiltInSkin(skin, delimiter, starMarker);
        return skin;
    }

    HANDLE file = nullptr;
    if (skin.name != L"default") {
        file = OpenTextFile(skin.name, TextFileKind::Skin);
        if (file) {
            skin.path = skin.name;
            skin.folder = GetSkinFolder(skin.name);
        } else {
            skin.chosenUnreadable = true;
            skin.name = L"default";
            if (s_builtInDefaultSkin) {
                FillBuiltInSkin(skin, delimiter, starMarker);
                return skin;
            }
        }
    }
    if (!file) {
        skin.path = GetShippedFilePath(L"default.skn");
        skin.folder = GetProgramFolder();
        skin.isDefault = true;
        file = OpenTextFile(skin.path, TextFileKind::Skin);
        if (!file) return skin;
    }
    CTextFileHandle closer(file);
    if (starMarker) {
        // The skin's data ends at the marker line "*"; a value (a description) may hold a "*".
        skin.text = TextBeforeSkinEndMarker(ReadFileToken(file, L"<"));
    } else {
        skin.text = ReadFileToken(file, delimiter);
    }
    skin.loaded = true;
    return skin;
}

CString TextBeforeSkinEndMarker(const CString& text) {
    for (int start = 0; start < text.GetLength();) {
        int end = text.Find(L'\n', start);
        int next = end < 0 ? text.GetLength() : end + 1;
        CString line = text.Mid(start, (end < 0 ? text.GetLength() : end) - start);
        if (line == L"*" || line == L"*\r") return text.Left(start);
        start = next;
    }
    // No marker line: the text ends at its first "*", as it always did.
    int star = text.Find(L'*');
    return star >= 0 ? text.Left(star) : text;
}

void ShowSkinFallbackMessages(const CurrentSkin& skin) {
    if (skin.chosenUnreadable) ShowCoreMessage(IDS_SKIN_UNREADABLE);
    if (!skin.loaded) ShowCoreMessage(IDS_DEFAULT_SKIN_UNREADABLE);
}

namespace {

// What a validated key names.
enum class Check {
    Text,       // must be present
    Folder,     // a folder under the skin folder
    Image,      // an image in the folder named by P, L or S
    ParentPath, // a path whose folder part must exist
    MapImage,   // an image directly under the skin folder
    Colour,     // a number
};

struct Row {
    const wchar_t* section;
    const wchar_t* key;
    Check check;
    const wchar_t* folderKey; // for Image: P, L or S
};

// The keys every screen relies on, in the order they are checked.
const Row kRows[] = {
    {L"Description", L"N", Check::Text, nullptr},
    {L"Common Folders", L"P", Check::Folder, nullptr},
    {L"Common Folders", L"L", Check::Folder, nullptr},
    {L"Common Folders", L"S", Check::Folder, nullptr},
    {L"General", L"TBC", Check::Colour, nullptr},
    {L"General", L"PC", Check::Colour, nullptr},
    {L"General", L"PTC", Check::Colour, nullptr},
    {L"General", L"IF", Check::ParentPath, nullptr},
    {L"Clocks", L"BP", Check::Image, L"P"},
    {L"Clocks", L"BL", Check::Image, L"L"},
    {L"Clocks", L"BS", Check::Image, L"S"},
    {L"Clocks", L"CMDC", Check::Colour, nullptr},
    {L"Clocks", L"CMD", Check::Colour, nullptr},
    {L"Clocks", L"CMCN", Check::Colour, nullptr},
    {L"Clocks", L"CMSC", Check::Colour, nullptr},
    {L"Clocks", L"CMAC", Check::Colour, nullptr},
    {L"Clocks", L"CODC", Check::Colour, nullptr},
    {L"Clocks", L"COD", Check::Colour, nullptr},
    {L"Clocks", L"COCN", Check::Colour, nullptr},
    {L"Clocks", L"COAC", Check::Colour, nullptr},
    {L"Weather", L"BP", Check::Image, L"P"},
    {L"Weather", L"BL", Check::Image, L"L"},
    {L"Weather", L"BS", Check::Image, L"S"},
    {L"Weather", L"WICOF", Check::ParentPath, nullptr},
    {L"Weather", L"CBBC", Check::Colour, nullptr},
    {L"Weather", L"CBTC", Check::Colour, nullptr},
    {L"Weather", L"FBBC", Check::Colour, nullptr},
    {L"Weather", L"FBTC", Check::Colour, nullptr},
    {L"Weather", L"SATC", Check::Colour, nullptr},
    {L"Weather", L"DAYSC", Check::Colour, nullptr},
    {L"Weather", L"CNSC", Check::Colour, nullptr},
    {L"Weather", L"MOREC", Check::Colour, nullptr},
    {L"Map", L"BP", Check::Image, L"P"},
    {L"Map", L"BL", Check::Image, L"L"},
    {L"Map", L"BS", Check::Image, L"S"},
    {L"Map", L"MI", Check::MapImage, nullptr},
    {L"Map", L"CNC", Check::Colour, nullptr},
    {L"Map", L"DCC", Check::Colour, nullptr},
    {L"Map", L"ACC", Check::Colour, nullptr},
    {L"Map", L"DC", Check::Colour, nullptr},
    {L"Map", L"DLC", Check::Colour, nullptr},
    {L"Map", L"RSTBC", Check::Colour, nullptr},
    {L"Map", L"RSTTC", Check::Colour, nullptr},
    {L"Map", L"RSIBC", Check::Colour, nullptr},
    {L"Map", L"RSITC", Check::Colour, nullptr},
    {L"Map", L"SHADCLR", Check::Colour, nullptr},
    {L"Currency", L"SumC", Check::Colour, nullptr},
    {L"Currency", L"STC", Check::Colour, nullptr},
    {L"Currency", L"PanC", Check::Colour, nullptr},
    {L"Currency", L"PCEC", Check::Colour, nullptr},
    {L"Currency", L"PBC", Check::Colour, nullptr},
    {L"Currency", L"UPDC", Check::Colour, nullptr},
    {L"Tools", L"BC", Check::Image, L"P"},
    {L"Tools", L"PCC", Check::Colour, nullptr},
    {L"Tools", L"PCTC", Check::Colour, nullptr},
    {L"Tools", L"PBCC", Check::Colour, nullptr},
    {L"Tools", L"TLC", Check::Colour, nullptr},
    {L"Tools", L"BD", Check::Image, L"P"},
    {L"Tools", L"PCD", Check::Colour, nullptr},
    {L"Tools", L"PCTD", Check::Colour, nullptr},
    {L"Tools", L"BS", Check::Image, L"P"},
    {L"Tools", L"PCS", Check::Colour, nullptr},
    {L"Tools", L"PBCS", Check::Colour, nullptr},
    {L"Tools", L"TC1S", Check::Colour, nullptr},
    {L"Tools", L"TC2S", Check::Colour, nullptr},
    {L"Tools", L"TTCS", Check::Colour, nullptr},
    {L"Tools", L"BP", Check::Image, L"P"},
    {L"Tools", L"PCP", Check::Colour, nullptr},
    {L"Tools", L"PBCP", Check::Colour, nullptr},
};

// Something exists at the path (a trailing "\" of a folder value is allowed).
bool PathExists(const CString& path) {
    CString trimmed = path;
    while (trimmed.GetLength() > 1 && trimmed[trimmed.GetLength() - 1] == L'\\')
        trimmed = trimmed.Left(trimmed.GetLength() - 1);
    if (trimmed.IsEmpty()) return false;
    return GetFileAttributesW(trimmed) != INVALID_FILE_ATTRIBUTES;
}

bool JoinedPathExists(const CString& folder, const CString& value) {
    CString path;
    return JoinSkinPath(folder, value, path) && PathExists(path);
}

bool CheckRow(const Row& row, const CString& text, const CString& skinFolder) {
    CString section = GetSkinSection(text, row.section);
    if (section == NotFoundMarker) return false;
    CString value = GetSkinValue(section, row.key);
    if (value == NotFoundMarker) return false;
    switch (row.check) {
    case Check::Text:
        return true;
    case Check::Folder:
    case Check::MapImage:
        return JoinedPathExists(skinFolder, value);
    case Check::Image: {
        CString folderValue = GetSkinValue(GetSkinSection(text, L"Common Folders"), row.folderKey);
        if (folderValue == NotFoundMarker || !IsNameInsideFolder(folderValue)) return false;
        return JoinedPathExists(skinFolder, folderValue + value);
    }
    case Check::ParentPath: {
        int cut = value.ReverseFind(L'\\');
        if (cut < 0) return PathExists(skinFolder);
        return JoinedPathExists(skinFolder, value.Left(cut));
    }
    case Check::Colour: {
        int position = 0;
        return IsNumericText(value, position);
    }
    }
    return false;
}

} // namespace

bool ValidateSkinFile(LPCWSTR path) {
    CTextFileHandle file(OpenTextFile(path, TextFileKind::Skin));
    if (!file) return false;
    CString text = ReadFileToken(file.Get(), L"<");
    CString folder = GetSkinFolder(CString(path));
    bool valid = true;
    for (const Row& row : kRows)
        if (!CheckRow(row, text, folder)) valid = false;
    return valid;
}
