#pragma once

#include <functional>
#include <vector>

#include <QDialog>

#include "profiles/OptionSelection.h"
#include "settings/MainChoices.h"

class BitmapButton;
enum class ButtonArt;
class OptionWindowLogic;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QRadioButton;

// The Options dialog TfrmOption: the eight option lists and the custom-profile box with Add, Save
// and Delete, over OptionSelection, and the quick-batch choice, which OK keeps in MainChoices. Created at
// start-up and only shown and hidden; modeless, so the main window stays usable. OK (Enter) and Cancel (Esc)
// hide it after their logic; the window's close button only hides it. It wears the skin: its own
// background picture, the skin's style sheet and bitmap buttons.
class TfrmOption : public QDialog {
    Q_OBJECT

public:
    using CommandRunner = std::function<void(const std::function<void()>&)>;

    TfrmOption(OptionSelection& options, MainChoices& choices, OptionWindowLogic& logic,
               CommandRunner runCommand);

    // The Options command: runs the show logic and shows the dialog, centred on the desktop the
    // first time; a dialog already shown is only brought to the front.
    void ShowOptions();
    // Offers the option lists, or for the output type that copies every stream the cut choice
    // instead; follows the main window's output type while the dialog is open.
    void ShowOutputType();

    QLabel* lblCustomProfile = nullptr;
    QComboBox* cbbCustomProfile = nullptr;
    BitmapButton* btnAdd = nullptr;
    BitmapButton* btnSave = nullptr;
    BitmapButton* btnDel = nullptr;
    QGroupBox* grpAdvOptions = nullptr;
    QComboBox* cbbVideoSize = nullptr;
    QComboBox* cbbVideoBitrate = nullptr;
    QComboBox* cbbFramerate = nullptr;
    QComboBox* cbbAspectratio = nullptr;
    QComboBox* cbbAudioBitrate = nullptr;
    QComboBox* cbbAudioSample = nullptr;
    QComboBox* cbbAudioVolumeGain = nullptr;
    QComboBox* cbbAudioChannels = nullptr;
    QCheckBox* chkQuickBatch = nullptr;
    QLabel* lblCopyNotice = nullptr;
    QRadioButton* rbExactCut = nullptr;
    QRadioButton* rbKeyFrameCut = nullptr;
    BitmapButton* btnApply = nullptr;
    BitmapButton* btnCancel = nullptr;

protected:
    // Esc and Cancel.
    void reject() override;
    // Enter is OK, from the lists and the custom profile box too; on a button reached with Tab it presses
    // that button. The bitmap buttons are no default buttons of the dialog, so the dialog does this itself.
    void keyPressEvent(QKeyEvent* event) override;
    // The window's close button: hidden, every position kept, the main profile list left alone.
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildProfileRow(QWidget* background);
    void BuildAdvancedOptions(QWidget* background);
    void BuildCutChoice();
    QRadioButton* CutButton(const char* name, const char* text, CutMode cut, int top);
    QComboBox* OptionCombo(OptionList& list, const char* name, const char* label,
                           std::vector<QLabel*>& column);
    void LayOutColumn(const std::vector<QLabel*>& column, int left, int right);
    BitmapButton* Button(QWidget* parent, const char* name, const char* text, ButtonArt art, QPoint place,
                         void (OptionWindowLogic::*click)());
    void Run(const std::function<void()>& command) const;

    OptionSelection& m_options;
    MainChoices& m_choices;
    OptionWindowLogic& m_logic;
    CommandRunner m_runCommand;
    std::vector<QWidget*> m_optionControls; // the lists and their labels
    bool m_placed = false;
};
