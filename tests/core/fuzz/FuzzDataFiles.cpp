// libFuzzer target for the program's own data files: the input becomes pack.dat (read, written
// and read again: the second read equals the first), langs.dat, currs.lst, a weatcs country file
// and mapping.cfg, each read by its reader.
#include "FuzzDevice.h"
#include "core/TextFiles.h"
#include "platform/base/CodePage.h"
#include "shell/LanguageList.h"
#include "shell/StartupFiles.h"
#include "tools/PackingListFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

bool Same(const PackData& a, const PackData& b) {
    if (a.size() != b.size()) return false;
    for (size_t c = 0; c < a.size(); ++c) {
        if (!(a[c].name == b[c].name) || a[c].lists.size() != b[c].lists.size()) return false;
        for (size_t l = 0; l < a[c].lists.size(); ++l) {
            const PackList& x = a[c].lists[l];
            const PackList& y = b[c].lists[l];
            if (!(x.name == y.name) || x.items.size() != y.items.size()) return false;
            for (size_t i = 0; i < x.items.size(); ++i)
                if (!(x.items[i].text == y.items[i].text) || x.items[i].checked != y.items[i].checked) return false;
        }
    }
    return true;
}

void CheckPackingList(const uint8_t* data, size_t size) {
    const wchar_t* path = L"\\Program Files\\Jorvana\\pack.dat";
    fuzzdevice::Write(path, data, size);
    PackData first;
    if (!ReadPackingListFile(path, first)) return;
    FUZZ_CHECK(!first.empty() && first.size() <= static_cast<size_t>(kMaxPackCategories));
    FUZZ_CHECK(WritePackingListFile(path, first));
    PackData second;
    FUZZ_CHECK(ReadPackingListFile(path, second) && Same(first, second));
}

void CheckLanguageList(const uint8_t* data, size_t size) {
    const wchar_t* path = L"\\Program Files\\Jorvana\\langs.dat";
    fuzzdevice::Write(path, data, size);
    const CString text = ReadLanguageListText(path);
    FUZZ_CHECK(text.Find(L'>') < 0);
    for (int lang = 0; lang < 12; ++lang) {
        const CString name = FindLanguageModuleName(text, lang);
        FUZZ_CHECK(name.Find(L'@') < 0 && name.Find(L',') < 0);
    }
    for (const CString& entry : ReadLanguageEntries(path)) {
        FUZZ_CHECK(entry.Find(L'@') < 0);
        LanguageDisplayName(entry);
    }
    // Written back in capitals (as the language choice stores it), the list loses no letter.
    CString upper = text;
    upper.MakeUpper();
    if (WriteLanguageList(path, text)) {
        CString back = ReadLanguageListText(path);
        back.MakeUpper();
        FUZZ_CHECK(back == upper);
    }
}

void CheckCurrencyList(const uint8_t* data, size_t size) {
    const wchar_t* path = L"\\Program Files\\Jorvana\\currs.lst";
    fuzzdevice::Write(path, data, size);
    CTextFileHandle file(OpenTextFile(path, TextFileKind::CurrencyList));
    FUZZ_CHECK(file);
    // Every entry takes at least one byte of the file: a count line cannot make up entries.
    FUZZ_CHECK(ReadCurrencyList(file.Get()).size() <= size);
}

void CheckCountryFile(const uint8_t* data, size_t size) {
    const wchar_t* path = L"\\Program Files\\Jorvana\\country.txt";
    fuzzdevice::Write(path, data, size);
    // The name of the input's first line, as the city choice looks it up.
    const std::wstring text = device::WidenBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    const CString name(text.substr(0, text.find_first_of(L";\r\n")).c_str());
    CTextFileHandle file(OpenTextFile(path, TextFileKind::CountryCities));
    FUZZ_CHECK(file);
    CString code;
    FUZZ_CHECK(!FindCountryWeatherCode(file.Get(), name, code) || code.Find(L'\n') < 0);
}

void CheckImageMapping(const uint8_t* data, size_t size) {
    fuzzdevice::Write(L"\\Program Files\\Jorvana\\mapping.cfg", data, size);
    for (const wchar_t* key : {L"day", L"worldmap", L"", L"a"}) {
        FUZZ_CHECK(IsNameInsideFolder(LookupImageMapping(key)));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzdevice::EnsureDevice();
    CheckPackingList(data, size);
    CheckLanguageList(data, size);
    CheckCurrencyList(data, size);
    CheckCountryFile(data, size);
    CheckImageMapping(data, size);
    return 0;
}
