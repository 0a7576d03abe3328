#include "sources/CodeErrorForm.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>

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
constexpr QPoint LinkPosition(258, 30);
constexpr QSize OkButtonSize(75, 25);
constexpr int OkButtonTop = 62;

} // namespace

TFrmCodeErrorForm::TFrmCodeErrorForm(QWidget* owner, Shell& shell)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint),
      m_shell(shell) {
    setObjectName("FrmCodeErrorForm");
    setWindowTitle(Caption);
    setFixedSize(ClientWidth, ClientHeight);

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
    lblDownload->move(LinkPosition);
    lblDownload->adjustSize();
    lblDownload->installEventFilter(this);

    btnOK = new QPushButton(OkText, this);
    btnOK->setObjectName("btnOK");
    btnOK->setDefault(true);
    btnOK->setGeometry(QRect(QPoint((ClientWidth - OkButtonSize.width()) / 2, OkButtonTop), OkButtonSize));
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
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

int ShowCodecError(QWidget* mainWindow, Shell& shell) {
    // Created on demand and gone when closed.
    TFrmCodeErrorForm form(mainWindow, shell);
    return form.exec();
}
