#pragma once
// ClockTickerThread: the World Clocks page's own ticker. It posts WM_TIMER (wParam 0, lParam 0)
// to the window in its window-handle cell once a period (1000 ms), the first post at once, and
// raises the minute flag after every sixty posts. Posting never waits for the page. The page
// stops the ticker, and waits for its end, before it lets the cell go.

#include "platform/base/WinTypes.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

class ClockTicker {
public:
    ClockTicker() = default;
    ~ClockTicker() { Stop(); }
    ClockTicker(const ClockTicker&) = delete;
    ClockTicker& operator=(const ClockTicker&) = delete;

    // Stores the window in the cell and starts the thread. False when it could not be started
    // (or already runs); the page then keeps its start-up texts.
    bool Start(HWND window, unsigned periodMs = 1000);
    // Asks the thread to stop, waits for its end and clears the cell. The thread ends within one
    // period; no post follows the request.
    void Stop();
    bool IsRunning() const { return m_thread.joinable(); }

    // The minute flag: 1 after every sixty posts; the page reads and clears it.
    bool TakeMinuteFlag() { return m_minuteFlag.exchange(0) != 0; }
    void RaiseMinuteFlag() { m_minuteFlag.store(1); }
    HWND Window() const { return m_window.load(); }

private:
    friend void ClockTickerThread(ClockTicker* ticker);

    std::atomic<HWND> m_window{nullptr}; // the window-handle cell
    std::atomic<int> m_minuteFlag{0};
    unsigned m_periodMs = 1000;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopRequested = false; // guarded by m_mutex
    std::thread m_thread;
};

// The thread procedure: sixty posts a period apart, then the minute flag, until stopped.
void ClockTickerThread(ClockTicker* ticker);
