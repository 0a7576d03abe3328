#include "sources/CodeErrorForm.h"

#include <algorithm>

#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QTextLayout>
#include <QtMath>

#include "sources/CodecDownload.h"
#include "sources/WindowPlacement.h"

namespace {

constexpr const char* Caption = "Error Info";
constexpr const char* ErrorText = "Files reading error! Please check your files or install a new codec."
                                  "You can click the link to download the lastest codec.";
constexpr const char* LinkText = "(Click here to down)";
constexpr const char* OkText = "OK";

constexpr QRect ImageRect(8, 13, 32, 32);
constexpr QRect ErrorTextRect(48, 16, 357, 30);
constexpr QSize OkButtonSize(75, 25);
constexpr int OkButtonTop = 62;
constexpr int OkButtonGap = 6;  // between the link and the button
constexpr int BottomMargin = 9; // below the button

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

    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setGeometry(ImageRect);
    Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(ImageRect.size()));

    lblErrorInfo = new QLabel(ErrorText, this);
    lblErrorInfo->setObjectName("lblErrorInfo");
    lblErrorInfo->setWordWrap(true);
    lblErrorInfo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblErrorInfo->setGeometry(ErrorTextRect);

    lblDownload = new QLabel(LinkText, this);
    lblDownload->setObjectName("lblDownload");
    QFont linkFont = lblDownload->font();
    linkFont.setUnderline(true);
    lblDownload->setFont(linkFont);
    lblDownload->setStyleSheet("color: blue;");
    lblDownload->setCursor(Qt::PointingHandCursor);
    lblDownload->adjustSize();
    lblDownload->installEventFilter(this);

    // The whole path, elided in the middle when it is too long for one line; the tip holds it all.
    const QString fileName = QFile::decodeName(QByteArray::fromStdString(path));
    lblFileName = new QLabel(this);
    lblFileName->setObjectName("lblFileName");
    lblFileName->setText(
        lblFileName->fontMetrics().elidedText(fileName, Qt::ElideMiddle, ErrorTextRect.width()));
    lblFileName->setToolTip(fileName);
    lblFileName->setVisible(!path.empty());

    btnOK = new QPushButton(OkText, this);
    btnOK->setObjectName("btnOK");
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    LayOutText();
}

// The link stands right after the text's last line, or below it when that line leaves no room.
// How the text wraps depends on the font, so the places follow from it; the window grows (never
// shrinks) when the text, the link and the button need more height.
void TFrmCodeErrorForm::LayOutText() {
    const int textHeight =
        std::max(ErrorTextRect.height(), lblErrorInfo->heightForWidth(ErrorTextRect.width()));
    lblErrorInfo->setGeometry(QRect(ErrorTextRect.topLeft(), QSize(ErrorTextRect.width(), textHeight)));

    const LastLine last = LastLineOf(lblErrorInfo->text(), lblErrorInfo->font(), ErrorTextRect.width());
    const int afterText =
        ErrorTextRect.left() + last.right + lblErrorInfo->fontMetrics().horizontalAdvance(' ');
    const bool fitsAfter = afterText + lblDownload->width() <= ErrorTextRect.right();
    lblDownload->move(fitsAfter ? QPoint(afterText, ErrorTextRect.top() + last.top)
                                : QPoint(ErrorTextRect.left(), ErrorTextRect.top() + last.top + last.height));

    int below = lblDownload->geometry().bottom() + 1;
    if (lblFileName->isVisibleTo(this)) {
        lblFileName->setGeometry(QRect(QPoint(ErrorTextRect.left(), below + OkButtonGap),
                                       QSize(ErrorTextRect.width(), lblFileName->sizeHint().height())));
        below = lblFileName->geometry().bottom() + 1;
    }
    const int okTop = std::max(OkButtonTop, below + OkButtonGap);
    btnOK->setGeometry(QRect(QPoint((ClientWidth - OkButtonSize.width()) / 2, okTop), OkButtonSize));
    setFixedSize(ClientWidth, std::max(ClientHeight, okTop + OkButtonSize.height() + BottomMargin));
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
    CentreOnOwner(*this);
}

int ShowCodecError(QWidget* mainWindow, Shell& shell, const std::string& path) {
    // Created on demand and gone when closed.
    TFrmCodeErrorForm form(mainWindow, shell, path);
    return form.exec();
}
