#include "platform/base/ResourceFormat.h"
#include "platform/rc/ResourceScript.h"

#include <gtest/gtest.h>

#include <cstring>

namespace fs = std::filesystem;
using device::rc::CompileScriptText;

namespace {

const fs::path kScripts = fs::path(TEST_SCRIPTS_DIR);

const device::ResourceEntry* Find(const device::rc::CompileResult& r, uint32_t type, uint32_t id) {
    for (const auto& e : r.entries)
        if (e.type == type && e.id == id) return &e;
    return nullptr;
}

std::wstring StringOf(const device::ResourceEntry& e) { return reinterpret_cast<const wchar_t*>(e.data.data()); }

device::rc::CompileResult Compile(const std::string& text) {
    return CompileScriptText(text, kScripts / "test.rc", {});
}

} // namespace

TEST(ResourceScript, DialogsKeepEveryFieldWithDefaultStylesApplied) {
    auto r = Compile(R"(#include "styles.h"
#define IDC_CITY 1005
192 DIALOG 0, 0, 120, 53
STYLE WS_POPUP | WS_CAPTION
EXSTYLE 0x80000000
CAPTION "Weather ""Forecast"""
FONT 8, "System"
BEGIN
    LTEXT "Label:", -1, 5, 5, 40, 10
    EDITTEXT 1010, 50, 5, 60, 12, ES_AUTOHSCROLL | NOT WS_TABSTOP
    CONTROL "", IDC_CITY, "COMBOBOX", CBS_DROPDOWN | WS_VSCROLL | NOT WS_VISIBLE, 5, 20, 100, 80
    DEFPUSHBUTTON "OK", 1, 35, 36, 50, 14
    ICON 128, 1020, 2, 2
END
)");
    ASSERT_TRUE(r.ok) << r.error;
    const auto* e = Find(r, device::kResDialog, 192);
    ASSERT_NE(e, nullptr);
    auto d = device::ParseDialog(e->data.data(), e->data.size());
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->style, 0x80000000u | 0x00C00000u | 0x40u); // DS_SETFONT comes with FONT
    EXPECT_EQ(d->exStyle, 0x80000000u);
    EXPECT_EQ(d->caption, L"Weather \"Forecast\"");
    EXPECT_EQ(d->faceName, L"System");
    EXPECT_EQ(d->pointSize, 8);
    EXPECT_EQ(d->cx, 120);
    ASSERT_EQ(d->items.size(), 5u);

    EXPECT_EQ(d->items[0].className, L"STATIC");
    EXPECT_EQ(d->items[0].id, 0xFFFFFFFFu); // -1
    EXPECT_EQ(d->items[0].style, 0x40000000u | 0x10000000u | 0x20000u);
    EXPECT_EQ(d->items[1].className, L"EDIT");
    EXPECT_EQ(d->items[1].style, 0x40000000u | 0x10000000u | 0x00800000u | 0x80u); // border kept, tab stop taken away
    EXPECT_EQ(d->items[2].className, L"COMBOBOX");
    EXPECT_EQ(d->items[2].id, 1005u);
    EXPECT_EQ(d->items[2].style, 0x40000000u | 0x2u | 0x00200000u); // child, not visible
    EXPECT_EQ(d->items[2].cy, 80);
    EXPECT_EQ(d->items[3].style & 0xF, 1u);
    EXPECT_EQ(d->items[4].text, L"#128");
    EXPECT_EQ(d->items[4].cx, 0);
}

TEST(ResourceScript, MenusStringsAndTheSmallerKinds) {
    auto r = Compile(R"(#include "styles.h"
155 MENU
{
    POPUP "&Tools"
    {
        MENUITEM "Back to Tools", 32790
        MENUITEM SEPARATOR
        POPUP "More" { MENUITEM "Deep", WM_APP_SHOW_TOOL_BAR, CHECKED, GRAYED }
    }
    MENUITEM "Sync", 32800, INACTIVE
}
STRINGTABLE DISCARDABLE
BEGIN
    32996, "Cities file not found\nDatabase not created!"
    33021  "Weather background image not found!"
    103    "Echec de l'initialisation des sockets Windows."
    104    "°C"
END
2106 DLGINIT BEGIN 1001, "Clocks", 1001, "Weather" END
143 TOOLBAR 16, 15 BEGIN BUTTON 32771 SEPARATOR BUTTON 32772 END
128 ICON "small.png", "large.png"
)");
    ASSERT_TRUE(r.ok) << r.error;
    auto menu = device::ParseMenu(Find(r, device::kResMenu, 155)->data.data(), Find(r, device::kResMenu, 155)->data.size());
    ASSERT_TRUE(menu.has_value());
    ASSERT_EQ(menu->items.size(), 2u);
    const auto& tools = menu->items[0];
    EXPECT_EQ(tools.flags, static_cast<UINT>(MF_POPUP));
    EXPECT_EQ(tools.text, L"&Tools");
    ASSERT_EQ(tools.children.size(), 3u);
    EXPECT_EQ(tools.children[1].flags, static_cast<UINT>(MF_SEPARATOR));
    EXPECT_EQ(tools.children[2].children[0].id, 0x806Au);
    EXPECT_EQ(tools.children[2].children[0].flags, static_cast<UINT>(MF_CHECKED | MF_GRAYED));
    EXPECT_EQ(menu->items[1].flags, static_cast<UINT>(MF_DISABLED));

    EXPECT_EQ(StringOf(*Find(r, device::kResString, 32996)), L"Cities file not found\nDatabase not created!");
    EXPECT_EQ(StringOf(*Find(r, device::kResString, 103)), L"Echec de l'initialisation des sockets Windows.");
    EXPECT_EQ(StringOf(*Find(r, device::kResString, 104)), L"\u00b0C"); // UTF-8 in the script
    auto init = device::ParseDialogInit(Find(r, device::kResDialogInit, 2106)->data.data(), Find(r, device::kResDialogInit, 2106)->data.size());
    ASSERT_TRUE(init.has_value());
    ASSERT_EQ(init->size(), 2u);
    EXPECT_EQ((*init)[1].text, L"Weather");
    auto bar = device::ParseToolbar(Find(r, device::kResToolbar, 143)->data.data(), Find(r, device::kResToolbar, 143)->data.size());
    ASSERT_TRUE(bar.has_value());
    EXPECT_EQ(bar->ids, (std::vector<WORD>{32771, 0, 32772}));
    auto icon = device::ParseIconGroup(Find(r, device::kResGroupIcon, 128)->data.data(), Find(r, device::kResGroupIcon, 128)->data.size());
    ASSERT_TRUE(icon.has_value());
    ASSERT_EQ(icon->size(), 2u);
    EXPECT_EQ(std::string((*icon)[1].begin(), (*icon)[1].end()), "\x89PNG fake icon 24");
    // The header and both images are dependencies of the build.
    EXPECT_GE(r.dependencies.size(), 4u);
}

