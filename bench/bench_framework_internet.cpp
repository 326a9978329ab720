// Feed exchanges over loopback through the internet classes: one weather POST to the stand-in
// feed server, and a reply body of the program's full 256000 bytes.
#include "platform/framework/Internet.h"
#include "bench/BenchFeedServer.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

// Posts body to the server and reads the reply in the program's 1024-byte pieces; the bytes read.
size_t Exchange(int port, const std::string& object, const std::string& body) {
    CInternetSession session(L"Jorvana");
    std::unique_ptr<CHttpConnection> connection(
        session.GetHttpConnection(L"127.0.0.1", static_cast<INTERNET_PORT>(port)));
    std::unique_ptr<CHttpFile> file(
        connection->OpenRequest(CHttpConnection::HTTP_VERB_POST, CString(object.c_str()), nullptr, 1, nullptr,
                                nullptr, INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT));
    file->AddRequestHeaders(
        L"Content-Type: application/x-www-form-urlencoded\r\nCookie: JSESSIONID=0123456789ABCDEF\r\n");
    file->SendRequest(nullptr, 0, const_cast<char*>(body.data()), static_cast<DWORD>(body.size()));
    DWORD status = 0;
    file->QueryInfoStatusCode(status);
    CString headers;
    file->QueryInfo(HTTP_QUERY_RAW_HEADERS_CRLF, headers);
    file->SetReadBufferSize(2048);
    char piece[1024];
    size_t total = 0;
    while (UINT n = file->Read(piece, sizeof piece))
        total += n;
    file->Close();
    connection->Close();
    session.Close();
    return total;
}

void BM_FeedWeatherPostRoundTrip(benchmark::State& state) {
    auto server = benchsupport::StartFeedServer(state);
    if (!server) return;
    const std::string body = "inet=Host Network:Host Network&jc=111&c='GB0001'&os=wince4.20&appver=1.0F2"
                             "&home=Paris&scrsize=240x320&wasize=240x268&'0'";
    for (auto _ : state)
        benchmark::DoNotOptimize(Exchange(server->Port(), "/feed", body));
}
BENCHMARK(BM_FeedWeatherPostRoundTrip)->Unit(benchmark::kMillisecond);

void BM_Read256000ByteBody(benchmark::State& state) {
    const std::string reply(256000, 'r');
    feedserver::LoopbackServer server(
        [&reply](const httplib::Request&, httplib::Response& res) { res.set_content(reply, "text/plain"); });
    server.Start(0);
    for (auto _ : state) {
        size_t n = Exchange(server.Port(), "/big", "jc=111");
        if (n != reply.size()) state.SkipWithError("short body");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reply.size()));
}
BENCHMARK(BM_Read256000ByteBody)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
