#include "profiles/OptionWindow.h"

#include <algorithm>
#include <vector>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>

#include "profiles/OptionListCombo.h"
#include "profiles/OptionWindowLogic.h"
#include "widgets/BitmapButton.h"
#include "widgets/SkinPicture.h"
#include "widgets/SkinnedFrame.h"

namespace {

// The dialog's fixed layout, in pixels of its client area. The background picture's top band (to
// 42) holds the profile row, its bottom band (from 220) OK and Cancel; the group box between them
// keeps room below its four rows for the quick-batch choice.
constexpr QSize ClientSize(476, 260);
constexpr const char* BackgroundPicture = "options-background";
constexpr QRect CustomProfileLabelRect(44, 11, 78, 20);
constexpr QRect CustomProfileBoxRect(124, 9, 167, 24);
constexpr QPoint AddPlace(299, 9);
constexpr QPoint SavePlace(356, 9);
constexpr QPoint DelPlace(413, 9);
constexpr QRect AdvOptionsRect(8, 52, 460, 160);
constexpr QPoint ApplyPlace(278, 226);
constexpr QPoint CancelPlace(376, 226);
// The two columns inside the group box; the labels take what their texts need, the lists the rest.
// The audio column is the wider one: "2 channels, Stereo" is the longest item of all.
constexpr int ColumnLeft[2] = {10, 218};
constexpr int ColumnRight[2] = {202, 450};
constexpr int LabelGap = 4;
constexpr int FirstRowTop = 24;
constexpr int RowStep = 28;
constexpr int RowHeight = 24;
// The row below the lists, across both columns.
constexpr int QuickBatchHeight = 20;
constexpr QRect QuickBatchRect(ColumnLeft[0], FirstRowTop + 4 * RowStep - 2, ColumnRight[1] - ColumnLeft[0],
                               QuickBatchHeight);
constexpr const char* QuickBatchText = "Start the next file as soon as one is done (quick batch)";
// The copy type's notice and cut choice take the place of the lists.
constexpr QRect CopyNoticeRect(ColumnLeft[0], FirstRowTop - 4, ColumnRight[1] - ColumnLeft[0], 2 * RowHeight);
constexpr int ExactCutTop = FirstRowTop + 2 * RowStep - 8;
constexpr int KeyFrameCutTop = ExactCutTop + RowHeight;
constexpr const char* ExactCutText = "exact";
constexpr const char* KeyFrameCutText = "at key frames (fastest)";

} // namespace

TfrmOption::TfrmOption(OptionSelection& options, MainChoices& choices, OptionWindowLogic& logic,
                       CommandRunner runCommand)
    : m_options(options), m_choices(choices), m_logic(logic), m_runCommand(std::move(runCommand)) {
    setObjectName("frmOption");
    setWindowTitle(QStringLiteral("Options"));
    setAccessibleName(windowTitle());
    setModal(false);
    setFixedSize(ClientSize);
    auto* background = new SkinnedFrame(QString::fromLatin1(BackgroundPicture), this);
    background->setGeometry(QRect(QPoint(0, 0), ClientSize));
    BuildProfileRow(background);
    BuildAdvancedOptions(background);
    btnApply = Button(background, "btnApply", "OK", ButtonArt::DialogCommand, ApplyPlace,
                      &OptionWindowLogic::btnApplyClick);
    btnCancel = Button(background, "btnCancel", "Cancel", ButtonArt::DialogCommand, CancelPlace,
                       &OptionWindowLogic::btnCancelClick);
    // The check box shows the kept choice each time the dialog opens; only OK changes it.
    connect(btnApply, &BitmapButton::clicked, this,
            [this] { m_choices.SetQuickBatch(chkQuickBatch->isChecked()); });
    // OK and Cancel close the dialog after their logic.
    connect(btnApply, &BitmapButton::clicked, this, &QWidget::hide);
    connect(btnCancel, &BitmapButton::clicked, this, &QWidget::hide);
}

