#pragma once

#include <functional>

#include <QObject>

#include "profiles/OptionList.h"

class QComboBox;

// Binds a drop-down list to an OptionList: the list's items, selection and (for an editable box)
// text are shown, and a selection the user makes goes to OptionList::SelectByUser, text the user
// types to OptionList::TypeByUser, both of which run the list's change handler. Changes made by
// the program update the box without any handler running.
class OptionListCombo : public QObject {
    Q_OBJECT

public:
    // Runs one user command; the program's runner reports an error the command lets through.
    using CommandRunner = std::function<void(const std::function<void()>&)>;

    OptionListCombo(OptionList& list, QComboBox& combo, CommandRunner runCommand);
    ~OptionListCombo() override;

    // Shows the list as it stands now.
    void Refresh();

private:
    void ShowEditText();

    OptionList& m_list;
    QComboBox& m_combo;
    CommandRunner m_runCommand;
};
