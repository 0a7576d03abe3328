#include "app/OptionListCombo.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <QStringList>

#include "app/RivamoApplication.h"

OptionListCombo::OptionListCombo(OptionList& list, QComboBox& combo)
    : QObject(&combo), m_list(list), m_combo(combo) {
    m_list.SetObserver([this] { Refresh(); });
    // activated() is emitted for the user's choices only, never for the program's.
    connect(&m_combo, &QComboBox::activated, this, [this](int index) {
        RivamoApplication::RunCommand([this, index] { m_list.SelectByUser(index); });
    });
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
    m_combo.setCurrentIndex(m_list.ItemIndex());
}
