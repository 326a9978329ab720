// Message queues: posted and sent order, cross-thread sending and posting, quitting, waiting,
// timers, and the bad cases (dead threads, runaway recursion, hung receivers).

#include "UiTestSupport.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <thread>

using namespace uitest;
using namespace std::chrono_literals;

namespace {

class MessageQueue : public UiTest {};

TEST_F(MessageQueue, SentMessagesOvertakePostedOnes) {
    HWND w = Top(0, 26, 50, 50);
    device::ui::PumpUntilIdle();  // its first paint
    ClearLog();
    PostMessageW(w, WM_APP + 1, 1, 0);
    PostMessageW(w, WM_APP + 2, 2, 0);
    SendMessageW(w, WM_APP + 3, 3, 0);  // handled at once, before the posted ones
    EXPECT_EQ(MessagesOf(w), (std::vector<UINT>{WM_APP + 3}));
    MSG m;
    ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_APP + 1));
    ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE)) << "not removed";
    EXPECT_EQ(m.message, static_cast<UINT>(WM_APP + 1));
    ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_APP + 2, WM_APP + 2, PM_REMOVE)) << "a filter picks the later one";
    EXPECT_EQ(m.wParam, 2u);
    EXPECT_EQ(device::ui::PumpUntilIdle(), 1);
    EXPECT_EQ(MessagesOf(w), (std::vector<UINT>{WM_APP + 3, WM_APP + 1}));
    EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueue, QuitEndsGetMessageAfterPostedMessages) {
    HWND w = Top(0, 26, 50, 50);
    device::ui::PumpUntilIdle();
    PostMessageW(w, WM_APP, 0, 0);
    PostQuitMessage(7);
    MSG m;
    EXPECT_TRUE(GetMessageW(&m, nullptr, 0, 0));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_APP));
    EXPECT_FALSE(GetMessageW(&m, nullptr, 0, 0));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(m.wParam, 7u);
    EXPECT_EQ(GetMessageW(nullptr, nullptr, 0, 0), -1);
}

TEST_F(MessageQueue, SendFromAnotherThreadRunsOnTheOwnerThreadWhileTheSenderWaits) {
    HWND w = Top(0, 26, 50, 50);
    std::thread::id ownerThread = std::this_thread::get_id();
    std::atomic<bool> onOwner{false};
    CurrentHandler() = [&](HWND, UINT msg, WPARAM wParam, LPARAM, LRESULT& r) {
        if (msg != WM_APP + 9) return false;
        onOwner = std::this_thread::get_id() == ownerThread;
        r = static_cast<LRESULT>(wParam * 2);
        return true;
    };
    std::atomic<LRESULT> answer{0};
    std::thread sender([&] { answer = SendMessageW(w, WM_APP + 9, 21, 0); });
    MSG m;
    // The owner handles the sent message while it waits in its own message loop.
    while (answer == 0) MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT), PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);
    sender.join();
    EXPECT_EQ(answer.load(), 42);
    EXPECT_TRUE(onOwner);
}

TEST_F(MessageQueue, TwoThreadsSendingToEachOtherDoNotDeadlock) {
    HWND mine = Top(0, 26, 50, 50);
    std::atomic<HWND> theirs{nullptr};
    std::atomic<bool> done{false};
    std::atomic<LRESULT> fromThem{0};
    CurrentHandler() = [&](HWND h, UINT msg, WPARAM, LPARAM, LRESULT& r) {
        if (msg == WM_APP + 20 && h == mine) {
            r = 5;
            return true;
        }
        if (msg == WM_APP + 21 && h == theirs.load()) {
            // Called on the other thread: it sends back to us while we wait for it.
            r = SendMessageW(mine, WM_APP + 20, 0, 0) + 1;
            return true;
        }
        return false;
    };
    std::thread other([&] {
        theirs = CreateWindowExW(0, kClass, L"theirs", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr);
        MSG m;
        while (!done) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
        }
        DestroyWindow(theirs);
    });
    while (!theirs) std::this_thread::sleep_for(1ms);
    fromThem = SendMessageW(theirs, WM_APP + 21, 0, 0);
    done = true;
    other.join();
    EXPECT_EQ(fromThem.load(), 6);
}

