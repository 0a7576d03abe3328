#include "widgets/BitmapButton.h"

#include <array>
#include <cstddef>

#include <QEvent>
#include <QImage>
#include <QPainter>
#include <QtMath>

#include "widgets/SkinPicture.h"

namespace {

struct ArtInfo {
    const char* sprite;
    int width;
    int height;
    bool captioned;
    int captionPixels; // caption font size in pixels
    bool bold;
};

// Indexed by ButtonArt.
constexpr std::array<ArtInfo, ButtonArtCount> Arts = {{
    {"window-minimize", 25, 25, false, 0, false},
    {"window-maximize", 25, 25, false, 0, false},
    {"window-restore", 25, 25, false, 0, false},
    {"window-close", 25, 25, false, 0, false},
    {"button-wide", 110, 24, true, 12, false},
    {"button-narrow", 53, 24, true, 11, false},
    {"button-small", 70, 20, true, 11, false},
    {"button-dialog", 90, 28, true, 12, true},
    {"button-convert", 110, 40, true, 16, true},
    {"button-folder", 29, 26, false, 0, false},
    {"player-play", 30, 24, false, 0, false},
    {"player-pause", 30, 24, false, 0, false},
    {"player-stop", 30, 24, false, 0, false},
    {"player-mark-start", 30, 24, false, 0, false},
    {"player-mark-end", 30, 24, false, 0, false},
    {"player-picture-back", 40, 24, false, 0, false},
    {"player-picture-forward", 40, 24, false, 0, false},
    {"player-step", 40, 24, true, 11, false},
    {"product-home", 48, 48, false, 0, false},
    {"product-email", 48, 48, false, 0, false},
    {"product-about", 48, 48, false, 0, false},
    {"product-help", 48, 48, false, 0, false},
}};

constexpr int UpPicture = 0;
constexpr int HotPicture = 1;
constexpr int DownPicture = 2;
constexpr QRgb CaptionColour = 0xffeef2f6;
constexpr QRgb DisabledCaptionColour = 0xff7d8794;
constexpr QRgb FocusColour = 0xff2fb3a3;
constexpr qreal DisabledOpacity = 0.45;

const ArtInfo& InfoOf(ButtonArt art) {
    return Arts.at(static_cast<std::size_t>(art));
}

QPixmap WithoutTransparentColour(const QImage& picture) {
    QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] == BitmapButton::TransparentColour)
                line[x] = 0;
        }
    }
    return QPixmap::fromImage(image);
}

} // namespace

BitmapButton::BitmapButton(ButtonArt art, QWidget* parent) : QAbstractButton(parent), m_art(art) {
    const ArtInfo& info = InfoOf(art);
    setFixedSize(info.width, info.height);
    setAttribute(Qt::WA_Hover);
    // A click does not take the focus; Tab does, and a ring shows where it is.
    setFocusPolicy(Qt::TabFocus);
    if (info.captioned) {
        m_captionFont = QFont(QStringLiteral("Arial"));
        m_captionFont.setPixelSize(info.captionPixels);
        m_captionFont.setBold(info.bold);
    }
}

void BitmapButton::SetArt(ButtonArt art) {
    m_art = art;
    m_picturesRatio = 0;
    update();
}

QSize BitmapButton::sizeHint() const {
    const ArtInfo& info = InfoOf(m_art);
    return {info.width, info.height};
}

int BitmapButton::ShownPicture() const {
    if (isDown() || isChecked())
        return DownPicture;
    return underMouse() && isEnabled() ? HotPicture : UpPicture;
}

// Runs at every paint, so a move to a screen of another pixel ratio takes the matching pictures.
// The cells are cut at their places in the sprite's scale, which need not be whole pixels apart (a
// 25 pixel cell is 37.5 pixels at 1.5); a pixel the rendering shares with the olive beyond the art's
// edge is left out, so no olive fringe shows.
void BitmapButton::LoadPictures() {
    const qreal ratio = devicePixelRatioF();
    if (ratio == m_picturesRatio)
        return;
    const ArtInfo& info = InfoOf(m_art);
    const SkinArt sprite = SkinArtFor(QString::fromLatin1(info.sprite), ratio);
    const int cellHeight = qFloor(info.height * sprite.scale);
    for (int picture = UpPicture; picture <= DownPicture; ++picture) {
        const int left = qFloor(picture * info.width * sprite.scale);
        const int right = qFloor((picture + 1) * info.width * sprite.scale);
        m_pictures[picture] = WithoutTransparentColour(sprite.image.copy(left, 0, right - left, cellHeight));
        m_pictures[picture].setDevicePixelRatio(static_cast<qreal>(right - left) / info.width);
    }
    m_picturesRatio = ratio;
}

void BitmapButton::paintEvent(QPaintEvent*) {
    LoadPictures();
    QPainter painter(this);
    if (!isEnabled())
        painter.setOpacity(DisabledOpacity);
    const int shown = ShownPicture();
    painter.drawPixmap(0, 0, m_pictures[shown]);
    painter.setOpacity(1.0);
    if (InfoOf(m_art).captioned)
        PaintCaption(painter, shown == DownPicture);
    if (hasFocus()) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor::fromRgba(FocusColour), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(2.5, 2.5, -2.5, -2.5), 2, 2);
    }
}

void BitmapButton::PaintCaption(QPainter& painter, bool down) {
    painter.setFont(m_captionFont);
    painter.setPen(QColor::fromRgba(isEnabled() ? CaptionColour : DisabledCaptionColour));
    // The pressed picture sinks; the caption goes with it.
    const QRect area = down ? rect().translated(0, 1) : rect();
    painter.drawText(area, Qt::AlignCenter | Qt::TextSingleLine, text());
}

bool BitmapButton::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverLeave:
    case QEvent::EnabledChange:
        update();
        break;
    default:
        break;
    }
    return QAbstractButton::event(event);
}

BitmapButton* MakeBitmapButton(QWidget* parent, const char* objectName, ButtonArt art, const QString& caption,
                               const QString& hint) {
    auto* button = new BitmapButton(art, parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setText(caption);
    button->setAccessibleName(caption);
    if (!hint.isEmpty())
        button->setToolTip(hint);
    return button;
}
