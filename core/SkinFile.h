#pragma once
// Skin description files (*.skn): sections headed "[Name]" and closed by ">", holding lines
// "KEY@value\r\n"; "*" after the last section and "<" as the file's last character. Colours are
// written as R * 1000000 + G * 1000 + B. The current skin is named by the registry value `skin`
// under HKEY_LOCAL_MACHINE\Jorvana: a full path, or "default" for default.skn beside the program.

#include "platform/base/CString.h"

// What both lookups return for a missing section or key.
extern const WCHAR NotFoundMarker[];

// The text of one section from its "[name]" line up to its closing ">" (the first "*" when the
// rest of the text holds no ">"; empty when it holds neither), or NotFoundMarker.
CString GetSkinSection(const CString& text, LPCWSTR name);
// The value of a key in a section's text up to the end of its line, the "\r" dropped, or
// NotFoundMarker. A value with no line end after it reads as empty.
CString GetSkinValue(const CString& section, LPCWSTR key);

// The colour of a skin colour text (a decimal number, possibly with a fraction or exponent);
// the NotFoundMarker and other non-numbers give black.
COLORREF SkinColor(const CString& value);
// The skin file text of a colour.
CString SkinColorText(COLORREF color);

// The folder of a skin file: its path up to, not including, its last "\".
CString GetSkinFolder(const CString& skinPath);
// folder + value, the value appended as it stands (it carries its own "\"). False, with out
// left empty, when the value would lead out of the folder ("..", a drive or device prefix).
bool JoinSkinPath(const CString& folder, const CString& value, CString& out);

// The skin a screen applies, found by the current-skin rule.
struct CurrentSkin {
    bool loaded = false;           // a skin file was read (false: apply nothing)
    bool isDefault = false;        // default.skn of the program folder was read
    bool chosenUnreadable = false; // the chosen file could not be opened; default.skn was tried
    bool builtIn = false;          // the built-in copy of the shipped default skin stood in
    CString name;                  // "default" or the chosen file's full path
    CString path;                  // the file that was read
    CString folder;                // where the skin's folders and images lie
    CString text;                  // the file's text up to the delimiter
};
// A delimiter of "*" reads the data of the skin: the text before its marker line "*".
CurrentSkin LoadCurrentSkin(LPCWSTR delimiter = L"<");
// The text before the first line that is "*" alone; without such a line, before the first "*".
CString TextBeforeSkinEndMarker(const CString& text);
// For the screens that report fallbacks: "Skin File corrupted or not found!..." when the chosen
// file could not be read, then "Default Skin file corrupted or not found!..." when default.skn
// could not be read either. Shows nothing for a skin read as chosen.
void ShowSkinFallbackMessages(const CurrentSkin& skin);

// True when the skin file can be read and every section, key, folder, image and colour that the
// screens rely on is there and usable. Runs every check (colour checks that fail beep).
bool ValidateSkinFile(LPCWSTR path);

// The text of the shipped default.skn before its "<", built into the program.
CString BuiltInDefaultSkinText();

// Run by the main window once at start, before any screen applies the skin. A chosen skin that
// opens but fails ValidateSkinFile is dropped for the default skin (the registry value skin is
// written back). When default.skn then cannot be read or fails the validator too, every screen
// applies the built-in copy of the shipped default skin in its place until
// EndBuiltInDefaultSkin. Returns the string id of the one message to show, 0 for none.
UINT CheckSkinAtStart();
void EndBuiltInDefaultSkin();
// The built-in copy stands in for default.skn.
bool UsingBuiltInDefaultSkin();
