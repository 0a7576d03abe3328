// Uiface.so: the About dialog. The program loads it by its full path and calls ShowAboutForm with
// the product information; the dialog shows exactly what it is given.
#include <QDialog>
#include <QDialogButtonBox>
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QVBoxLayout>

#include "companions/SoftInfo.h"

namespace {

constexpr int ProductNamePointGrowth = 6;

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8 != nullptr ? utf8 : "");
}

QLabel* AddLabel(QVBoxLayout* layout, const QString& text, const char* name) {
    auto* label = new QLabel(text);
    label->setObjectName(QString::fromLatin1(name));
    label->setAccessibleName(label->text());
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(label);
    return label;
}

// A link label: the text is the address itself, the target may differ (mailto:).
QLabel* AddLink(QVBoxLayout* layout, const QString& caption, const QString& shown, const QString& target,
                const char* name) {
    QLabel* label = AddLabel(layout, QString(), name);
    label->setTextFormat(Qt::RichText);
    label->setText(caption.toHtmlEscaped() + QStringLiteral(" <a href=\"") + target.toHtmlEscaped() +
                   QStringLiteral("\">") + shown.toHtmlEscaped() + QStringLiteral("</a>"));
    label->setAccessibleName(caption + QLatin1Char(' ') + shown);
    label->setTextInteractionFlags(Qt::TextBrowserInteraction);
    label->setOpenExternalLinks(true);
    return label;
}

void BuildAboutForm(QDialog& form, const RivamoSoftInfo& info) {
    const QString title = Text(info.ProductName) + QLatin1Char(' ') + Text(info.Version);
    form.setWindowTitle(QStringLiteral("About ") + Text(info.ProductName));
    form.setAccessibleName(form.windowTitle());
    form.setObjectName(QStringLiteral("frmAbout"));

    auto* layout = new QVBoxLayout(&form);
    QLabel* name = AddLabel(layout, title, "lblProductName");
    QFont big = name->font();
    big.setBold(true);
    big.setPointSize(big.pointSize() + ProductNamePointGrowth);
    name->setFont(big);
    AddLabel(layout, Text(info.Text0), "lblText0");
    AddLabel(layout, Text(info.Text2), "lblText2");
    AddLabel(layout, Text(info.Text7), "lblText7");
    AddLink(layout, QStringLiteral("Home page:"), Text(info.HomePage), Text(info.HomePage), "lblHomePage");
    AddLink(layout, QStringLiteral("E-mail:"), Text(info.EMail), QStringLiteral("mailto:") + Text(info.EMail),
            "lblEMail");
    AddLabel(layout, QStringLiteral("Program folder: ") + Text(info.AppPath), "lblAppPath");

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setAccessibleName(ok->text());
    QObject::connect(buttons, &QDialogButtonBox::accepted, &form, &QDialog::accept);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace

extern "C" __attribute__((visibility("default"))) void ShowAboutForm(const RivamoSoftInfo* info) {
    if (info == nullptr)
        return;
    QDialog form;
    BuildAboutForm(form, *info);
    form.exec();
}
