#pragma once

#include <cstdint>

// Every pause and wait of a batch, in one place. The defaults are the program's real values; tests
// pass a shorter profile.
struct BatchTiming {
    // After showing the progress window, without pumping: the window settles before the run.
    int64_t showPauseMs = 2000;
    // After starting the worker, without pumping: the transcoder appears in the process list.
    int64_t startPauseMs = 3000;
    // Between checks for a running transcoder, and between kill attempts; pumping each time.
    int64_t pollMs = 100;
    // The worker's pause after handing over a chunk, so the window is not flooded.
    int64_t runnerPauseMs = 500;
    // The worker's wait when nothing has arrived, and the step in which it notices the child's end.
    int64_t runnerIdleMs = 10;
    // Quick batches: the step in which the batch notices that the worker's transcoder has ended.
    int64_t quickPollMs = 10;
    // StopTranscoder gives up on a process name it could not kill for this long.
    int64_t stopGiveUpMs = 5000;
};
