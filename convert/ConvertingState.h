#pragma once

#include <cstdint>
#include <functional>
#include <string>

// A progress bar's range and position. The position is kept within the range, as a bar does.
struct ProgressBarState {
    int32_t minimum = 0;
    int32_t maximum = 100;
    int32_t position = 0;

    void SetMaximum(int32_t value);
    void SetPosition(int32_t value);
};

// What the progress window TfrmConverting shows, as core state: the window is a view over it and
// forwards its events (show, timer, stop button, close) to the batch logic.
class ConvertingState {
public:
    std::string lblInfo = "Please wait . . .";
    std::string lblCurFileName;
    std::string lblPersent = "Current: 1, Total: ...";
    ProgressBarState pbTotal;
    ProgressBarState ProgressBar1;
    std::string statState;   // the first (only) panel of the status bar
    std::string lblTimeLeft; // "about N min left", by the cut times still to convert
    int32_t SpinnerFrame = 0;
    bool visible = false;

    // The view calls Changed() after the logic changed any field; the view listens here.
    void SetObserver(std::function<void()> observer) { m_observer = std::move(observer); }
    void Changed() const {
        if (m_observer)
            m_observer();
    }

private:
    std::function<void()> m_observer;
};
