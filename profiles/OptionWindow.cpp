#include "profiles/OptionWindow.h"

#include <algorithm>
#include <vector>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "profiles/OptionListCombo.h"
#include "profiles/OptionWindowLogic.h"

namespace {

// The dialog's fixed layout, in pixels of its client area. The group box keeps room below its
// four rows for one more row.
constexpr QSize ClientSize(476, 260);
constexpr QRect CustomProfileLabelRect(8, 14, 96, 20);
constexpr QRect CustomProfileBoxRect(104, 12, 178, 24);
constexpr QRect AddRect(290, 12, 56, 24);
constexpr QRect SaveRect(350, 12, 56, 24);
constexpr QRect DelRect(410, 12, 58, 24);
constexpr QRect AdvOptionsRect(4, 44, 468, 176);
constexpr QRect ApplyRect(306, 226, 78, 26);
constexpr QRect CancelRect(390, 226, 78, 26);
// The two columns inside the group box; the labels take what their texts need, the lists the rest.
constexpr int ColumnLeft[2] = {6, 218};
constexpr int ColumnRight[2] = {212, 460};
constexpr int LabelGap = 4;
constexpr int FirstRowTop = 22;
constexpr int RowStep = 30;
constexpr int RowHeight = 24;
// The row below the lists, across both columns.
constexpr QRect QuickBatchRect(ColumnLeft[0], FirstRowTop + 4 * RowStep, ColumnRight[1] - ColumnLeft[0],
                               RowHeight);
constexpr const char* QuickBatchText = "Start the next file as soon as one is done (quick batch)";

} // namespace

TfrmOption::TfrmOption(OptionSelection& options, MainChoices& choices, OptionWindowLogic& logic,
                       CommandRunner runCommand)
    : m_options(options), m_choices(choices), m_logic(logic), m_runCommand(std::move(runCommand)) {
    setObjectName("frmOption");
    setWindowTitle(QStringLiteral("Options"));
    setAccessibleName(windowTitle());
    setModal(false);
    setFixedSize(ClientSize);
    BuildProfileRow();
    BuildAdvancedOptions();
    btnApply = Button("btnApply", "OK", ApplyRect, &OptionWindowLogic::btnApplyClick);
    btnCancel = Button("btnCancel", "Cancel", CancelRect, &OptionWindowLogic::btnCancelClick);
    btnApply->setDefault(true);
    // The check box shows the kept choice each time the dialog opens; only OK changes it.
    connect(btnApply, &QPushButton::clicked, this,
            [this] { m_choices.SetQuickBatch(chkQuickBatch->isChecked()); });
    // OK and Cancel close the dialog after their logic.
    connect(btnApply, &QPushButton::clicked, this, &QWidget::hide);
    connect(btnCancel, &QPushButton::clicked, this, &QWidget::hide);
}

void TfrmOption::BuildProfileRow() {
    lblCustomProfile = new QLabel(QStringLiteral("Custom Profile:"), this);
    lblCustomProfile->setObjectName("lblCustomProfile");
    lblCustomProfile->setAccessibleName(lblCustomProfile->text());
    lblCustomProfile->setGeometry(CustomProfileLabelRect);
    cbbCustomProfile = new QComboBox(this);
    cbbCustomProfile->setObjectName("cbbCustomProfile");
    cbbCustomProfile->setEditable(true);
    // A name typed and confirmed with Enter becomes a profile only through Save.
    cbbCustomProfile->setInsertPolicy(QComboBox::NoInsert);
    cbbCustomProfile->setGeometry(CustomProfileBoxRect);
    lblCustomProfile->setBuddy(cbbCustomProfile);
    cbbCustomProfile->setAccessibleName(lblCustomProfile->text());
    new OptionListCombo(m_options.cbbCustomProfile, *cbbCustomProfile, m_runCommand);
    btnAdd = Button("btnAdd", "Add", AddRect, &OptionWindowLogic::btnAddClick);
    btnSave = Button("btnSave", "Save", SaveRect, &OptionWindowLogic::btnSaveClick);
    btnDel = Button("btnDel", "Delete", DelRect, &OptionWindowLogic::btnDelClick);
}

void TfrmOption::BuildAdvancedOptions() {
    grpAdvOptions = new QGroupBox(QStringLiteral("Advanced Options"), this);
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
    return combo;
}

// The labels take the width the widest of them needs, the lists beside them the rest, so that
// the lists line up.
void TfrmOption::LayOutColumn(const std::vector<QLabel*>& column, int left, int right) {
    int labelWidth = 0;
    for (const QLabel* caption : column)
        labelWidth = std::max(labelWidth, caption->fontMetrics().horizontalAdvance(caption->text()));
    const int comboLeft = left + labelWidth + LabelGap;
    for (std::size_t row = 0; row < column.size(); ++row) {
        const int top = FirstRowTop + static_cast<int>(row) * RowStep;
        column[row]->setGeometry(left, top, labelWidth, RowHeight);
        column[row]->buddy()->setGeometry(comboLeft, top, right - comboLeft, RowHeight);
    }
}

QPushButton* TfrmOption::Button(const char* name, const char* text, QRect geometry,
                                void (OptionWindowLogic::*click)()) {
    auto* button = new QPushButton(QString::fromLatin1(text), this);
    button->setObjectName(name);
    button->setAccessibleName(button->text());
    button->setGeometry(geometry);
    // Enter always means OK, whichever button has the focus.
    button->setAutoDefault(false);
    OptionWindowLogic* logic = &m_logic;
    connect(button, &QPushButton::clicked, this,
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

void TfrmOption::closeEvent(QCloseEvent* event) {
    event->accept();
}

void TfrmOption::Run(const std::function<void()>& command) const {
    m_runCommand(command);
}
