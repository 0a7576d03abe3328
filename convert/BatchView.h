#pragma once

// What the batch asks of the windows. The Qt windows implement it; tests record the calls.
class BatchView {
public:
    virtual ~BatchView() = default;
    // Shows the progress window without making it modal (the core has already run FormShow when
    // it was hidden), or hides it. The window's contents are in ConvertingState.
    virtual void ShowProgress() = 0;
    virtual void HideProgress() = 0;
    // Enables or disables the main window (disabled while a file converts).
    virtual void SetMainEnabled(bool enabled) = 0;
    // Ends the program at once, after the power-off request at the end of a batch. The core
    // returns from ConvertBatch right after this call and touches nothing more.
    virtual void EndProgram() = 0;
};
