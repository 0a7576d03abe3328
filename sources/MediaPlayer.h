#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The media layer under the preview: one playback graph bound to the preview's video window.
// Operations that fail raise an exception; times are in the units the preview works with.
// Loading a file never holds up the caller: it ends later, in a call of the load handler.
class MediaPlayer {
public:
    // currentMs, durationMs
    using TickHandler = std::function<void(uint64_t, uint64_t)>;
    // Empty when the file is loaded (paused at its start, its duration known); otherwise why it
    // cannot be played.
    using LoadHandler = std::function<void(const std::string& failure)>;

    virtual ~MediaPlayer() = default;

    // Making the graph active creates it; inactive releases it.
    virtual bool IsActive() const = 0;
    virtual void SetActive(bool active) = 0;
    // Unloads whatever is loaded or loading (a load given up this way is never reported); the graph
    // stays active.
    virtual void Empty() = 0;
    // Starts loading the file for playback, in place of whatever was loaded: 0 when loading has begun;
    // raises when it cannot even begin. The load handler says how it ended: a file fails when it
    // cannot be played or a decoder is missing for any of its audio or video streams.
    virtual int Render(const std::string& path) = 0;
    virtual bool IsLoaded() const = 0;
    virtual void Run() = 0;
    virtual void Pause() = 0;
    virtual void Stop() = 0;
    // Length of the loaded file in milliseconds; 0 when unknown.
    virtual int64_t DurationMs() const = 0;
    // The current position and an absolute seek, in 100-nanosecond units; with nothing loaded the
    // position is 0 and a seek does nothing.
    virtual int64_t Position() const = 0;
    virtual void SetPosition(int64_t position) = 0;
    // One picture forward or back; the graph stays paused.
    virtual void StepPicture(bool forward) = 0;

    // Called every 1000 ms while a loaded file runs (started by Run, stopped by Pause and Stop).
    virtual void SetTickHandler(TickHandler handler) = 0;
    virtual void SetLoadHandler(LoadHandler handler) = 0;
    // Called whenever the position has moved for another reason than playing (a seek, a step).
    virtual void SetPositionHandler(std::function<void()> handler) = 0;
};
