#include "profiles/OptionListCombo.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStringList>

OptionListCombo::OptionListCombo(OptionList& list, QComboBox& combo, CommandRunner runCommand)
    : QObject(&combo), m_list(list), m_combo(combo), m_runCommand(std::move(runCommand)) {
    m_list.SetObserver([this] { Refresh(); });
    // activated() is emitted for the user's choices only, never for the program's.
    connect(&m_combo, &QComboBox::activated, this,
            [this](int index) { m_runCommand([this, index] { m_list.SelectByUser(index); }); });
    // textEdited() likewise: typing only, not text set by the program.
    if (QLineEdit* edit = m_combo.lineEdit()) {
        connect(edit, &QLineEdit::textEdited, this, [this](const QString& text) {
            m_runCommand([this, text] { m_list.TypeByUser(text.toLocal8Bit().toStdString()); });
        });
    }
    Refresh();
}

OptionListCombo::~OptionListCombo() {
    m_list.SetObserver(nullptr);
}

void OptionListCombo::Refresh() {
    QStringList items;
    for (const std::string& item : m_list.Items())
        items << QString::fromLocal8Bit(item);
    const QSignalBlocker blocker(m_combo);
    QStringList shown;
    for (int i = 0; i < m_combo.count(); ++i)
        shown << m_combo.itemText(i);
    if (shown != items) {
        m_combo.clear();
        m_combo.addItems(items);
    }
    if (m_combo.currentIndex() != m_list.ItemIndex())
        m_combo.setCurrentIndex(m_list.ItemIndex());
    ShowEditText();
}

// Selecting in an editable box rewrites its text; the list's text is the one to show, and the
// cursor stays where the user is typing.
void OptionListCombo::ShowEditText() {
    QLineEdit* edit = m_combo.lineEdit();
    if (edit == nullptr)
        return;
    const QString text = QString::fromLocal8Bit(m_list.EditText());
    if (edit->text() == text)
        return;
    const QSignalBlocker blocker(edit);
    edit->setText(text);
}