TEST(ResourceScript, ErrorsNameTheFileAndLine) {
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"1 DIALOG 0, 0, 10, 10\nBEGIN\n  LTEXT \"a\", NOWHERE, 1, 1, 1, 1\nEND\n", "test.rc:3: unknown symbol NOWHERE"},
        {"STRINGTABLE\nBEGIN\n  1 \"open\n", "test.rc:3: string not closed"},
        {"\n\n5 GADGET\n", "test.rc:3: unknown resource type GADGET"},
        {"1 DIALOG 0, 0, 10, 10\nBEGIN\n  WIDGET 1, 2\nEND", "test.rc:3: unknown control statement WIDGET"},
        {"1 MENU BEGIN POPUP \"x\" BEGIN\n", "test.rc:2: menu without END"},
        {"#include \"absent.h\"\n", "test.rc:1: cannot find include file \"absent.h\""},
        {"1 ICON \"absent.png\"\n", "test.rc:1: cannot find file \"absent.png\""},
        {"STRINGTABLE BEGIN 1 \"a\" 1 \"b\" END", "test.rc:1: resource 1 defined twice"},
        {"1 DIALOG 0, 0, 99999, 10 BEGIN END", "test.rc:1: coordinate out of range"},
        {"/* never closed\n", "test.rc:1: comment not closed"},
        {"#include \"styles.h\"\n1 DIALOG 0,0,1,1 STYLE NOT_A_NUMBER BEGIN END", "test.rc:2: unknown symbol NOT_A_NUMBER"},
        {"#include \"styles.h\"\n1 DIALOG 0,0,1,1 STYLE SOME_MACRO BEGIN END", "test.rc:2: unknown symbol SOME_MACRO"},
    };
    for (const auto& c : cases) {
        auto r = Compile(c.text);
        EXPECT_FALSE(r.ok) << c.text;
        EXPECT_NE(r.error.find(c.expected), std::string::npos) << "got: " << r.error << "\nwanted: " << c.expected;
    }
}

TEST(ResourceTable, LookUpAndRefuseDamagedTables) {
    std::vector<device::ResourceEntry> entries = {
        {device::kResString, 7, device::SerializeString(L"seven")},
        {device::kResDialog, 318, {1, 2, 3}},
        {device::kResString, 7, device::SerializeString(L"later wins")},
    };
    auto table = device::BuildResourceTable(entries);
    device::ResourceView view;
    ASSERT_TRUE(view.Open(table.data(), table.size()));
    EXPECT_EQ(view.Count(), 2u);
    const uint8_t* data = nullptr;
    size_t size = 0;
    ASSERT_TRUE(view.Find(device::kResString, 7, data, size));
    EXPECT_STREQ(reinterpret_cast<const wchar_t*>(data), L"later wins");
    EXPECT_FALSE(view.Find(device::kResString, 8, data, size));
    EXPECT_FALSE(view.Find(device::kResMenu, 318, data, size));

    // Every truncation and a damaged offset are refused, never read past.
    for (size_t n = 0; n < table.size(); ++n) {
        device::ResourceView cut;
        if (cut.Open(table.data(), n)) {
            EXPECT_FALSE(cut.Find(device::kResString, 7, data, size) && data + size > table.data() + n);
        }
    }
    auto damaged = table;
    uint32_t huge = 0x7FFFFFF0;
    std::memcpy(damaged.data() + 12 + 8, &huge, 4);
    EXPECT_FALSE(view.Open(damaged.data(), damaged.size()));

    // Templates refuse truncation too.
    device::DialogTemplate d;
    d.caption = L"x";
    d.items.resize(3);
    auto bytes = device::SerializeDialog(d);
    EXPECT_TRUE(device::ParseDialog(bytes.data(), bytes.size()).has_value());
    for (size_t n = 0; n < bytes.size(); ++n) EXPECT_FALSE(device::ParseDialog(bytes.data(), n).has_value()) << n;
    EXPECT_FALSE(device::ParseMenu(bytes.data(), bytes.size()).has_value()); // a dialog is not a menu
}
