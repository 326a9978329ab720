#pragma once
// Whether this process has been asked to end (SIGTERM, its window closed, a removal asking it to
// close). The layer's own waits (a busy device store, a network transfer) give up as soon as it
// has, so that a program unwinds to its end at once instead of finishing what it waited for.

namespace device {

// From any thread, a signal handler's thread included; it cannot be taken back.
void RequestProcessEnd();
bool ProcessEndRequested();

} // namespace device
