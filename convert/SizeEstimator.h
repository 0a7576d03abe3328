#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
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
    // What the output's bitrate ceiling lets one second weigh, 0 for none. The rate control lets a
    // file run over the ceiling at its start, by as much as its buffer holds: a short sample may
    // do so for all its length, a long cut cannot.
    int64_t ceilingBytesPerSecond = 0;

    std::string Key() const;
};

// One point of the cut where samples are encoded: where they start in the source, and how much of
// the cut they stand for (from halfway to the previous point to halfway to the next), in milliseconds.
struct SamplePoint {
    int64_t startMs = 0;
    int64_t weightMs = 0;
};

// Where the samples of a cut are taken. A short cut is encoded whole. A longer one is sampled with
// short pieces at points spread evenly from its start to its end, and a shorter head at its start:
// the head and the first piece tell apart what every file pays once (headers, the first key
// frame, the encoder's start-up) from what its content costs per second, so that only the latter
// is taken for the time each piece stands for.
struct SamplePlan {
    std::vector<SamplePoint> points;
    int64_t pieceMs = 0;
    int64_t headMs = 0; // 0 when the cut is encoded whole
};
SamplePlan PlanSamples(int64_t startSeconds, int64_t cutSeconds);

// The bytes of the whole cut from the bytes of each point's piece and of the head: what the file
// pays once, plus each piece's bytes per second (at most the ceiling, when there is one) for the
// time it stands for.
int64_t EstimateFromSamples(const SamplePlan& plan, const std::vector<int64_t>& pieces, int64_t head,
                            int64_t ceilingBytesPerSecond = 0);

// Estimates output sizes by encoding samples of the source with the transcoder, one request at a
// time on a worker thread, so that asking never blocks. Results are kept for the program's life;
// a request whose samples could not be encoded gives no estimate.
class SizeEstimator {
public:
    // `transcoder` is the executable; sample files are written into `scratchFolder` and removed.
    // `answered` is called on the worker thread, without any lock held, each time a request has its
    // answer (an estimate or a failure); it is never called once Stop() has returned.
    SizeEstimator(ProcessLauncher& launcher, std::string transcoder, std::string scratchFolder,
                  std::function<void()> answered = {});
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
    // Ends the sample being encoded, drops the queue and joins the worker; no request is served
    // after it. Called by the destructor; the owner calls it earlier when what `answered` reaches
    // goes first.
    void Stop();

private:
    enum class State { Pending, Ready, Failed };
    struct Entry {
        State state = State::Pending;
        int64_t bytes = 0;
    };

    void Work();
    std::optional<int64_t> EncodeSamples(const EstimateRequest& request);
    std::optional<int64_t> EncodeOne(const EstimateRequest& request, int64_t startMs, int64_t lengthMs);
    bool StartChild(const std::string& arguments);
    void DrainChild();

    ProcessLauncher& m_launcher;
    std::string m_transcoder;
    std::string m_scratchFolder;
    std::function<void()> m_answered;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::map<std::string, Entry> m_entries;
    std::deque<EstimateRequest> m_queue;
    bool m_stopping = false;
    std::unique_ptr<ChildProcess> m_child; // the sample being encoded, guarded by m_mutex
    std::thread m_worker;                  // last: starts after everything it reads
};
