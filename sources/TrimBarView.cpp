#include "sources/TrimBarView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

#include "sources/TrimBar.h"
#include "sources/TrimBarState.h"

namespace {

constexpr int PaintIntervalMs = 10;
const QColor OutsideColour(70, 70, 78);
const QColor SelectedColour(70, 150, 230);
const QColor KeyFrameColour(250, 210, 90);
constexpr int KeyFrameTickHeight = 5;

// A handle's picture: a grip with an arrow pointing into the selected part, on black. Black is the
// transparent colour: it is masked out when the picture is copied over the handle.
QImage HandlePicture(bool pointsRight) {
    constexpr int Side = TrimBar::BarHeight;
    QImage picture(Side, Side, QImage::Format_RGB32);
    picture.fill(Qt::black);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(235, 235, 240));
    painter.drawRect(pointsRight ? 3 : Side - 6, 1, 3, Side - 2);
    QPainterPath arrow;
    const int tip = pointsRight ? Side - 2 : 1;
    const int base = pointsRight ? 7 : Side - 8;
    arrow.moveTo(base, 4);
    arrow.lineTo(tip, Side / 2);
    arrow.lineTo(base, Side - 4);
    arrow.closeSubpath();
    painter.drawPath(arrow);
    return picture;
}

// Copies the picture over the whole widget with black left out.
void DrawWithBlackTransparent(QWidget& handle, const QImage& picture) {
    QPixmap pixmap = QPixmap::fromImage(picture);
    pixmap.setMask(pixmap.createMaskFromColor(Qt::black, Qt::MaskInColor));
    QPainter painter(&handle);
    painter.drawPixmap(handle.rect(), pixmap);
}

QWidget* Part(QWidget* parent, const char* name, const QColor& colour, Qt::CursorShape cursor) {
    auto* part = new QWidget(parent);
    part->setObjectName(name);
    part->setAutoFillBackground(true);
    QPalette palette = part->palette();
    palette.setColor(QPalette::Window, colour);
    part->setPalette(palette);
    part->setCursor(cursor);
    return part;
}

