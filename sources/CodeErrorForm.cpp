#include "sources/CodeErrorForm.h"

#include <algorithm>

#include <QEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTextLayout>
#include <QtMath>

#include "sources/CodecDownload.h"
#include "sources/WindowPlacement.h"
#include "widgets/BitmapButton.h"
#include "widgets/SkinPicture.h"

namespace {

constexpr const char* Caption = "Error Info";
constexpr const char* ErrorText = "Files reading error! Please check your files or install a new codec."
                                  "You can click the link to download the lastest codec.";
constexpr const char* LinkText = "(Click here to down)";
constexpr const char* OkText = "OK";
constexpr const char* MoreFilesText = " and %1 more";

constexpr const char* BackgroundPicture = "error-background";
constexpr const char* WarningPicture = "warning-sign";
// The background picture's band at its bottom that holds the button; it stays at the window's bottom.
constexpr int ButtonBandHeight = 40;

constexpr QRect ImageRect(8, 13, 32, 32);
constexpr QRect ErrorTextRect(48, 16, 357, 30);
constexpr int FileNameGap = 6; // between the link and the file name
constexpr int BandGap = 8;     // between the text and the button's band

// Where the wrapped text's last line ends, and the height of one line, in the font given.
struct LastLine {
    int top = 0;
    int right = 0;
    int height = 0;
};

LastLine LastLineOf(const QString& text, const QFont& font, int width) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    LastLine last;
    qreal y = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        last = {qRound(y), qCeil(line.naturalTextWidth()), qCeil(line.height())};
        y += line.height();
    }
    layout.endLayout();
    return last;
}

} // namespace

TFrmCodeErrorForm::TFrmCodeErrorForm(QWidget* owner, Shell& shell, const std::string& path)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint),
      m_shell(shell) {
    setObjectName("FrmCodeErrorForm");
    setWindowTitle(Caption);
    setAccessibleName(windowTitle());
    setStyleSheet(SkinStyleSheet());

    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setGeometry(ImageRect);
    Image1->setPixmap(SkinPixmap(QString::fromLatin1(WarningPicture), devicePixelRatioF()));

    lblErrorInfo = new QLabel(ErrorText, this);
    lblErrorInfo->setObjectName("lblErrorInfo");
    lblErrorInfo->setWordWrap(true);
    lblErrorInfo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblErrorInfo->setGeometry(ErrorTextRect);

    lblDownload = new QLabel(LinkText, this);
    lblDownload->setObjectName("lblDownload");
    // The skin's style sheet gives the link its colour and underline, and lights it under the mouse.
    lblDownload->setAttribute(Qt::WA_Hover);
    lblDownload->setCursor(Qt::PointingHandCursor);
    lblDownload->installEventFilter(this);

    // The whole path (or paths, one a line), elided in the middle when it is too long for one line; the tip
    // holds it all.
    const QString fileName = QFile::decodeName(QByteArray::fromStdString(path));
    lblFileName = new QLabel(this);
    lblFileName->setObjectName("lblFileName");
    lblFileName->setToolTip(fileName);
    lblFileName->setVisible(!path.empty());

    btnOK = MakeBitmapButton(this, "btnOK", ButtonArt::DialogCommand, QString::fromLatin1(OkText));
    connect(btnOK, &BitmapButton::clicked, this, &QDialog::accept);
    LayOutText();
}

// The link stands right after the text's last line, or below it when that line leaves no room.
// How the text wraps depends on the font, so the places follow from it; the window grows (never
// shrinks) when the text, the link and the button's band need more height.
void TFrmCodeErrorForm::LayOutText() {
    ensurePolished(); // the style sheet's fonts
    lblDownload->adjustSize();
    const int textHeight =
        std::max(ErrorTextRect.height(), lblErrorInfo->heightForWidth(ErrorTextRect.width()));
    lblErrorInfo->setGeometry(QRect(ErrorTextRect.topLeft(), QSize(ErrorTextRect.width(), textHeight)));

    const LastLine last = LastLineOf(lblErrorInfo->text(), lblErrorInfo->font(), ErrorTextRect.width());
    const int afterText =
        ErrorTextRect.left() + last.right + lblErrorInfo->fontMetrics().horizontalAdvance(' ');
    const bool fitsAfter = afterText + lblDownload->width() <= ErrorTextRect.right();
    lblDownload->move(fitsAfter ? QPoint(afterText, ErrorTextRect.top() + last.top)
                                : QPoint(ErrorTextRect.left(), ErrorTextRect.top() + last.top + last.height));

    int below = std::max(lblDownload->geometry().bottom(), lblErrorInfo->geometry().bottom()) + 1;
    if (lblFileName->isVisibleTo(this)) {
        // Several files (one per line) show as the first and how many more; the tip names them all.
        const QStringList names = lblFileName->toolTip().split(QLatin1Char('\n'));
        const QString more = names.size() > 1 ? QString(MoreFilesText).arg(names.size() - 1) : QString();
        const QFontMetrics metrics = lblFileName->fontMetrics();
        lblFileName->setText(metrics.elidedText(names.front(), Qt::ElideMiddle,
                                                ErrorTextRect.width() - metrics.horizontalAdvance(more)) +
                             more);
        lblFileName->setGeometry(QRect(QPoint(ErrorTextRect.left(), below + FileNameGap),
                                       QSize(ErrorTextRect.width(), lblFileName->sizeHint().height())));
        below = lblFileName->geometry().bottom() + 1;
    }
    const int height = std::max(ClientHeight, below + BandGap + ButtonBandHeight);
    btnOK->move((ClientWidth - btnOK->width()) / 2,
                height - ButtonBandHeight + (ButtonBandHeight - btnOK->height()) / 2);
    setFixedSize(ClientWidth, height);
}

// The background picture at the window's width: its band with the button at the bottom, the row
// above the band repeated over the height the window grew by.
void TFrmCodeErrorForm::paintEvent(QPaintEvent*) {
    const qreal ratio = devicePixelRatioF();
    if (m_background.isNull() || m_background.devicePixelRatio() != (ratio > 1.0 ? 2.0 : 1.0))
        m_background = SkinPixmap(QString::fromLatin1(BackgroundPicture), ratio);
    const qreal scale = m_background.devicePixelRatio();
    const auto source = [scale](qreal top, qreal rows) {
        return QRectF(0, top * scale, ClientWidth * scale, rows * scale);
    };
    const int bandTop = ClientHeight - ButtonBandHeight;
    const int grown = height() - ClientHeight;
    QPainter painter(this);
    painter.drawPixmap(QRectF(0, 0, ClientWidth, bandTop), m_background, source(0, bandTop));
    if (grown > 0)
        painter.drawPixmap(QRectF(0, bandTop, ClientWidth, grown), m_background, source(bandTop - 1, 1));
    painter.drawPixmap(QRectF(0, height() - ButtonBandHeight, ClientWidth, ButtonBandHeight), m_background,
                       source(bandTop, ButtonBandHeight));
}

// Enter and Return close the window with the OK result, as the button would.
void TFrmCodeErrorForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        btnOK->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TFrmCodeErrorForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lblDownload && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        OpenCodecDownload(m_shell);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFrmCodeErrorForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    LayOutText(); // a style sheet given after construction may have changed the fonts
    CentreOnOwner(*this);
}

int ShowCodecError(QWidget* mainWindow, Shell& shell, const std::string& path) {
    // Created on demand and gone when closed.
    TFrmCodeErrorForm form(mainWindow, shell, path);
    return form.exec();
}
