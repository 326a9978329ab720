#pragma once
// Rewriting a skin file from the appearance settings: the text of the file as it was read is
// walked line by line, the values of known keys are replaced in the sections whose page was
// shown, and every other line is copied as it stands.

#include "platform/base/CString.h"

#include <string>
#include <vector>

// One key of a section and the text written after its "@".
struct SkinKeyValue {
    const wchar_t* key;
    CString value;
};

// The keys of one section that the writer replaces.
struct SkinSectionEdit {
    const wchar_t* header;             // "[General]", "[Clocks]"...
    bool shown = false;                // only sections whose page was shown are edited
    std::vector<SkinKeyValue> single;  // each tested on its own, in order (the Tools images)
    std::vector<SkinKeyValue> firstOf; // the first whose "KEY@" the line holds wins
};

// The bytes of the rewritten file: each line converted to single-byte text and ended by CR LF,
// up to and including the marker line "*" (a "*" alone on its line), then a line feed and "<".
// A section's keys are rewritten from its header line up to the line that holds its closing ">"
// (kept as it stands) or the next "[" line, whichever comes first. Empty when the text cannot be
// rewritten safely: no marker line, or lines not ended by CR LF (another line-end convention
// would make one line of the whole file).
std::string ComposeSkinFile(const CString& keptText, const std::vector<SkinSectionEdit>& sections);

// Replaces the file at path by the bytes. The file is left as it was when it cannot be written
// (read-only, folder gone) or when any write fails; true when the new text is in place.
bool ReplaceSkinFile(const CString& path, const std::string& bytes);
