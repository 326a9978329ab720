#pragma once
// The feed exchange's time-outs for tests whose loopback server answers: short enough that a test
// gone wrong ends soon, long enough that a machine loaded with other work (parallel test runs, a
// build) answers in time; an exchange that times out shows a box such a test does not answer.

#include "core/HttpExchange.h"

namespace testsupport {

inline HttpExchangeTimeouts LoopbackTimeouts() {
    HttpExchangeTimeouts t;
    t.connectionMs = 1000;
    t.connectMs = 1000;
    t.receiveMs = 10000;
    t.overallMs = 20000;
    return t;
}

} // namespace testsupport
