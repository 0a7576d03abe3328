#include "sources/VideoWindow.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

#include <mpv/render_gl.h>

#include "sources/MpvPlayer.h"

namespace {

constexpr int CursorHideMs = 3000;
constexpr const char* LogoText = "Rivamo";

void* ProcAddress(void*, const char* name) {
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context != nullptr ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}

// The logo: the program's name on a dark strip of film, drawn here rather than loaded.
QPixmap LogoPicture() {
    QPixmap picture(320, 180);
    picture.fill(QColor(16, 16, 20));
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(44, 44, 52));
    painter.drawRect(0, 30, 320, 120);
    painter.setBrush(QColor(16, 16, 20));
    for (int x = 8; x < 320; x += 24) {
        painter.drawRoundedRect(x, 36, 12, 10, 2, 2);
        painter.drawRoundedRect(x, 134, 12, 10, 2, 2);
    }
    QFont font("Arial", 28, QFont::Bold);
    painter.setFont(font);
    painter.setPen(QColor(230, 230, 236));
    painter.drawText(QRect(0, 30, 320, 120), Qt::AlignCenter, QString::fromLatin1(LogoText));
    return picture;
}

} // namespace

TVideoWindow::TVideoWindow(MpvPlayer& player, QWidget* parent) : QOpenGLWidget(parent), m_player(player) {
    setObjectName("DSVideoWindowEx1");
    setAccessibleName(QStringLiteral("Preview"));
    // Pictures are drawn outside paintGL; the frame buffer must keep them.
    setUpdateBehavior(QOpenGLWidget::PartialUpdate);
    setMouseTracking(true);

    panLogo = NewLogoPanel(this);
    panLogo->setMouseTracking(true);
    panLogo->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(panLogo);

    m_cursorTimer = new QTimer(this);
    m_cursorTimer->setSingleShot(true);
    m_cursorTimer->setInterval(CursorHideMs);
    connect(m_cursorTimer, &QTimer::timeout, this, [this] { setCursor(Qt::BlankCursor); });
    m_cursorTimer->start();
}

bool TVideoWindow::CanRunHere() {
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return false;
    QOpenGLContext probe;
    return probe.create();
}

QLabel* TVideoWindow::NewLogoPanel(QWidget* parent) {
    auto* logo = new QLabel(parent);
    logo->setObjectName("panLogo");
    logo->setAccessibleName(QString::fromLatin1(LogoText));
    logo->setPixmap(LogoPicture());
    logo->setScaledContents(true);
    return logo;
}

TVideoWindow::~TVideoWindow() {
    FreeRenderContext();
}

void TVideoWindow::ShowLogo(bool shown) {
    panLogo->setVisible(shown);
}

void TVideoWindow::initializeGL() {
    if (m_renderContext != nullptr || m_player.Handle() == nullptr)
        return;
    mpv_opengl_init_params glInit{&ProcAddress, nullptr};
    int advancedControl = 0;
    mpv_render_param parameters[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
        {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &glInit},
        {MPV_RENDER_PARAM_ADVANCED_CONTROL, &advancedControl},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (mpv_render_context_create(&m_renderContext, m_player.Handle(), parameters) < 0) {
        m_renderContext = nullptr;
        return;
    }
    mpv_render_context_set_update_callback(m_renderContext, &TVideoWindow::UpdateWanted, this);
    m_player.SetRenderer(true, [this] { FreeRenderContext(); });
    // A context that Qt replaces (the window moved to another top level) takes the renderer along.
    m_contextGoing =
        connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, [this] { FreeRenderContext(); });
}

// Teardown order: the update callback, then the render context (with its OpenGL context current);
// the player and its handle go after.
void TVideoWindow::FreeRenderContext() {
    disconnect(m_contextGoing);
    if (m_renderContext == nullptr)
        return;
    m_player.SetRenderer(false, nullptr);
    makeCurrent();
    mpv_render_context_set_update_callback(m_renderContext, nullptr, nullptr);
    mpv_render_context_free(m_renderContext);
    m_renderContext = nullptr;
    doneCurrent();
}

// Called on one of mpv's threads: only a queued call.
void TVideoWindow::UpdateWanted(void* self) {
    auto* window = static_cast<TVideoWindow*>(self);
    QMetaObject::invokeMethod(
        window, [window] { window->DrawPicture(false); }, Qt::QueuedConnection);
}

void TVideoWindow::DrawPicture(bool always) {
    if (m_renderContext == nullptr)
        return;
    const uint64_t flags = mpv_render_context_update(m_renderContext);
    if (!always && (flags & MPV_RENDER_UPDATE_FRAME) == 0)
        return;
    makeCurrent();
    const qreal ratio = devicePixelRatioF();
    mpv_opengl_fbo target{static_cast<int>(defaultFramebufferObject()), qRound(width() * ratio),
                          qRound(height() * ratio), 0};
    int flipY = 1;
    int blockForTargetTime = 0; // the user-interface thread never waits for a picture's due time
    mpv_render_param parameters[] = {
        {MPV_RENDER_PARAM_OPENGL_FBO, &target},
        {MPV_RENDER_PARAM_FLIP_Y, &flipY},
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &blockForTargetTime},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context_render(m_renderContext, parameters);
    doneCurrent();
    update();
    if ((flags & MPV_RENDER_UPDATE_FRAME) != 0)
        emit PictureDrawn();
}

void TVideoWindow::resizeGL(int, int) {
    // The frame buffer is new and empty: black now, the picture again as soon as events run.
    context()->functions()->glClearColor(0, 0, 0, 1);
    context()->functions()->glClear(GL_COLOR_BUFFER_BIT);
    QMetaObject::invokeMethod(
        this, [this] { DrawPicture(true); }, Qt::QueuedConnection);
}

void TVideoWindow::paintGL() {
    if (m_renderContext == nullptr) {
        context()->functions()->glClearColor(0, 0, 0, 1);
        context()->functions()->glClear(GL_COLOR_BUFFER_BIT);
    }
}

void TVideoWindow::WakeCursor() {
    unsetCursor();
    m_cursorTimer->start();
}

void TVideoWindow::mouseMoveEvent(QMouseEvent* event) {
    WakeCursor();
    QOpenGLWidget::mouseMoveEvent(event);
}

bool TVideoWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == panLogo && event->type() == QEvent::MouseMove)
        WakeCursor();
    return QOpenGLWidget::eventFilter(watched, event);
}