void TfrmOption::BuildProfileRow(QWidget* background) {
    lblCustomProfile = new QLabel(QStringLiteral("Custom Profile:"), background);
    lblCustomProfile->setObjectName("lblCustomProfile");
    lblCustomProfile->setAccessibleName(lblCustomProfile->text());
    lblCustomProfile->setGeometry(CustomProfileLabelRect);
    cbbCustomProfile = new QComboBox(background);
    cbbCustomProfile->setObjectName("cbbCustomProfile");
    cbbCustomProfile->setEditable(true);
    // A name typed and confirmed with Enter becomes a profile only through Save.
    cbbCustomProfile->setInsertPolicy(QComboBox::NoInsert);
    cbbCustomProfile->setGeometry(CustomProfileBoxRect);
    lblCustomProfile->setBuddy(cbbCustomProfile);
    cbbCustomProfile->setAccessibleName(lblCustomProfile->text());
    new OptionListCombo(m_options.cbbCustomProfile, *cbbCustomProfile, m_runCommand);
    btnAdd = Button(background, "btnAdd", "Add", ButtonArt::HalfCommand, AddPlace,
                    &OptionWindowLogic::btnAddClick);
    btnSave = Button(background, "btnSave", "Save", ButtonArt::HalfCommand, SavePlace,
                     &OptionWindowLogic::btnSaveClick);
    btnDel = Button(background, "btnDel", "Delete", ButtonArt::HalfCommand, DelPlace,
                    &OptionWindowLogic::btnDelClick);
}

void TfrmOption::BuildAdvancedOptions(QWidget* background) {
    grpAdvOptions = new QGroupBox(QStringLiteral("Advanced Options"), background);
    grpAdvOptions->setObjectName("grpAdvOptions");
    grpAdvOptions->setAccessibleName(grpAdvOptions->title());
    grpAdvOptions->setGeometry(AdvOptionsRect);
    // Video in the left column, audio in the right one, from top to bottom.
    std::vector<QLabel*> video;
    std::vector<QLabel*> audio;
    cbbVideoSize = OptionCombo(m_options.cbbVideoSize, "cbbVideoSize", "Video Size:", video);
    cbbVideoBitrate =
        OptionCombo(m_options.cbbVideoBitrate, "cbbVideoBitrate", "Video Bitrate(kbps):", video);
    cbbFramerate = OptionCombo(m_options.cbbFramerate, "cbbFramerate", "Frame Rate(fps):", video);
    cbbAspectratio = OptionCombo(m_options.cbbAspectratio, "cbbAspectratio", "Aspect Ratio:", video);
    cbbAudioBitrate =
        OptionCombo(m_options.cbbAudioBitrate, "cbbAudioBitrate", "Audio Bitrate(kbps):", audio);
    cbbAudioSample = OptionCombo(m_options.cbbAudioSample, "cbbAudioSample", "Audio Sample(khz):", audio);
    cbbAudioVolumeGain =
        OptionCombo(m_options.cbbAudioVolumeGain, "cbbAudioVolumeGain", "Audio Volume(%):", audio);
    cbbAudioChannels = OptionCombo(m_options.cbbAudioChannels, "cbbAudioChannels", "Audio Channels:", audio);
    LayOutColumn(video, ColumnLeft[0], ColumnRight[0]);
    LayOutColumn(audio, ColumnLeft[1], ColumnRight[1]);
    chkQuickBatch = new QCheckBox(QString::fromLatin1(QuickBatchText), grpAdvOptions);
    chkQuickBatch->setObjectName("chkQuickBatch");
    chkQuickBatch->setAccessibleName(chkQuickBatch->text());
    chkQuickBatch->setGeometry(QuickBatchRect);
    BuildCutChoice();
}

void TfrmOption::BuildCutChoice() {
    lblCopyNotice = new QLabel(QString::fromLatin1(CopyTypeNotice), grpAdvOptions);
    lblCopyNotice->setObjectName("lblCopyNotice");
    lblCopyNotice->setAccessibleName(lblCopyNotice->text());
    lblCopyNotice->setWordWrap(true);
    lblCopyNotice->setGeometry(CopyNoticeRect);
    rbExactCut = CutButton("rbExactCut", ExactCutText, CutMode::Exact, ExactCutTop);
    rbKeyFrameCut = CutButton("rbKeyFrameCut", KeyFrameCutText, CutMode::KeyFrames, KeyFrameCutTop);
}

