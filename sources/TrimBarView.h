#pragma once

#include <functional>

#include <QRect>
#include <QWidget>

class QTimer;
class TrimBar;
struct TrimBarState;

// The trim bar's window, Panel1: 260 x 19 pixels holding, from the left, the image Panel2, the
// start handle Splitter1, the selected part Panel4, the end handle Splitter2 and the image Panel3.
// The widths come from TrimBarState; drags and clicks go to the TrimBar logic.
class TrimBarView final : public QWidget {
    Q_OBJECT

public:
    using CommandRunner = std::function<void(const std::function<void()>&)>;

    TrimBarView(TrimBar& bar, TrimBarState& state, CommandRunner runCommand, QWidget* parent = nullptr);

    // Places the five parts after the state changed.
    void FollowState();

    QWidget* Panel2 = nullptr;
    QWidget* Splitter1 = nullptr;
    QWidget* Panel4 = nullptr;
    QWidget* Splitter2 = nullptr;
    QWidget* Panel3 = nullptr;
    // Over the three panels, under the handles: a tick at each key frame of the selected row while
    // the output type copies the streams.
    QWidget* KeyFrameTicks = nullptr;
    QTimer* tmrPaintSP = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool HandleDrag(QWidget* handle, QEvent* event);
    void PressBeside(QWidget* image, QEvent* event);
    void Run(const std::function<void()>& command) const;

    TrimBar& m_bar;
    TrimBarState& m_state;
    CommandRunner m_runCommand;
    // Where each handle stood when it was last drawn (start, end).
    QRect m_drawnPlaces[2];
    int m_dragStartX = 0;
    int m_dragStartWidth = 0;
    bool m_dragging = false;
};
