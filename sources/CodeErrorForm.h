#pragma once

#include <string>

#include <QDialog>
#include <QPixmap>

class QLabel;
class BitmapButton;
class Shell;

// The codec error window TFrmCodeErrorForm ("Error Info"): a file could not be measured. The link
// opens the codec download page. Drawn in the skin, with the desktop's title bar.
class TFrmCodeErrorForm final : public QDialog {
    Q_OBJECT

public:
    static constexpr int ClientWidth = 413;
    static constexpr int ClientHeight = 96;

    // `path` names the file that could not be read; the window shows it below the link.
    TFrmCodeErrorForm(QWidget* owner, Shell& shell, const std::string& path = {});

    QLabel* Image1 = nullptr;
    QLabel* lblErrorInfo = nullptr;
    QLabel* lblFileName = nullptr;
    QLabel* lblDownload = nullptr;
    BitmapButton* btnOK = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LayOutText();

    Shell& m_shell;
    QPixmap m_background;
};

// Shows the codec error window modally, owned by the main window, and returns its modal result
// (QDialog::Accepted for "OK").
int ShowCodecError(QWidget* mainWindow, Shell& shell, const std::string& path = {});
