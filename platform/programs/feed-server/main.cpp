// feed-server: the stand-in feed server on this machine's loopback, for the program and for
// trying it by hand. Logs one line per request on standard error; ends on Ctrl-C or SIGTERM.
#include "platform/programs/feed-server/FeedServer.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>

namespace {

void Usage(std::ostream& out) {
    out << "usage: feed-server [--port N] [--data FOLDER] [--today YYYY-MM-DD] [--news-id ID] "
           "[--byte-order-mark]\n"
           "  --port N       loopback port to listen on (default 8765; 0 picks a free one)\n"
           "  --data FOLDER  folder of places.txt and rates.txt (default " JORVANA_FEED_DATA ")\n"
           "  --today DATE   day 0 of every forecast (default: today, UTC)\n"
           "  --news-id ID   value of the newsid header (default 1)\n"
           "  --byte-order-mark  every reply body opens with the UTF-8 byte-order mark\n";
}

} // namespace

int main(int argc, char** argv) {
    int port = 8765;
    std::string data = JORVANA_FEED_DATA;
    feedserver::FeedOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::cerr << "feed-server: " << arg << " needs a value\n";
                std::exit(2);
            }
            return argv[++i];
        };
        if (arg == "--port") {
            std::string text = value();
            char* end = nullptr;
            long n = std::strtol(text.c_str(), &end, 10);
            if (text.empty() || *end || n < 0 || n > 65535) {
                std::cerr << "feed-server: the port must be a number from 0 to 65535\n";
                return 2;
            }
            port = static_cast<int>(n);
        } else if (arg == "--data") {
            data = value();
        } else if (arg == "--today") {
            feedserver::CivilDate day;
            if (!feedserver::ParseCivilDate(value(), day)) {
                std::cerr << "feed-server: --today takes a date as YYYY-MM-DD\n";
                return 2;
            }
            options.today = day;
        } else if (arg == "--news-id") {
            options.newsId = value();
        } else if (arg == "--byte-order-mark") {
            options.byteOrderMark = true;
        } else if (arg == "--help" || arg == "-h") {
            Usage(std::cout);
            return 0;
        } else {
            std::cerr << "feed-server: unknown option " << arg << "\n";
            Usage(std::cerr);
            return 2;
        }
    }

    std::string error;
    auto feed = feedserver::LoadFeedData(data, error);
    if (!feed) {
        std::cerr << "feed-server: " << error << "\n";
        return 1;
    }

    // Block the stop signals before any thread starts, then wait for one of them here.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);

    feedserver::FeedServer server(std::move(*feed), options);
    server.Server().SetLog(&std::cerr);
    if (!server.Start(port)) {
        std::cerr << "feed-server: cannot listen on 127.0.0.1:" << port << " (" << std::strerror(errno)
                  << ")\n";
        return 1;
    }
    std::cerr << "feed-server: serving " << server.FeedUrl() << " from " << data << std::endl;
    int signal = 0;
    sigwait(&stop, &signal);
    std::cerr << "feed-server: stopping" << std::endl;
    server.Stop();
    return 0;
}
