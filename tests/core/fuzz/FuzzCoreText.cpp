// libFuzzer target for the readers of outside text: the token reader (checked against the bytes
// it read), the skin lookups and colours, the validator and the image mapping lookup.
#include "FuzzDevice.h"
#include "core/CommonHelpers.h"
#include "core/SkinFile.h"
#include "core/TextFiles.h"
#include "platform/base/CodePage.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

using fuzzdevice::Write;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzdevice::EnsureDevice();
    if (size < 2) return 0;
    const wchar_t delimiter[2] = {device::WidenByte(data[0]), 0};
    const size_t keyLength = data[1] % 8;
    data += 2;
    size -= 2;
    const std::wstring text = device::WidenBytes(std::string_view(reinterpret_cast<const char*>(data), size));

    // Tokens joined by their delimiter give back exactly what the file holds.
    Write(L"\\fuzz.txt", data, size);
    {
        CTextFileHandle file(OpenTextFile(L"\\fuzz.txt", TextFileKind::PackingList));
        if (!file) std::abort();
        std::wstring joined;
        for (;;) {
            DWORD at = SetFilePointer(file.Get(), 0, nullptr, FILE_CURRENT);
            if (at >= size) break;
            joined += ReadFileToken(file.Get(), delimiter).Str();
            if (SetFilePointer(file.Get(), 0, nullptr, FILE_CURRENT) <= at) std::abort(); // no progress
            joined += delimiter;
        }
        if (!joined.empty() && joined.size() == text.size() + 1) joined.pop_back();
        if (joined != text) std::abort();
    }

    // Skin lookups with a key taken from the input.
    CString skin(text);
    CString key(text.substr(0, keyLength));
    CString section = GetSkinSection(skin, key);
    CString value = GetSkinValue(section, key);
    GetSkinValue(skin, key);
    SkinColor(value);
    int position = 0;
    if (!IsNumericText(value, position) && (position < 0 || position >= value.GetLength())) std::abort();
    CString joinedPath;
    JoinSkinPath(L"\\Skins", value, joinedPath);

    Write(L"\\Program Files\\Jorvana\\fuzz.skn", data, size);
    ValidateSkinFile(L"\\Program Files\\Jorvana\\fuzz.skn");

    Write(L"\\Program Files\\Jorvana\\mapping.cfg", data, size);
    CString image = LookupImageMapping(key);
    if (!IsNameInsideFolder(image)) std::abort();
    return 0;
}