// The two buttons share the group box, so exactly one of them is checked.
QRadioButton* TfrmOption::CutButton(const char* name, const char* text, CutMode cut, int top) {
    auto* button = new QRadioButton(QString::fromLatin1(text), grpAdvOptions);
    button->setObjectName(name);
    button->setAccessibleName(button->text());
    button->setGeometry(ColumnLeft[0], top, ColumnRight[1] - ColumnLeft[0], RowHeight);
    connect(button, &QRadioButton::toggled, this, [this, cut](bool checked) {
        if (checked)
            Run([this, cut] { m_logic.SelectCut(cut); });
    });
    return button;
}

void TfrmOption::ShowOutputType() {
    const bool copy = m_logic.CopiesStreams();
    for (QWidget* control : m_optionControls)
        control->setVisible(!copy);
    lblCopyNotice->setVisible(copy);
    rbExactCut->setVisible(copy);
    rbKeyFrameCut->setVisible(copy);
    (m_logic.Cut() == CutMode::Exact ? rbExactCut : rbKeyFrameCut)->setChecked(true);
}

QComboBox* TfrmOption::OptionCombo(OptionList& list, const char* name, const char* label,
                                   std::vector<QLabel*>& column) {
    auto* caption = new QLabel(QString::fromLatin1(label), grpAdvOptions);
    caption->setAccessibleName(caption->text());
    auto* combo = new QComboBox(grpAdvOptions);
    combo->setObjectName(name);
    combo->setAccessibleName(caption->text());
    caption->setBuddy(combo);
    new OptionListCombo(list, *combo, m_runCommand);
    column.push_back(caption);
    m_optionControls.push_back(caption);
    m_optionControls.push_back(combo);
    return combo;
}

// The labels take the width the widest of them needs, the lists beside them the rest, so that
// the lists line up. The labels are measured in the skin's font, which they take when polished.
void TfrmOption::LayOutColumn(const std::vector<QLabel*>& column, int left, int right) {
    int labelWidth = 0;
    for (QLabel* caption : column) {
        caption->ensurePolished();
        labelWidth = std::max(labelWidth, caption->fontMetrics().horizontalAdvance(caption->text()));
    }
    const int comboLeft = left + labelWidth + LabelGap;
    for (std::size_t row = 0; row < column.size(); ++row) {
        const int top = FirstRowTop + static_cast<int>(row) * RowStep;
        column[row]->setGeometry(left, top, labelWidth, RowHeight);
        column[row]->buddy()->setGeometry(comboLeft, top, right - comboLeft, RowHeight);
    }
}

BitmapButton* TfrmOption::Button(QWidget* parent, const char* name, const char* text, ButtonArt art,
                                 QPoint place, void (OptionWindowLogic::*click)()) {
    BitmapButton* button = MakeBitmapButton(parent, name, art, QString::fromLatin1(text));
    button->move(place);
    OptionWindowLogic* logic = &m_logic;
    connect(button, &BitmapButton::clicked, this,
            [this, logic, click] { Run([logic, click] { (logic->*click)(); }); });
    return button;
}

void TfrmOption::ShowOptions() {
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    m_logic.FormShow();
    chkQuickBatch->setChecked(m_choices.QuickBatch());
    ShowOutputType();
    if (!m_placed) {
        m_placed = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    show();
    raise();
    activateWindow();
}

void TfrmOption::reject() {
    btnCancel->click();
}

void TfrmOption::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (enter && modifiers == Qt::NoModifier) {
        // A button the user tabbed to is the one the ring shows: Enter presses it, as Space does.
        auto* focused = qobject_cast<BitmapButton*>(focusWidget());
        (focused != nullptr ? focused : btnApply)->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmOption::closeEvent(QCloseEvent* event) {
    event->accept();
}

void TfrmOption::Run(const std::function<void()>& command) const {
    m_runCommand(command);
}
