#include "platform/gdi/Recorder.h"

namespace device::gdi {

void CallRecorder::Add(RecordedCall call) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.push_back(std::move(call));
}

std::vector<RecordedCall> CallRecorder::Calls() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls;
}

std::vector<RecordedCall> CallRecorder::Calls(const std::string& call) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<RecordedCall> out;
    for (const RecordedCall& c : m_calls)
        if (c.call == call) out.push_back(c);
    return out;
}

bool CallRecorder::FindText(const std::wstring& text, RecordedCall& found) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const RecordedCall& c : m_calls)
        if (!c.text.empty() && c.text == text) {
            found = c;
            return true;
        }
    return false;
}

void CallRecorder::Clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.clear();
}

} // namespace device::gdi
