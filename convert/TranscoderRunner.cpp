#include "convert/TranscoderRunner.h"

#include <algorithm>

namespace {

// The pause after a chunk; it ends early once the child has ended, since there is nothing left
// to throttle then.
void PauseWhileRunning(ChildProcess& child, Clock& clock, const BatchTiming& timing) {
    const int64_t step = std::max<int64_t>(1, timing.runnerIdleMs);
    for (int64_t waited = 0; waited < timing.runnerPauseMs && child.IsRunning(); waited += step)
        clock.SleepMs(std::min(step, timing.runnerPauseMs - waited));
}

} // namespace

std::string ReadChunk(ChildProcess& child, std::size_t waiting) {
    if (waiting <= MaxChunkBytes)
        return child.Read(MaxChunkBytes);
    std::string piece;
    do
        piece = child.Read(MaxChunkBytes);
    while (piece.size() == MaxChunkBytes && child.BytesWaiting() > 0);
    return piece;
}

void ReadTranscoderOutput(ChildProcess& child, Clock& clock, const OutputCallback& callback,
                          const BatchTiming& timing) {
    bool running = true;
    while (running) {
        // The exit state first: output that arrives after it is still read in this round.
        running = child.IsRunning();
        const std::size_t waiting = child.BytesWaiting();
        const std::string chunk = waiting > 0 ? ReadChunk(child, waiting) : std::string();
        if (chunk.empty()) {
            if (running)
                clock.SleepMs(timing.runnerIdleMs);
            continue;
        }
        callback(chunk);
        if (running)
            PauseWhileRunning(child, clock, timing);
    }
}

bool RunTranscoder(ProcessLauncher& launcher, Clock& clock, const std::string& executable,
                   const std::string& arguments, const std::string& workingFolder,
                   const OutputCallback& callback, const BatchTiming& timing) {
    const std::unique_ptr<ChildProcess> child = launcher.Start(executable, arguments, workingFolder);
    if (!child)
        return false;
    ReadTranscoderOutput(*child, clock, callback, timing);
    return true;
}
