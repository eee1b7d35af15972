#pragma once
// The largest value of the last `window` values pushed, kept as a descending run of
// candidates so that each push costs amortised constant time instead of a scan of the window.
#include <cstdint>

namespace SX {

class StudioSlidingMax {
public:
    // values and stamps: window entries each, owned by the caller.
    void Init(float* values, uint32_t* stamps, uint32_t window) {
        m_values = values;
        m_stamps = stamps;
        m_window = window;
        m_head = 0;
        m_count = 0;
        m_clock = 0;
    }
    // Pushes v and returns the largest of the last `window` values pushed.
    float Push(float v) {
        // The oldest candidate leaves first, so that the new one always has a free slot.
        while (m_count > 0 && m_clock - m_stamps[m_head] >= m_window) {
            m_head = m_head + 1 == m_window ? 0 : m_head + 1;
            --m_count;
        }
        while (m_count > 0 && m_values[Slot(m_count - 1)] <= v) --m_count;
        m_values[Slot(m_count)] = v;
        m_stamps[Slot(m_count)] = m_clock;
        ++m_count;
        ++m_clock;
        return m_values[m_head];
    }

private:
    uint32_t Slot(uint32_t i) const {
        const uint32_t s = m_head + i;
        return s >= m_window ? s - m_window : s;
    }

    float* m_values = nullptr;
    uint32_t* m_stamps = nullptr;
    uint32_t m_window = 1;
    uint32_t m_head = 0;
    uint32_t m_count = 0;
    uint32_t m_clock = 0;
};

}  // namespace SX
