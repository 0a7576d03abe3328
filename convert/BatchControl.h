#pragma once

#include <cstddef>

// What the progress window's stop and close ask of the batch it shows. The batch driver implements
// it; the window's logic knows the batch only through it.
class BatchControl {
public:
    // The rows of the source list the batch walks.
    virtual std::size_t RowCount() const = 0;
    // Drops the current file's output from now on (the transcoder was stopped).
    virtual void DiscardOutput() = 0;
    // Ends the transcoder this batch started, and no other process.
    virtual void StopTranscoder() = 0;

protected:
    ~BatchControl() = default;
};