TEST_F(MessageQueue, TickerThreadPostsAtOneHertzWhileTheUiThreadWorks) {
    HWND page = Top(0, 26, 50, 50);
    std::atomic<HWND> cell{page};
    std::atomic<bool> stop{false};
    std::thread ticker([&] {
        while (!stop) {
            PostMessageW(cell.load(), WM_TIMER, 0, 0);
            for (int i = 0; i < 100 && !stop; ++i) std::this_thread::sleep_for(10ms);
        }
    });
    int ticks = 0;
    auto start = std::chrono::steady_clock::now();
    MSG m;
    // The UI thread keeps busy with its own posted work between ticks.
    while (ticks < 3) {
        PostMessageW(page, WM_APP + 30, 0, 0);
        std::this_thread::sleep_for(5ms);
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_TIMER && m.hwnd == page && m.wParam == 0 && m.lParam == 0) ++ticks;
            DispatchMessageW(&m);
        }
        ASSERT_LT(std::chrono::steady_clock::now() - start, 5s);
    }
    stop = true;
    ticker.join();
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, 1900ms) << "three ticks a second apart";
    EXPECT_EQ(MessagesOf(page, {WM_TIMER}).size(), 3u);
}

TEST_F(MessageQueue, MessagesToWindowsOfAThreadThatEnded) {
    HWND orphan = nullptr;
    std::thread t([&] {
        orphan = CreateWindowExW(0, kClass, L"orphan", WS_POPUP | WS_VISIBLE, 0, 26, 20, 20, nullptr, nullptr, nullptr,
                                 nullptr);
    });
    t.join();
    ASSERT_NE(orphan, nullptr);
    EXPECT_FALSE(IsWindow(orphan)) << "a thread's windows end with it";
    EXPECT_EQ(SendMessageW(orphan, WM_APP, 0, 0), 0);
    EXPECT_FALSE(PostMessageW(orphan, WM_APP, 0, 0));

    // A thread that ends while someone waits for it answers 0.
    std::atomic<HWND> slow{nullptr};
    std::atomic<bool> quit{false};
    std::thread worker([&] {
        slow = CreateWindowExW(0, kClass, L"slow", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr);
        while (!quit) std::this_thread::sleep_for(5ms);  // never pumps
    });
    while (!slow) std::this_thread::sleep_for(1ms);
    std::thread ender([&] {
        std::this_thread::sleep_for(100ms);
        quit = true;
    });
    EXPECT_EQ(SendMessageW(slow, WM_APP, 0, 0), 0);
    worker.join();
    ender.join();
}

TEST_F(MessageQueue, SendMessageTimeoutGivesUpOnAHungThread) {
    std::atomic<HWND> hung{nullptr};
    std::atomic<bool> release{false};
    std::thread t([&] {
        hung = CreateWindowExW(0, kClass, L"hung", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr);
        while (!release) std::this_thread::sleep_for(5ms);
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
        DestroyWindow(hung);
    });
    while (!hung) std::this_thread::sleep_for(1ms);
    DWORD_PTR result = 99;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(SendMessageTimeoutW(hung, WM_APP, 0, 0, SMTO_ABORTIFHUNG, 100, &result), 0);
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 90ms);
    EXPECT_LT(waited, 1000ms);
    EXPECT_EQ(result, 99u) << "no result on a time-out";
    release = true;
    t.join();
}

TEST_F(MessageQueue, RunawaySendRecursionFailsInsteadOfCrashing) {
    HWND w = Top(0, 26, 50, 50);
    int depth = 0;
    int deepest = 0;
    CurrentHandler() = [&](HWND h, UINT msg, WPARAM, LPARAM, LRESULT& r) {
        if (msg != WM_APP + 40) return false;
        ++depth;
        deepest = std::max(deepest, depth);
        r = SendMessageW(h, WM_APP + 40, 0, 0) + 1;  // sends to itself forever
        --depth;
        return true;
    };
    LRESULT r = SendMessageW(w, WM_APP + 40, 0, 0);
    EXPECT_EQ(r, deepest);
    EXPECT_GE(deepest, 100);
    EXPECT_LE(deepest, 1000);
}

