// The traversal order after long runs of adds, rewrites and deletes, made in this process and in
// another, against a plain model of the documented collation.
#include "ObjectStoreTestSupport.h"
#include "platform/base/CaseFold.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <random>

using storetest::Props;
using storetest::Str;
using ObjectStoreOrderTest = storetest::StoreTest;

namespace {

struct ModelRecord {
    CEOID oid;
    std::wstring blind; // property 1: case-blind sort order
    std::wstring exact; // property 2: case-sensitive sort order
};

std::vector<std::wstring> Expected(std::vector<ModelRecord> recs, bool blind) {
    std::stable_sort(recs.begin(), recs.end(), [&](const ModelRecord& a, const ModelRecord& b) {
        const std::wstring& x = blind ? a.blind : a.exact;
        const std::wstring& y = blind ? b.blind : b.exact;
        int c = blind ? device::CompareNoCase(x, y) : x.compare(y);
        return c != 0 ? c < 0 : a.oid < b.oid;
    });
    std::vector<std::wstring> out;
    for (auto& r : recs)
        out.push_back(blind ? r.blind : r.exact);
    return out;
}

} // namespace

TEST_F(ObjectStoreOrderTest, OrdersStayRightThroughManyChangesHereAndElsewhere) {
    ASSERT_NE(Create(L"churn", {{1, CEDB_SORT_CASEINSENSITIVE}, {2, 0}}), 0u);
    HANDLE writer = Open(L"churn");
    HANDLE blindReader = Open(L"churn");
    HANDLE exactReader = Open(L"churn", 2);
    const std::vector<std::wstring> words = {L"a",  L"A",  L"b",      L"B",      L"ab",
                                             L"Ab", L"aB", L"\u00e9", L"\u00c9", L""};
    std::mt19937 rng(20260309);
    auto word = [&] { return words[rng() % words.size()]; };
    std::vector<ModelRecord> model;

    for (int step = 0; step < 300; ++step) {
        unsigned op = rng() % 10;
        if (model.empty() || op < 5) {
            ModelRecord r{0, word(), word()};
            r.oid = Add(writer, {{1, r.blind}, {2, r.exact}});
            ASSERT_NE(r.oid, 0u);
            model.push_back(r);
        } else if (op < 8) {
            ModelRecord& r = model[rng() % model.size()];
            r.blind = word();
            ASSERT_EQ(Write(writer, r.oid, {{1, r.blind}}), r.oid);
        } else if (op < 9) {
            size_t i = rng() % model.size();
            ASSERT_TRUE(CeDeleteRecord(writer, model[i].oid));
            model.erase(model.begin() + static_cast<long>(i));
        } else {
            // Another process rewrites a record: every view here must be rebuilt.
            ModelRecord& r = model[rng() % model.size()];
            std::wstring text = word();
            CEOID oid = r.oid;
            pid_t pid = fork();
            if (pid == 0) {
                CEPROPVAL v = {};
                v.propid = Str(2);
                v.val.lpwstr = const_cast<LPWSTR>(text.c_str());
                _exit(CeWriteRecordProps(writer, oid, 1, &v) == oid ? 0 : 1);
            }
            int status = 0;
            ASSERT_EQ(waitpid(pid, &status, 0), pid);
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
            r.exact = text;
        }
        if (step % 7 == 0 || op == 9) {
            ASSERT_EQ(Column(blindReader, 1), Expected(model, true)) << "after step " << step;
            ASSERT_EQ(Column(exactReader, 2), Expected(model, false)) << "after step " << step;
        }
    }
    EXPECT_EQ(Info(Info(model.front().oid).infRecord.oidParent).infDatabase.wNumRecords, model.size());
}
