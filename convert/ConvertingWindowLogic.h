#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "convert/BatchControl.h"
#include "convert/BatchState.h"
#include "convert/BatchSupervision.h"
#include "convert/BatchView.h"
#include "convert/ConvertingState.h"
#include "support/MessageBoxes.h"

// The spinner's timer interval; the timer runs for the whole program run.
inline constexpr int SpinnerIntervalMs = 500;

// The whole seconds of output time that a chunk of transcoder output reports, read the way the
// progress bar reads it: the chunk split at "=", the third piece for an audio-only output (codec
// argument beginning with "-acodec", extension not ".3gp") and the fifth for every other, cut at
// the first ".". No value when the chunk is too short, the time is "10000000000" (not yet known),
// or the text is no number.
std::optional<int32_t> OutputSeconds(const std::string& chunk, const std::string& codecOption,
                                     const std::string& outputExtension);

// The logic of the progress window TfrmConverting over its state (ConvertingState). The Qt window
// is a view: it shows the state whenever ConvertingState::Changed() fires and forwards its events:
//   timer every SpinnerIntervalMs  -> tmrChangingTimer()
//   stop button clicked            -> btnStop1Click()
//   the user closes the window     -> FormClose() (the logic hides the window through BatchView)
// The batch driver shows and hides the window through Show() and Hide(); Show() runs FormShow()
// when the window was hidden, so the view must not call FormShow() itself.
// It is the one writer of the window's bars and labels but the time left (the batch's checks own
// that): it reads the batch's state and, for a batch weighed by cut time, its weights.
class ConvertingWindowLogic {
public:
    ConvertingWindowLogic(ConvertingState& state, BatchState& batchState, const BatchWeights& weights,
                          MessageBoxPresenter& boxes, BatchView& view, BatchControl& batch)
        : m_state(state), m_batchState(batchState), m_weights(weights), m_boxes(boxes), m_view(view),
          m_batch(batch) {}

    ConvertingState& State() { return m_state; }

    void Show();
    void Hide();

    // Resets the labels and bars for a batch; runs when the window becomes visible.
    void FormShow();
    // Puts a chunk of transcoder output in the status bar, names the current file and refreshes
    // the progress from the chunk.
    void ShowOutput(const std::string& chunk);
    // Turns the chunk in the status bar's panel into bar positions and the counter text.
    void actRefreshProgressExecute();
    // A new file starts: its bar is empty.
    void ResetFileBar();
    // A file that converted faster than its first status line still fills its bar.
    void ShowFileDone();
    // The batch bar by cut time, when the batch is weighed so.
    void RefreshBatchBar();
    // Advances the spinner text.
    void tmrChangingTimer();
    // Asks "Are you sure you want to stop the work ? "; on Yes stops the batch without end actions.
    void btnStop1Click();
    // Asks "Are you sure to stop processing ?" and hides the window; on Yes the remaining rows are
    // skipped but the end actions still run.
    void FormClose();
    // The main window is closed during a batch: the same question; on Yes the same as a confirmed
    // FormClose. True when the user confirmed (the program may end once the batch has returned).
    bool MainFormCloseQuery();
    // A close that needs no question (the system asks the program to end): as a confirmed close.
    void CloseConfirmed();

private:
    bool AskYesNo(const std::string& question);
    void UpdateBatchBar();
    void UpdateFileBar();
    void EndBatchEarly();

    ConvertingState& m_state;
    BatchState& m_batchState;
    const BatchWeights& m_weights;
    MessageBoxPresenter& m_boxes;
    BatchView& m_view;
    BatchControl& m_batch;
};