TEST_F(MessageQueue, PostThreadMessageAndTheQueueFilterForThreadMessages) {
    DWORD me = GetWindowThreadProcessId(Top(0, 26, 5, 5), nullptr);
    EXPECT_TRUE(PostThreadMessageW(me, WM_APP + 50, 1, 2));
    EXPECT_FALSE(PostThreadMessageW(1, WM_APP, 0, 0)) << "no such thread";
    MSG m;
    ASSERT_TRUE(PeekMessageW(&m, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
    EXPECT_EQ(m.hwnd, nullptr);
    EXPECT_EQ(m.message, static_cast<UINT>(WM_APP + 50));
    EXPECT_EQ(m.lParam, 2);
}

TEST_F(MessageQueue, WindowTimersAndTimerProcedures) {
    HWND w = Top(0, 26, 50, 50);
    device::ui::PumpUntilIdle();
    ClearLog();
    EXPECT_EQ(SetTimer(w, 1, 30, nullptr), 1u);
    static int s_procCalls = 0;
    s_procCalls = 0;
    UINT_PTR thread = SetTimer(nullptr, 0, 20, [](HWND h, UINT msg, UINT_PTR, DWORD) {
        if (h == nullptr && msg == WM_TIMER) ++s_procCalls;
    });
    EXPECT_NE(thread, 0u);
    auto start = std::chrono::steady_clock::now();
    MSG m;
    while (std::chrono::steady_clock::now() - start < 200ms) {
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT) == WAIT_OBJECT_0)
            while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    }
    auto timers = Matching(WM_TIMER);
    EXPECT_GE(timers.size(), 3u);
    EXPECT_LE(timers.size(), 8u);
    for (const Logged& t : timers) EXPECT_EQ(t.wParam, 1u);
    EXPECT_GE(s_procCalls, 4);
    EXPECT_TRUE(KillTimer(w, 1));
    EXPECT_TRUE(KillTimer(nullptr, thread));
    EXPECT_FALSE(KillTimer(w, 1));
    ClearLog();
    std::this_thread::sleep_for(50ms);
    device::ui::PumpUntilIdle();
    EXPECT_TRUE(Matching(WM_TIMER).empty()) << "killed timers stay quiet";

    // A forged WM_TIMER with a procedure pointer no timer has is not called.
    MSG forged{nullptr, WM_TIMER, 5, 0x1234, 0, {0, 0}};
    EXPECT_EQ(DispatchMessageW(&forged), 0);
}

TEST_F(MessageQueue, TimersComeOnlyWhenTheQueueIsOtherwiseEmpty) {
    HWND w = Top(0, 26, 50, 50);
    device::ui::PumpUntilIdle();
    SetTimer(w, 3, 10, nullptr);
    std::this_thread::sleep_for(30ms);
    PostMessageW(w, WM_APP + 60, 0, 0);
    ClearLog();
    MSG m;
    ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_APP + 60));
    ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_TIMER)) << "one WM_TIMER however many periods passed";
    EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    KillTimer(w, 3);
}

TEST_F(MessageQueue, WaitingReturnsOnTimeOutWithoutMessages) {
    device::ui::PumpUntilIdle();
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 60, QS_ALLINPUT), WAIT_TIMEOUT);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 55ms);
    HANDLE h = nullptr;
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &h, FALSE, 0, QS_ALLINPUT), WAIT_FAILED);

    // A post from another thread wakes a waiting GetMessage.
    HWND w = Top(0, 26, 5, 5);
    device::ui::PumpUntilIdle();
    std::thread poster([&] {
        std::this_thread::sleep_for(30ms);
        PostMessageW(w, WM_APP + 70, 0, 0);
    });
    MSG m;
    ASSERT_TRUE(GetMessageW(&m, nullptr, WM_APP + 70, WM_APP + 70));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_APP + 70));
    poster.join();
}

TEST_F(MessageQueue, ReplyMessageReleasesTheSenderEarly) {
    HWND w = Top(0, 26, 5, 5);
    std::atomic<bool> handlerDone{false};
    CurrentHandler() = [&](HWND, UINT msg, WPARAM, LPARAM, LRESULT& r) {
        if (msg != WM_APP + 80) return false;
        EXPECT_TRUE(InSendMessage());
        ReplyMessage(11);
        std::this_thread::sleep_for(50ms);
        handlerDone = true;
        r = 12;
        return true;
    };
    std::atomic<LRESULT> got{0};
    std::atomic<bool> finishedBeforeHandler{false};
    std::thread sender([&] {
        got = SendMessageW(w, WM_APP + 80, 0, 0);
        finishedBeforeHandler = !handlerDone;
    });
    while (got == 0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG m;
        PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);
    }
    sender.join();
    EXPECT_EQ(got.load(), 11);
    EXPECT_TRUE(finishedBeforeHandler);
    EXPECT_FALSE(InSendMessage());
}

} // namespace
