// libFuzzer target for skin files: the input is a skin file, checked by the validator, read key
// by key as the appearance pages read it, and written back by the skin writer; a file the writer
// accepts must read back the same values, and validate again when it validated.
#include "FuzzDevice.h"
#include "core/SkinFile.h"
#include "core/TextFiles.h"
#include "skins/ColourPage.h"
#include "skins/SkinWriter.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

// The pages' own colour reader.
struct PageColours : CColourPage {
    using CColourPage::ParseColour;
};

struct SectionKeys {
    const wchar_t* header;
    const wchar_t* name;
    std::vector<const wchar_t*> keys;
};

// The colour keys of every page, in the order the appearance sheet writes them.
const SectionKeys kSections[] = {
    {L"[General]", L"General", {L"TBC", L"PC", L"PTC"}},
    {L"[Clocks]", L"Clocks", {L"CMDC", L"CMD", L"CMCN", L"CMSC", L"CMAC", L"CODC", L"COD", L"COCN", L"COAC"}},
    {L"[Weather]", L"Weather", {L"CBBC", L"CBTC", L"FBBC", L"FBTC", L"SATC", L"DAYSC", L"CNSC", L"MOREC"}},
    {L"[Map]", L"Map", {L"CNC", L"DCC", L"ACC", L"DC", L"DLC", L"RSTBC", L"RSTTC", L"RSIBC", L"RSITC", L"SHADCLR"}},
    {L"[Currency]", L"Currency", {L"SumC", L"STC", L"PanC", L"PCEC", L"PBC", L"UPDC", L"BKC"}},
    {L"[Tools]", L"Tools",
     {L"PCC", L"PCTC", L"PBCC", L"TLC", L"PCD", L"PCTD", L"PCS", L"PBCS", L"TC1S", L"TC2S", L"TTCS", L"PCP", L"PBCP"}},
};

CString ReadSkinText(LPCWSTR path) {
    CTextFileHandle file(OpenTextFile(path, TextFileKind::Skin));
    FUZZ_CHECK(file);
    return ReadFileToken(file.Get(), L"<");
}

std::vector<DWORD> ReadColours(const CString& text) {
    std::vector<DWORD> colours;
    for (const SectionKeys& section : kSections) {
        const CString body = GetSkinSection(text, section.name);
        for (const wchar_t* key : section.keys) colours.push_back(PageColours::ParseColour(GetSkinValue(body, key)));
    }
    return colours;
}

// A colour as the appearance sheet writes it.
CString ColourText(DWORD colour) {
    CString out;
    out.Format(L"%lu", static_cast<unsigned long>(colour));
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzdevice::EnsureDevice();
    const wchar_t* path = L"\\Program Files\\Jorvana\\fuzz.skn";
    const wchar_t* again = L"\\Program Files\\Jorvana\\again.skn";
    fuzzdevice::Write(path, data, size);
    const bool valid = ValidateSkinFile(path);
    const CString text = ReadSkinText(path);
    SkinColor(GetSkinValue(GetSkinSection(text, L"General"), L"TBC"));
    const std::vector<DWORD> colours = ReadColours(text);

    // Every page shown, each colour written as it was read.
    std::vector<SkinSectionEdit> edits;
    size_t at = 0;
    for (const SectionKeys& section : kSections) {
        SkinSectionEdit edit{section.header, true, {}, {}};
        for (const wchar_t* key : section.keys) edit.firstOf.push_back({key, ColourText(colours[at++])});
        edits.push_back(edit);
    }
    const std::string bytes = ComposeSkinFile(text, edits);
    if (bytes.empty()) return 0;
    fuzzdevice::Write(again, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    FUZZ_CHECK(!valid || ValidateSkinFile(again));
    // The values come back for a file of the skin format: one key a line, each section named
    // once and closed by a line holding ">" before the next one starts (the readers read on
    // past a "[" line to the ">", the writer stops at either).
    // The sections lie before the "*" line: a text whose keys read differently up to "*" than up
    // to "<" holds sections past the end of its data, which the writer rightly drops.
    if (ReadColours(TextBeforeSkinEndMarker(text)) != colours) return 0;
    std::vector<CString> headers;
    bool inSection = false;
    for (int line = 0, next = 0; line < text.GetLength(); line = next + 1) {
        next = text.Find(L'\n', line);
        if (next < 0) next = text.GetLength();
        const CString one = text.Mid(line, next - line);
        if (one.Find(L'@') != one.ReverseFind(L'@')) return 0;
        if (one.Find(L'[') >= 0) {
            if (inSection || std::find(headers.begin(), headers.end(), one) != headers.end()) return 0;
            headers.push_back(one);
            inSection = true;
        } else if (one.Find(L'>') >= 0) {
            inSection = false;
        }
    }
    FUZZ_CHECK(ReadColours(ReadSkinText(again)) == colours);
    return 0;
}
