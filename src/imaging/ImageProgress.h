#pragma once

#include <atomic>

// How far a running image command has got, and whether the user asked it to stop. The command
// writes the percentage as it goes (from the library's progress monitor or from its own loop)
// and looks at `cancelled` between steps; the window polls the percentage (every 333 ms) and sets
// `cancelled` on Escape. A cancelled command stops early and its result is thrown away, so the
// picture stays as it was.
struct ImageProgress
{
    std::atomic<int> percent{0};
    std::atomic<bool> cancelled{false};

    void reset()
    {
        percent = 0;
        cancelled = false;
    }
};
