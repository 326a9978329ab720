#pragma once
// The resource compiler's reader of resource scripts (*.rc): a text format in the familiar
// resource-script shape, with numeric or symbolic ids.
//
//   #include "resource.h"           ids and style names: every "#define NAME value" of an
//                                    included header whose value is a number or an expression of
//                                    numbers and other names (| + - & ~ << >> and parentheses);
//                                    every other line of a header is ignored
//   #define NAME value
//   STRINGTABLE BEGIN id, "text" ... END
//   id DIALOG x, y, cx, cy           (or DIALOGEX) then STYLE, EXSTYLE, CAPTION, FONT size, "face"
//                                    [, weight, italic], MENU id, CLASS "name", and BEGIN controls END:
//       CONTROL "text", id, "class", style, x, y, cx, cy [, exstyle]
//       LTEXT / RTEXT / CTEXT / PUSHBUTTON / DEFPUSHBUTTON / CHECKBOX / AUTOCHECKBOX /
//       RADIOBUTTON / AUTORADIOBUTTON / GROUPBOX "text", id, x, y, cx, cy [, style [, exstyle]]
//       EDITTEXT / COMBOBOX / LISTBOX / SCROLLBAR id, x, y, cx, cy [, style [, exstyle]]
//       ICON icon, id, x, y [, cx, cy [, style [, exstyle]]]
//     A style adds to the statement's default style ("| NOT WS_TABSTOP" takes a bit away).
//   id MENU BEGIN POPUP "text" BEGIN MENUITEM "text", id [, GRAYED | CHECKED | INACTIVE]
//                 MENUITEM SEPARATOR END END
//   id ICON "file16.png" ["file24.png" ...]   (PNG or BMP files, relative to the script)
//   id BITMAP "file.bmp"
//   id DLGINIT BEGIN control id, "text" ... END   (initial items of combo and list boxes)
//   id TOOLBAR width, height BEGIN BUTTON id  SEPARATOR ... END
// "{" and "}" may stand for BEGIN and END. Comments are // and /* */. Strings take \n \t \\ \"
// and "" for a quote; the script is UTF-8.

#include "platform/base/ResourceFormat.h"

#include <filesystem>
#include <string>
#include <vector>

namespace device::rc {

struct CompileResult {
    bool ok = false;
    std::string error; // "file:line: message" when not ok
    std::vector<ResourceEntry> entries;
    std::vector<std::filesystem::path> dependencies; // every file read (scripts, headers, images)
};

CompileResult CompileScript(const std::filesystem::path& script, const std::vector<std::filesystem::path>& includeDirs);

// The same from text in memory (tests); "name" is used in error messages and relative paths.
CompileResult CompileScriptText(const std::string& text, const std::filesystem::path& name,
                                const std::vector<std::filesystem::path>& includeDirs);

// The body of one quoted text as resource scripts write it ("" for a quote, \n \t \r \\ \" \0),
// from text[pos], just after the opening quote, to its closing quote, which pos ends after. A text
// that reaches a line break or the end, or holds another escape, gives false and why.
bool ReadQuotedText(const std::string& text, size_t& pos, std::string& bytes, std::string& why);

} // namespace device::rc
