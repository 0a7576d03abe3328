#pragma once

#include <deque>
#include <string>
#include <vector>

#include "support/LibavOwners.h"
#include "transcoder/CopyPlan.h"
#include "transcoder/StreamPath.h"

// Copies the planned streams' packets from the input to the output, never decoding them (save the
// exact cut's head): timestamps counted from the plan's zero, each stream cut at its start and end.
class StreamCopy {
public:
    // Adds the output streams (the input's codec parameters, tags, metadata and side data).
    StreamCopy(CopyPlan plan, const PathSinks& sinks);
    StreamCopy(const StreamCopy&) = delete;
    StreamCopy& operator=(const StreamCopy&) = delete;

    // Reads the input to the cut's end. Returns the reason the copy failed, empty when it did not.
    std::string Run();

private:
    struct Copied {
        AVStream* input = nullptr;
        AVStream* output = nullptr;
        int64_t zero = 0;
        int64_t end = INT64_MAX;
        bool ended = false;
        // Video past the end, kept back until a picture before the end shows it is referred to.
        std::deque<AVPacketPtr> heldBack;
    };

    void AddStream(AVStream* input);
    void Take(AVPacket& packet);
    void TakeVideo(Copied& stream, AVPacket& packet);
    void TakeOther(Copied& stream, AVPacket& packet);
    void QueueOrWrite(Copied& stream, AVPacket& packet);
    void FinishHead();
    void PrepareVideoOutput(Copied& video);
    void RememberGroup(const AVPacket& packet);
    void FinishVideoEnd(Copied& stream);
    void Write(Copied& stream, AVPacket& packet);
    bool AllEnded() const;

    CopyPlan m_plan;
    PathSinks m_sinks;
    std::deque<Copied> m_streams; // a deque: m_video points into it
    Copied* m_video = nullptr;
    // The copied video waits here while the head is still being encoded.
    std::deque<AVPacketPtr> m_afterHead;
    bool m_headDone = true;
    bool m_junctionPrepared = false;
    bool m_videoStarted = false;
    // The main video's packets since its latest key frame (for the tail), the first picture before
    // the end that refers past it, and the last picture written (output times).
    std::deque<AVPacketPtr> m_group;
    int64_t m_tailFrom = INT64_MAX;
    int64_t m_lastVideoPts = INT64_MIN;
    int64_t m_lastVideoDts = INT64_MIN;
};
