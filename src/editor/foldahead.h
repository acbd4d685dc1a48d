// Fold levels of a big text worked out on a second thread, ahead of the folding that sets them
// in the view, read straight from the text where it lies: no copy of it is made. The text must
// therefore stay as it is, where it is, while the scan runs: whoever changes, moves or frees it
// calls Stop first, which waits for the scan and drops what it found.
#pragma once

#include "editor/foldlevels.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <thread>

class CFoldAhead {
public:
    CFoldAhead() = default;
    ~CFoldAhead() { Stop(); }
    CFoldAhead(const CFoldAhead &) = delete;
    CFoldAhead &operator=(const CFoldAhead &) = delete;

    // Scans text, which holds at most lineCount lines, from its first line on.
    void Start(std::string_view text, std::size_t lineCount);
    // Ends the scan (if one runs) and forgets its levels.
    void Stop();
    // The level words of the lines from the first on that the scan has finished.
    std::span<const std::uint32_t> Ready() const
    {
        return {m_levels.get(), m_ready.load(std::memory_order_acquire)};
    }

private:
    void Run(std::string_view text);

    // Made before the thread starts, but left for it to fill (and touch its pages first): it
    // writes each line's word once, before Ready takes it in.
    std::unique_ptr<std::uint32_t[]> m_levels;
    std::size_t m_lineCount = 0;
    std::atomic<std::size_t> m_ready{0};
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
};
