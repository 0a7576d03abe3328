#pragma once

#include <QOpenGLWidget>

class MpvPlayer;
class QLabel;
class QTimer;
struct mpv_render_context;

// The video window (DSVideoWindowEx1 on the main window): libmpv's render API draws the player's pictures
// into this widget's frame buffer, letterboxed on black. The logo panel panLogo covers it while nothing
// plays; the mouse cursor hides after three still seconds.
//
// Pictures are drawn when mpv says one is due (a queued call from its update callback) and when
// the window's size changes; paintGL itself never calls into libmpv. The frame buffer keeps its
// picture between paints.
class TVideoWindow final : public QOpenGLWidget {
    Q_OBJECT

public:
    TVideoWindow(MpvPlayer& player, QWidget* parent = nullptr);
    ~TVideoWindow() override;

    // Whether the platform can show OpenGL widgets at all. The offscreen and minimal platforms
    // cannot compose them (Qt fails in its backing store), and without an OpenGL context nothing
    // can be drawn: the preview then shows only its logo.
    static bool CanRunHere();
    // The logo panel panLogo alone, for a preview that cannot show pictures.
    static QLabel* NewLogoPanel(QWidget* parent);

    void ShowLogo(bool shown);
    // Whether libmpv's render context exists (an OpenGL context could be made).
    bool CanShowPictures() const { return m_renderContext != nullptr; }

    QLabel* panLogo = nullptr;

signals:
    // A new picture of the playing file is in the frame buffer.
    void PictureDrawn();

protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static void UpdateWanted(void* self);
    void DrawPicture(bool always);
    void FreeRenderContext();
    void WakeCursor();

    MpvPlayer& m_player;
    mpv_render_context* m_renderContext = nullptr;
    QTimer* m_cursorTimer = nullptr;
    QMetaObject::Connection m_contextGoing;
};
