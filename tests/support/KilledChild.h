#pragma once
// An action killed part way: run in a child process that SIGKILL ends after a delay counted from
// the moment the action begins, as a device loses power in the middle of it.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace testsupport {

// Runs act in a child process and kills it delayUs microseconds after act began (or after it
// ended, when it is quicker); returns once the child is gone.
inline void RunKilledAfter(const std::function<void()>& act, useconds_t delayUs) {
    int acting[2];
    ASSERT_EQ(pipe(acting), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(acting[0]);
        if (write(acting[1], "!", 1) != 1) _exit(3);
        act();
        _exit(0);
    }
    close(acting[1]);
    char started = 0;
    EXPECT_EQ(read(acting[0], &started, 1), 1);
    usleep(delayUs);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(acting[0]);
}

} // namespace testsupport
