#pragma once
// Shared helpers of the object-store tests: databases of string properties, records written and
// read back as (identifier, text) lists.

#include "platform/system/DeviceClock.h"
#include "platform/system/ObjectStore.h"
#include "support/FreshDevice.h"

#include <string>
#include <utility>
#include <vector>

namespace storetest {

inline CEPROPID Str(WORD id) {
    return static_cast<CEPROPID>(MAKELONG(CEVT_LPWSTR, id));
}

using Props = std::vector<std::pair<WORD, std::wstring>>;

class StoreTest : public testsupport::FreshDevice {
protected:
    void TearDown() override {
        for (HANDLE h : m_open)
            device::CloseObjectStoreHandle(h);
        device::SetDeviceClock("");
        FreshDevice::TearDown();
    }

    // A database with one sort order per (identifier, flags).
    CEOID Create(const wchar_t* name, const std::vector<std::pair<WORD, DWORD>>& sorts, DWORD type = 7) {
        std::vector<SORTORDERSPEC> specs;
        for (auto& [id, flags] : sorts)
            specs.push_back({Str(id), flags});
        return CeCreateDatabase(name, type, static_cast<WORD>(specs.size()),
                                specs.empty() ? nullptr : specs.data());
    }

    HANDLE Open(const wchar_t* name, WORD sortId = 0, DWORD flags = CEDB_AUTOINCREMENT) {
        CEOID oid = 0;
        HANDLE h = CeOpenDatabase(&oid, name, sortId ? Str(sortId) : 0, flags, nullptr);
        if (h != INVALID_HANDLE_VALUE) m_open.push_back(h);
        return h;
    }

    static std::vector<CEPROPVAL> Vals(const Props& props) {
        std::vector<CEPROPVAL> vals(props.size());
        for (size_t i = 0; i < props.size(); ++i) {
            vals[i] = {};
            vals[i].propid = Str(props[i].first);
            vals[i].val.lpwstr = const_cast<LPWSTR>(props[i].second.c_str());
        }
        return vals;
    }

    static CEOID Write(HANDLE h, CEOID record, const Props& props) {
        auto vals = Vals(props);
        return CeWriteRecordProps(h, record, static_cast<WORD>(vals.size()), vals.data());
    }

    static CEOID Add(HANDLE h, const Props& props) { return Write(h, 0, props); }

    // Reads the record under the cursor (all properties); empty with oid 0 when the read fails.
    static Props Read(HANDLE h, CEOID* oid = nullptr) {
        WORD count = 0;
        LPBYTE buffer = nullptr;
        DWORD size = 0;
        CEOID got = CeReadRecordProps(h, CEDB_ALLOWREALLOC, &count, nullptr, &buffer, &size);
        Props props;
        if (got) {
            auto* vals = reinterpret_cast<CEPROPVAL*>(buffer);
            for (WORD i = 0; i < count; ++i)
                props.emplace_back(HIWORD(vals[i].propid), std::wstring(vals[i].val.lpwstr));
        }
        LocalFree(buffer);
        if (oid) *oid = got;
        return props;
    }

    // The values of one property in traversal order, read from the start with auto-advance.
    static std::vector<std::wstring> Column(HANDLE h, WORD id) {
        std::vector<std::wstring> out;
        if (!CeSeekDatabase(h, CEDB_SEEK_BEGINNING, 0, nullptr)) return out;
        for (int guard = 0; guard < 10000; ++guard) {
            CEOID oid = 0;
            Props p = Read(h, &oid);
            if (!oid) break;
            std::wstring v = L"<none>";
            for (auto& [pid, text] : p)
                if (pid == id) v = text;
            out.push_back(v);
        }
        return out;
    }

    static CEOID SeekValue(HANDLE h, WORD id, const wchar_t* text, DWORD* index = nullptr) {
        CEPROPVAL v = {};
        v.propid = Str(id);
        v.val.lpwstr = const_cast<LPWSTR>(text);
        return CeSeekDatabase(h, CEDB_SEEK_VALUEFIRSTEQUAL, reinterpret_cast<DWORD_PTR>(&v), index);
    }

    static CEOIDINFO Info(CEOID oid) {
        CEOIDINFO info = {};
        EXPECT_TRUE(CeOidGetInfo(oid, &info));
        return info;
    }

    static uint64_t Modified(CEOID db) {
        FILETIME ft = Info(db).infDatabase.ftLastModified;
        return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    }

    static uint64_t At(const char* iso) { return device::ParseIsoUtc(iso).value_or(0); }

    std::vector<HANDLE> m_open;
};

} // namespace storetest
