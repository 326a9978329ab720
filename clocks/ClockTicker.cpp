#include "clocks/ClockTicker.h"

#include "platform/ui/WinUser.h"

#include <chrono>
#include <system_error>

bool ClockTicker::Start(HWND window, unsigned periodMs) {
    if (m_thread.joinable()) return false;
    m_window.store(window);
    m_periodMs = periodMs == 0 ? 1 : periodMs;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopRequested = false;
    }
    try {
        m_thread = std::thread(ClockTickerThread, this);
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void ClockTicker::Stop() {
    if (m_thread.joinable()) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stopRequested = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    m_window.store(nullptr);
}

void ClockTickerThread(ClockTicker* ticker) {
    std::unique_lock<std::mutex> lock(ticker->m_mutex);
    for (;;) {
        for (int i = 0; i < 60; ++i) {
            if (ticker->m_stopRequested) return;
            ::PostMessageW(ticker->m_window.load(), WM_TIMER, 0, 0);
            // The wait stands in for the sleep: a stop request ends it at once.
            if (ticker->m_wake.wait_for(lock, std::chrono::milliseconds(ticker->m_periodMs),
                                        [ticker] { return ticker->m_stopRequested; }))
                return;
        }
        ticker->m_minuteFlag.store(1);
    }
}
