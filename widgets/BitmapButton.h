#pragma once

#include <QAbstractButton>
#include <QFont>
#include <QPixmap>

// The pictures a bitmap button can wear. Each is a sprite of three pictures of the button's size
// (up, hot, down) drawn on olive, the transparent colour.
enum class ButtonArt {
    WindowMinimize, // 25 x 25, on the title band
    WindowMaximize, // 25 x 25, on the title band
    WindowRestore,  // 25 x 25, on the title band, while the window is maximized
    WindowClose,    // 25 x 25, on the title band
    Command,        // 110 x 24, captioned
    HalfCommand,    // 53 x 24, captioned
    SmallCommand,   // 70 x 20, captioned
    DialogCommand,  // 90 x 28, captioned
    Convert,        // 110 x 40, captioned, the main action
    Folder,         // 29 x 26, a folder
    Play,           // 30 x 24, the player's buttons
    Pause,
    Stop,
    MarkStart, // 30 x 24, the preview's "set start here" and "set end here"
    MarkEnd,
    PictureBack, // 40 x 24, one picture back and forward
    PictureForward,
    Step,     // 40 x 24, captioned, a seek by seconds
    HomePage, // 48 x 48, the product commands
    EMail,
    About,
    Help,
};
inline constexpr int ButtonArtCount = static_cast<int>(ButtonArt::Help) + 1;

// A button drawn with one of three pictures: up, hot while the mouse is over it, down while it is
// pressed; olive pixels are transparent. Captioned pictures carry the button's text drawn over them;
// on the others the text is the button's accessible name only.
class BitmapButton : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr QRgb TransparentColour = 0xff808000; // olive

    explicit BitmapButton(ButtonArt art, QWidget* parent = nullptr);

    ButtonArt Art() const { return m_art; }
    // Wears other pictures of the same size from now on (a button whose command changes).
    void SetArt(ButtonArt art);
    // The picture the button shows now: 0 up, 1 hot, 2 down.
    int ShownPicture() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    void LoadPictures();
    void PaintCaption(QPainter& painter, bool down);

    ButtonArt m_art;
    QFont m_captionFont; // the skin's style sheet does not reach it
    QPixmap m_pictures[3];
    qreal m_picturesRatio = 0;
};

// A bitmap button named `objectName` (the control's name), with its caption (also its accessible name)
// and its hint shown as the tooltip. The window places it.
BitmapButton* MakeBitmapButton(QWidget* parent, const char* objectName, ButtonArt art, const QString& caption,
                               const QString& hint = {});
