#include "support/BackgroundPriority.h"

#include <sys/resource.h>
#include <unistd.h>

namespace {

// The nice value of background threads: about a tenth of the window thread's share when both want
// the processor, all of it when the window is idle.
constexpr int BackgroundNice = 10;

} // namespace

void LowerCurrentThreadPriority() {
    thread_local bool lowered = false;
    if (lowered)
        return;
    lowered = true;
    // On Linux a nice value belongs to the thread. Raising one's own nice value needs no privilege;
    // it cannot fail for a running thread, and a thread left at its priority still works.
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), BackgroundNice);
}
