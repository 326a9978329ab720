#pragma once
// The stand-in feed server for a benchmark: the shipped feed data served on a free loopback port.

#include "platform/programs/feed-server/FeedServer.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace benchsupport {

// Null, with the benchmark marked as skipped, when the data cannot be read or no port listens.
inline std::unique_ptr<feedserver::FeedServer> StartFeedServer(benchmark::State& state) {
    std::string error;
    auto data = feedserver::LoadFeedData(JORVANA_FEED_DATA, error);
    if (!data) {
        state.SkipWithError(error.c_str());
        return nullptr;
    }
    auto server = std::make_unique<feedserver::FeedServer>(std::move(*data));
    if (!server->Start(0)) {
        state.SkipWithError("the feed server cannot listen");
        return nullptr;
    }
    return server;
}

} // namespace benchsupport
