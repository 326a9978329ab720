// Object-store speed on a 1000-record database of four string properties (the size of the city
// store): seek by index and read, value seek on the sort key, add one record.
#include "platform/system/DeviceDb.h"
#include "platform/system/DeviceRoot.h"
#include "platform/system/ObjectStore.h"

#include "bench/BenchRoot.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

CEPROPID Str(WORD id) {
    return static_cast<CEPROPID>(MAKELONG(CEVT_LPWSTR, id));
}

std::wstring Key(int i) {
    wchar_t buf[32];
    std::swprintf(buf, 32, L"City%05d:Country", (i * 7919) % 100000);
    return buf;
}

CEOID AddCity(HANDLE h, const std::wstring& name) {
    std::wstring pos = L"10.75:59.91", zone = L"100", rule = L"1:88:2:298:3";
    CEPROPVAL v[4] = {};
    const WORD ids[4] = {101, 103, 108, 104};
    const std::wstring* texts[4] = {&name, &pos, &zone, &rule};
    for (int i = 0; i < 4; ++i) {
        v[i].propid = Str(ids[i]);
        v[i].val.lpwstr = const_cast<LPWSTR>(texts[i]->c_str());
    }
    return CeWriteRecordProps(h, 0, 4, v);
}

// A fresh database named name with 1000 records, opened with auto-advance.
HANDLE Fill(const wchar_t* name) {
    SORTORDERSPEC sorts[4] = {{Str(101), 0}, {Str(103), 0}, {Str(108), 0}, {Str(104), 0}};
    CEOID oid = 0;
    HANDLE old = CeOpenDatabase(&oid, name, 0, 0, nullptr);
    if (old != INVALID_HANDLE_VALUE) {
        device::CloseObjectStoreHandle(old);
        CeDeleteDatabase(oid);
    }
    CeCreateDatabase(name, 12345, 4, sorts);
    HANDLE h = CeOpenDatabase(nullptr, name, 0, CEDB_AUTOINCREMENT, nullptr);
    for (int i = 0; i < 1000; ++i)
        AddCity(h, Key(i));
    return h;
}

void BM_SeekIndexAndRead(benchmark::State& state) {
    HANDLE h = Fill(L"benchSeek");
    LPBYTE buffer = nullptr;
    DWORD size = 0;
    for (auto _ : state) {
        if (!CeSeekDatabase(h, CEDB_SEEK_BEGINNING, 500, nullptr)) state.SkipWithError("seek failed");
        WORD count = 0;
        if (!CeReadRecordProps(h, CEDB_ALLOWREALLOC, &count, nullptr, &buffer, &size))
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(buffer);
    }
    LocalFree(buffer);
    device::CloseObjectStoreHandle(h);
}
BENCHMARK(BM_SeekIndexAndRead);

void BM_ValueSeekOnSortKey(benchmark::State& state) {
    HANDLE h = Fill(L"benchValue");
    int i = 0;
    for (auto _ : state) {
        std::wstring key = Key(i++ % 1000);
        CEPROPVAL v = {};
        v.propid = Str(101);
        v.val.lpwstr = key.data();
        DWORD index = 0;
        if (!CeSeekDatabase(h, CEDB_SEEK_VALUEFIRSTEQUAL, reinterpret_cast<DWORD_PTR>(&v), &index))
            state.SkipWithError("value not found");
        benchmark::DoNotOptimize(index);
    }
    device::CloseObjectStoreHandle(h);
}
BENCHMARK(BM_ValueSeekOnSortKey);

void BM_AddRecord(benchmark::State& state) {
    HANDLE h = Fill(L"benchAdd");
    int i = 1000;
    for (auto _ : state) {
        if (!AddCity(h, Key(i++))) state.SkipWithError("write failed");
    }
    device::CloseObjectStoreHandle(h);
}
BENCHMARK(BM_AddRecord);

// A seek right after this process rewrote a sort key: its ordered views are patched in place.
void BM_SeekAfterOwnWrite(benchmark::State& state) {
    HANDLE h = Fill(L"benchAfterWrite");
    CEOID rec = 0;
    CeSeekDatabase(h, CEDB_SEEK_BEGINNING, 0, nullptr);
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::wstring text = std::to_wstring(i++);
        CEPROPVAL v = {};
        v.propid = Str(108);
        v.val.lpwstr = text.data();
        if (!rec) rec = CeSeekDatabase(h, CEDB_SEEK_BEGINNING, 10, nullptr);
        CeWriteRecordProps(h, rec, 1, &v);
        state.ResumeTiming();
        if (!CeSeekDatabase(h, CEDB_SEEK_BEGINNING, 500, nullptr)) state.SkipWithError("seek failed");
    }
    device::CloseObjectStoreHandle(h);
}
BENCHMARK(BM_SeekAfterOwnWrite);

// A seek after another process changed the database: the order is read again from device.db,
// once per change (the change is stood in for by bumping the database's version).
void BM_SeekAfterAnotherProcessWrote(benchmark::State& state) {
    HANDLE h = Fill(L"benchForeign");
    for (auto _ : state) {
        state.PauseTiming();
        device::DeviceDb::Get()->Write([](sqlite3* db) {
            return device::Statement(db, "UPDATE ce_database SET version=version+1 WHERE name='benchForeign'")
                .Run();
        });
        state.ResumeTiming();
        if (!CeSeekDatabase(h, CEDB_SEEK_BEGINNING, 500, nullptr)) state.SkipWithError("seek failed");
    }
    device::CloseObjectStoreHandle(h);
}
BENCHMARK(BM_SeekAfterAnotherProcessWrote);

} // namespace

int main(int argc, char** argv) {
    benchsupport::BenchRoot root; // a device root of its own, removed at the end
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