// Short ticks at the bar's top and bottom edges, so the handles' grips stay clear. Clicks and drags
// go through to the panels below.
class KeyFrameTickStrip final : public QWidget {
public:
    KeyFrameTickStrip(const TrimBarState& state, QWidget* parent) : QWidget(parent), m_state(state) {
        setObjectName("KeyFrameTicks");
        setAccessibleName(QStringLiteral("Key frames"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(KeyFrameColour);
        for (const int x : m_state.KeyFrameTicks) {
            painter.drawLine(x, 0, x, KeyFrameTickHeight - 1);
            painter.drawLine(x, height() - KeyFrameTickHeight, x, height() - 1);
        }
    }

private:
    const TrimBarState& m_state;
};

} // namespace

TrimBarView::TrimBarView(TrimBar& bar, TrimBarState& state, CommandRunner runCommand, QWidget* parent)
    : QWidget(parent), m_bar(bar), m_state(state), m_runCommand(std::move(runCommand)) {
    setObjectName("Panel1");
    setAccessibleName(QStringLiteral("Trim bar"));
    setFixedSize(TrimBar::Geometry.barWidth, TrimBar::BarHeight);
    Panel2 = Part(this, "Panel2", OutsideColour, Qt::ArrowCursor);
    Panel4 = Part(this, "Panel4", SelectedColour, Qt::ArrowCursor);
    Panel3 = Part(this, "Panel3", OutsideColour, Qt::ArrowCursor);
    KeyFrameTicks = new KeyFrameTickStrip(state, this); // made before the handles, so below them
    KeyFrameTicks->setGeometry(rect());
    Splitter1 = Part(this, "Splitter1", SelectedColour.darker(140), Qt::PointingHandCursor);
    Splitter2 = Part(this, "Splitter2", SelectedColour.darker(140), Qt::PointingHandCursor);
    Splitter1->setAccessibleName(QStringLiteral("Start"));
    Splitter2->setAccessibleName(QStringLiteral("End"));
    for (QWidget* part : {Panel2, Panel4, Panel3, Splitter1, Splitter2})
        part->installEventFilter(this);

    tmrPaintSP = new QTimer(this);
    tmrPaintSP->setInterval(PaintIntervalMs);
    // Qt keeps what a widget drew, so a handle is drawn again only when it moved since it was last
    // drawn: on a window that holds the OpenGL video, every redraw recomposes the whole window.
    connect(tmrPaintSP, &QTimer::timeout, this, [this] {
        if (Splitter1->geometry() != m_drawnPlaces[0])
            Splitter1->update();
        if (Splitter2->geometry() != m_drawnPlaces[1])
            Splitter2->update();
    });
    tmrPaintSP->start();
    FollowState();
}

void TrimBarView::FollowState() {
    const int barWidth = TrimBar::Geometry.barWidth;
    const int left = m_state.Panel2Width;
    const int right = m_state.Panel3Width;
    const int startHandle = TrimBar::Geometry.startHandleWidth;
    const int endHandle = TrimBar::Geometry.endHandleWidth;
    const int height = TrimBar::BarHeight;
    Panel2->setGeometry(0, 0, left, height);
    Splitter1->setGeometry(left, 0, startHandle, height);
    Panel3->setGeometry(barWidth - right, 0, right, height);
    Splitter2->setGeometry(barWidth - right - endHandle, 0, endHandle, height);
    const int middleLeft = left + startHandle;
    Panel4->setGeometry(middleLeft, 0, std::max(0, barWidth - right - endHandle - middleLeft), height);
    KeyFrameTicks->setVisible(!m_state.KeyFrameTicks.empty());
    KeyFrameTicks->update();
}

void TrimBarView::Run(const std::function<void()>& command) const {
    if (m_runCommand)
        m_runCommand(command);
    else
        command();
}

bool TrimBarView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Splitter1 || watched == Splitter2) {
        auto* handle = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::Paint) {
            static const QImage imgL = HandlePicture(true);
            static const QImage imgR = HandlePicture(false);
            DrawWithBlackTransparent(*handle, handle == Splitter1 ? imgL : imgR);
            m_drawnPlaces[handle == Splitter1 ? 0 : 1] = handle->geometry();
            return true;
        }
        return HandleDrag(handle, event);
    }
    if ((watched == Panel2 || watched == Panel3) && event->type() == QEvent::MouseButtonPress)
        PressBeside(static_cast<QWidget*>(watched), event);
    return QWidget::eventFilter(watched, event);
}

// Dragging a handle resizes the image beside it as the mouse moves; the release is the move's end.
bool TrimBarView::HandleDrag(QWidget* handle, QEvent* event) {
    const bool start = handle == Splitter1;
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    switch (type) {
    case QEvent::MouseButtonPress:
        if (mouse->button() != Qt::LeftButton)
            return false;
        m_dragging = true;
        m_dragStartX = qRound(mouse->globalPosition().x());
        m_dragStartWidth = start ? m_state.Panel2Width : m_state.Panel3Width;
        return true;
    case QEvent::MouseMove: {
        if (!m_dragging)
            return false;
        const int moved = qRound(mouse->globalPosition().x()) - m_dragStartX;
        Run([&] {
            start ? m_bar.DragStartHandle(m_dragStartWidth + moved)
                  : m_bar.DragEndHandle(m_dragStartWidth - moved);
        });
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (!m_dragging || mouse->button() != Qt::LeftButton)
            return false;
        m_dragging = false;
        Run([&] { start ? m_bar.SetStartTimeAndPlay() : m_bar.Splitter2Moved(); });
        return true;
    default:
        return false;
    }
}

void TrimBarView::PressBeside(QWidget* image, QEvent* event) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const Qt::KeyboardModifiers keys = mouse->modifiers();
    const bool left = mouse->button() == Qt::LeftButton;
    const bool ctrl = keys.testFlag(Qt::ControlModifier);
    const bool shift = keys.testFlag(Qt::ShiftModifier);
    const bool alt = keys.testFlag(Qt::AltModifier);
    Run([&] {
        if (image == Panel2)
            m_bar.Panel2MouseDown(left, ctrl, shift, alt);
        else
            m_bar.Panel3MouseDown(left, ctrl, shift, alt);
    });
}
