#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "convert/ProcessLauncher.h"

// What the size of one output is estimated for: the source, the part to convert, and the options of
// its command line between the input and the trim.
struct EstimateRequest {
    std::string source;
    int64_t startSeconds = 0;
    int64_t cutSeconds = 0;
    std::string options;   // e.g. " -vcodec libx264 ... -crf 22 ... -f mp4"
    std::string extension; // of the sample files

    std::string Key() const;
};

// Where the samples of a cut are taken: a few short pieces spread evenly over it, or the whole cut
// when it is hardly longer than the pieces together.
struct SamplePlan {
    std::vector<int64_t> starts; // seconds into the source
    int64_t seconds = 0;         // length of each piece
};
SamplePlan PlanSamples(int64_t startSeconds, int64_t cutSeconds);

// The bytes of the whole cut from the bytes of its samples.
int64_t ScaleSampleBytes(int64_t sampleBytes, int64_t sampledSeconds, int64_t cutSeconds);

// Estimates output sizes by encoding samples of the source with the transcoder, one request at a
// time on a worker thread, so that asking never blocks. Results are kept for the program's life;
// a request whose samples could not be encoded gives no estimate.
class SizeEstimator {
public:
    // `transcoder` is the executable; sample files are written into `scratchFolder` and removed.
    SizeEstimator(ProcessLauncher& launcher, std::string transcoder, std::string scratchFolder);
    ~SizeEstimator();
    SizeEstimator(const SizeEstimator&) = delete;
    SizeEstimator& operator=(const SizeEstimator&) = delete;

    // The estimate in bytes when it is ready; otherwise the request is queued (once) and no value
    // is given yet.
    std::optional<int64_t> Estimate(const EstimateRequest& request);
    // The estimate when it is ready, without queuing anything.
    std::optional<int64_t> Ready(const EstimateRequest& request);
    // True once every request asked so far has an answer (an estimate or a failure).
    bool Idle();

private:
    enum class State { Pending, Ready, Failed };
    struct Entry {
        State state = State::Pending;
        int64_t bytes = 0;
    };

    void Work();
    std::optional<int64_t> EncodeSamples(const EstimateRequest& request);
    std::optional<int64_t> EncodeOne(const EstimateRequest& request, int64_t start, int64_t seconds);

    ProcessLauncher& m_launcher;
    std::string m_transcoder;
    std::string m_scratchFolder;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::map<std::string, Entry> m_entries;
    std::deque<EstimateRequest> m_queue;
    bool m_stopping = false;
    std::unique_ptr<ChildProcess> m_child; // the sample being encoded, guarded by m_mutex
    std::thread m_worker;                  // last: starts after everything it reads
};
