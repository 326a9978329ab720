#pragma once
// Reading a small shipped file whole through the device layer's file calls, header-only so that
// the program and the Today plug-in (which share no other code) read it alike.

#include "platform/system/DeviceFiles.h"

#include <string>

// The bytes of the file at the device path; false when it is missing, unreadable or larger than
// cap bytes (a file that large is not the file it should be).
inline bool ReadWholeDeviceFile(const wchar_t* path, size_t cap, std::string& bytes) {
    bytes.clear();
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char chunk[16384];
    DWORD got = 0;
    bool whole = true;
    while ((whole = ReadFile(file, chunk, sizeof(chunk), &got, nullptr) != FALSE) && got > 0) {
        bytes.append(chunk, got);
        if (bytes.size() > cap) {
            whole = false;
            break;
        }
    }
    CloseHandle(file);
    return whole;
}
