#pragma once

#include <functional>

#include <QDialog>

#include "convert/ConvertingState.h"
#include "widgets/BitmapButton.h"

class QLabel;
class QProgressBar;
class QStatusBar;
class QTimer;

// The handlers the progress window forwards its events to: the batch logic. Showing is the
// logic's own step (it resets the window before asking the view to show it), so the view forwards
// no show event.
struct ConvertingWindowHandlers {
    std::function<void()> tmrChangingTimer; // every 500 ms, visible or not
    std::function<void()> btnStop1Click;    // the stop button
    std::function<void()> FormClose;        // the user closes the window; it hides afterwards
};

// The progress window TfrmConverting, in the main window's skin: a view over ConvertingState. It is created
// hidden and lives as long as the program; the batch shows and hides it.
class TfrmConverting : public QDialog {
    Q_OBJECT

public:
    explicit TfrmConverting(ConvertingState& state, QWidget* parent = nullptr);
    ~TfrmConverting() override;

    void SetHandlers(ConvertingWindowHandlers handlers) { m_handlers = std::move(handlers); }
    // Shows the window centred on the given window; a window already visible stays where it is.
    void ShowCentredOn(const QWidget* owner);

    QLabel* lblInfo = nullptr;
    QLabel* lblCurConvertFileL = nullptr;
    QLabel* lblCurFileName = nullptr;
    QLabel* lblTotalFilr = nullptr;
    QProgressBar* pbTotal = nullptr;
    QLabel* lblCurprog = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QLabel* lblPersent = nullptr;
    QLabel* lblTimeLeft = nullptr; // "about N min left"
    BitmapButton* btnStop = nullptr;
    QStatusBar* statState = nullptr;
    QLabel* statStatePanel = nullptr; // the status bar's one panel
    QTimer* tmrChanging = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildControls();
    void ShowState();
    void CentreOn(const QWidget* owner);
    static void Run(const std::function<void()>& handler);

    ConvertingState& m_state;
    ConvertingWindowHandlers m_handlers;
};
