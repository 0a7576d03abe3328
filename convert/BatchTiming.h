#pragma once

#include <cstdint>

// Every pause and wait of a batch, in one place. The defaults are the program's real values; tests
// pass a shorter profile.
struct BatchTiming {
    // After showing the progress window: the window settles before the run. Window events are
    // served meanwhile (every pollMs), so a stop or close click is never ignored.
    int64_t showPauseMs = 2000;
    // After starting the worker, serving events the same way.
    int64_t startPauseMs = 3000;
    // Between checks for a running transcoder, and between checks while it is stopped; pumping each time.
    int64_t pollMs = 100;
    // The worker's pause after handing over a chunk, so the window is not flooded.
    int64_t runnerPauseMs = 500;
    // The worker's wait when nothing has arrived, and the step in which it notices the child's end.
    int64_t runnerIdleMs = 10;
    // Quick batches: the step in which the batch notices that the worker's transcoder has ended.
    int64_t quickPollMs = 10;
    // A stop asks the transcoder to end (it finishes a playable partial file) and kills it when it
    // is still there after this long.
    int64_t stopGraceMs = 2000;
    // StopTranscoder gives up on a transcoder that outlives its kill for this long.
    int64_t stopGiveUpMs = 5000;
};
