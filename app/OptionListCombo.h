#pragma once

#include <QObject>

#include "profiles/OptionList.h"

class QComboBox;

// Binds a drop-down list to an OptionList: the list's items and selection are shown, and a
// selection the user makes goes to OptionList::SelectByUser, which runs the list's change
// handler. Changes made by the program update the box without any handler running.
class OptionListCombo : public QObject {
    Q_OBJECT

public:
    OptionListCombo(OptionList& list, QComboBox& combo);
    ~OptionListCombo() override;

    // Shows the list as it stands now.
    void Refresh();

private:
    OptionList& m_list;
    QComboBox& m_combo;
};
