#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "convert/BatchResult.h"
#include "convert/ConvertCommand.h"

// The batch bar's scale when a batch is weighed by cut time: each row weighs its cut seconds.
struct BatchWeights {
    bool active = false;
    int64_t total = 0; // the rows the batch converts
    int64_t done = 0;  // the rows finished
    int64_t row = 0;   // the current row

    bool Weighed() const { return active && total > 0; }
    // The batch's position with the current file's bar at `filePosition` seconds.
    int64_t Position(int32_t filePosition) const {
        return std::min(done + std::clamp<int64_t>(filePosition, 0, row), total);
    }
};

// What the batch driver tells the checks of a batch at fixed points, and asks of them. The
// program's implementation is BatchSupervisor; the driver always has one.
class BatchSupervision {
public:
    virtual ~BatchSupervision() = default;

    // Before the first row. False when the user goes back (or nothing is left); otherwise the
    // batch goes on without the rows found bad.
    virtual bool BeginBatch(int32_t checkedCount) = 0;
    virtual std::size_t BadRowCount() const = 0;
    virtual bool IsBadRow(std::size_t row) const = 0;

    // The row's command is about to run. Returns the command line to run instead: the program's
    // supervision points its output at a partial file; the empty text when nothing may run.
    virtual std::string RowStarted(std::size_t row, const ConvertCommand& command) = 0;
    // The signal that ended the row's transcoder, 0 when it exited by itself or never ran.
    virtual void TranscoderEnded(int signal) = 0;
    // Every chunk of transcoder output of the current row.
    virtual void Output(const std::string& chunk) = 0;
    // After the bars moved: the time left and the desktop's progress.
    virtual void RefreshProgress() = 0;
    // A checked row the batch passes by without starting it, for `reason`.
    virtual void RowSkipped(std::size_t row, const std::string& reason) = 0;
    // After the row's transcoder has ended; `stopped` when the user stopped or closed meanwhile.
    virtual RowOutcome RowFinished(std::size_t row, bool stopped) = 0;

    // After the last row.
    virtual void EndBatch() = 0;
    virtual bool PowerOffAllowed() const = 0;
    // The system refused to power off.
    virtual void PowerOffRefused() = 0;
    virtual void ShowSummaryIfNeeded() = 0;

    // The batch bar's weights; the progress window reads them, the supervision alone writes them.
    virtual const BatchWeights& Weights() const = 0;
};
