#include "app/MainWindow.h"

#include <array>
#include <utility>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include "app/RivamoApplication.h"
#include "convert/CustomProc.h"
#include "convert/OutputProjection.h"
#include "profiles/OptionListCombo.h"
#include "sources/SourceGridView.h"
#include "sources/SourceListModel.h"

namespace {

constexpr const char* InitialTitle = "Rivamo";
constexpr QSize InitialClientSize(692, 456);
constexpr QSize MinimumClientSize(600, 420);
constexpr int ConvertButtonWidth = 110;
constexpr int ConvertButtonHeight = 40;
constexpr int OutputFiletypeWidth = 297;
constexpr int ProfileWidth = 217;
constexpr QSize FolderButtonSize(70, 20); // btnOptions and RzBmpButton1
constexpr const char* SourceGridName = "Source Files";
constexpr int ClearMemoryIntervalMs = 1000;

// Initial widths that let all seven columns fit the window's first size.
constexpr std::array<std::pair<int, int>, 7> ColumnWidths = {{
    {colCheck, 28},
    {colFileName, 250},
    {colFileSize, 80},
    {colDuration, 72},
    {colStartTime, 72},
    {colEndTime, 72},
    {colCutTime, 72},
}};

// Key preview: keys that act as a click on a button when Ctrl is the only modifier held.
struct CtrlShortcut {
    int key;
    void (TFrmMainForm::*click)();
};
constexpr std::array<CtrlShortcut, 7> CtrlShortcuts = {{
    {Qt::Key_O, &TFrmMainForm::btnOpenFileClick},
    {Qt::Key_R, &TFrmMainForm::btnRemoveFileClick},
    {Qt::Key_L, &TFrmMainForm::btnClearFileClick},
    {Qt::Key_I, &TFrmMainForm::btnOptionsClick},
    {Qt::Key_S, &TFrmMainForm::btnConvertClick},
    {Qt::Key_N, &TFrmMainForm::btnConvertClick}, // the same as Ctrl+S
    {Qt::Key_B, &TFrmMainForm::btnSelectOutputFolderClick},
}};

constexpr Qt::KeyboardModifiers HeldModifiers =
    Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier;

QLabel* CaptionLabel(const char* text, QWidget* parent) {
    return new QLabel(QString::fromLatin1(text), parent);
}

} // namespace

TFrmMainForm::TFrmMainForm(SourceList& sources, OptionSelection& options, MainChoices& choices,
                           TCustomProc& proc)
    : m_sources(sources), m_options(options), m_choices(choices), m_proc(proc) {
    setWindowTitle(QString::fromLatin1(InitialTitle));
    BuildControls();
    m_outputFiletypeBinding =
        new OptionListCombo(m_options.cbbOutputFiletype, *cbbOutputFiletype, &RivamoApplication::RunCommand);
    m_profileBinding = new OptionListCombo(m_options.cbbProfile, *cbbProfile, &RivamoApplication::RunCommand);
    BindChoices();
    resize(InitialClientSize);

    tmrClearMemory = new QTimer(this);
    tmrClearMemory->setInterval(ClearMemoryIntervalMs);
    connect(tmrClearMemory, &QTimer::timeout, this, [this] { RunIfSet(m_memoryTrim); });
    tmrClearMemory->start();
}

TFrmMainForm::~TFrmMainForm() {
    m_choices.SetObserver(nullptr);
}

void TFrmMainForm::BuildControls() {
    auto* client = new QWidget(this);
    setCentralWidget(client);

    // The left part of the upper half is the preview's place.
    auto* upperLayout = new QHBoxLayout;
    upperLayout->addStretch(1);
    upperLayout->addLayout(BuildChoices(client));

    BuildGrid(client);

    auto* clientLayout = new QVBoxLayout(client);
    clientLayout->addLayout(upperLayout);
    clientLayout->addWidget(dxTreeSourceFileInfo, 1);
    clientLayout->addLayout(BuildListButtons(client));
    client->setMinimumSize(MinimumClientSize);
    NameControls();
}

// Screen readers and UI automation find each control by the text the user sees: a button by its
// caption, a list, box or check box by the label beside it.
void TFrmMainForm::NameControls() {
    const std::array<std::pair<QWidget*, QLabel*>, 5> labelled = {{
        {cbbOutputFiletype, lblOutputFileTypeName},
        {cbbProfile, lblProfileSettings},
        {edtOutputFolder, lblOutputFolderInfo},
        {chkShutdown, Label1},
        {chkShowOutputDirectory, Label2},
    }};
    for (const auto& [control, label] : labelled) {
        control->setAccessibleName(label->text());
        label->setBuddy(control); // the label relation that screen readers follow
    }
    for (QLabel* label : findChildren<QLabel*>())
        label->setAccessibleName(label->text());
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAccessibleName(button->text());
    dxTreeSourceFileInfo->setAccessibleName(QString::fromLatin1(SourceGridName));
}

QLayout* TFrmMainForm::BuildChoices(QWidget* client) {
    lblOutputFileTypeName = CaptionLabel("Output FileType:", client);
    lblProfileSettings = CaptionLabel("Profile Settings:", client);
    lblOutputFolderInfo = CaptionLabel("Output Folder:", client);
    cbbOutputFiletype = new QComboBox(client);
    cbbOutputFiletype->setObjectName("cbbOutputFiletype");
    cbbOutputFiletype->setMinimumWidth(OutputFiletypeWidth);
    cbbProfile = new QComboBox(client);
    cbbProfile->setObjectName("cbbProfile");
    cbbProfile->setMinimumWidth(ProfileWidth);
    edtOutputFolder = new QLineEdit(client);
    edtOutputFolder->setObjectName("edtOutputFolder");
    edtOutputFolder->setReadOnly(true);

    // The texts beside the boxes are labels of their own: clicking them does not toggle the boxes.
    chkShutdown = new QCheckBox(client);
    chkShutdown->setObjectName("chkShutdown");
    Label1 = CaptionLabel("Shutdown computer when job is finished.", client);
    chkShowOutputDirectory = new QCheckBox(client);
    chkShowOutputDirectory->setObjectName("chkShowOutputDirectory");
    Label2 = CaptionLabel("Show output directory when done", client);

    Label3 = CaptionLabel("Click here to download the coder", client);
    Label3->setObjectName("Label3");
    QFont linkFont = Label3->font();
    linkFont.setUnderline(true);
    Label3->setFont(linkFont);
    Label3->setCursor(Qt::PointingHandCursor);
    Label3->installEventFilter(this);

    auto* choicesLayout = new QGridLayout;
    choicesLayout->addWidget(lblOutputFileTypeName, 0, 0, Qt::AlignRight);
    choicesLayout->addWidget(cbbOutputFiletype, 0, 1, 1, 2);
    choicesLayout->addWidget(lblProfileSettings, 1, 0, Qt::AlignRight);
    choicesLayout->addWidget(cbbProfile, 1, 1);
    choicesLayout->addWidget(lblOutputFolderInfo, 2, 0, Qt::AlignRight);
    choicesLayout->addWidget(edtOutputFolder, 2, 1);
    BuildOptionButtons(client);
    choicesLayout->addWidget(btnOptions, 1, 2);
    choicesLayout->addWidget(RzBmpButton1, 2, 2);
    auto* boxesLayout = new QGridLayout;
    boxesLayout->addWidget(chkShutdown, 0, 0);
    boxesLayout->addWidget(Label1, 0, 1);
    boxesLayout->addWidget(chkShowOutputDirectory, 1, 0);
    boxesLayout->addWidget(Label2, 1, 1);
    boxesLayout->addWidget(Label3, 2, 0, 1, 2);
    boxesLayout->setColumnStretch(1, 1);
    choicesLayout->addLayout(boxesLayout, 3, 0, 1, 3);
    choicesLayout->setColumnStretch(1, 1);
    return choicesLayout;
}

// The hints name the keys that reach the commands: Ctrl+N converts, as Ctrl+S does.
void TFrmMainForm::BuildOptionButtons(QWidget* client) {
    btnOptions = CommandButton(client, "btnOptions", "Options", "Ctrl + I", &TFrmMainForm::btnOptionsClick);
    btnOptions->setFixedSize(FolderButtonSize);
    RzBmpButton1 =
        CommandButton(client, "RzBmpButton1", "Browse", "Ctrl + B", &TFrmMainForm::RzBmpButton1Click);
    RzBmpButton1->setFixedSize(FolderButtonSize);
    btnSelectOutputFolder = CommandButton(client, "btnSelectOutputFolder", "Browse", "Ctrl + B",
                                          &TFrmMainForm::btnSelectOutputFolderClick);
    btnSelectOutputFolder->hide();
}

void TFrmMainForm::BuildGrid(QWidget* client) {
    dxTreeSourceFileInfo = new SourceGridView(client);
    m_sourceModel = new SourceListModel(m_sources, this);
    m_sourceModel->SetCutTimeToolTip(
        [this](std::size_t row) { return ProjectionText(m_options, m_sources, row); });
    dxTreeSourceFileInfo->SetSourceList(&m_sources);
    dxTreeSourceFileInfo->setModel(m_sourceModel);
    dxTreeSourceFileInfo->header()->setStretchLastSection(true);
    for (const auto& [column, width] : ColumnWidths)
        dxTreeSourceFileInfo->header()->resizeSection(column, width);
}

QLayout* TFrmMainForm::BuildListButtons(QWidget* client) {
    btnOpenFile =
        CommandButton(client, "btnOpenFile", "Add Files...", "Ctrl + O", &TFrmMainForm::btnOpenFileClick);
    btnRemoveFile =
        CommandButton(client, "btnRemoveFile", "Remove", "Ctrl + R", &TFrmMainForm::btnRemoveFileClick);
    btnClearFile =
        CommandButton(client, "btnClearFile", "Clear", "Ctrl + L", &TFrmMainForm::btnClearFileClick);
    btnConvert = CommandButton(client, "btnConvert", "Convert", "Ctrl + S", &TFrmMainForm::btnConvertClick);
    btnConvert->setFixedSize(ConvertButtonWidth, ConvertButtonHeight);

    auto* lowerLayout = new QHBoxLayout;
    lowerLayout->addWidget(btnOpenFile);
    lowerLayout->addWidget(btnRemoveFile);
    lowerLayout->addWidget(btnClearFile);
    lowerLayout->addStretch(1);
    lowerLayout->addWidget(btnConvert);
    return lowerLayout;
}

QPushButton* TFrmMainForm::CommandButton(QWidget* parent, const char* name, const char* text,
                                         const char* hint, void (TFrmMainForm::*click)()) {
    auto* button = new QPushButton(QString::fromLatin1(text), parent);
    button->setObjectName(name);
    button->setToolTip(QString::fromLatin1(hint));
    // Keys reach the focused control; the buttons are reached through their shortcuts and a click.
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this,
            [this, click] { RivamoApplication::RunCommand([this, click] { (this->*click)(); }); });
    return button;
}

void TFrmMainForm::BindChoices() {
    m_choices.SetObserver([this] { ShowChoices(); });
    connect(chkShutdown, &QCheckBox::toggled, this, [this](bool checked) { m_choices.SetShutdown(checked); });
    connect(chkShowOutputDirectory, &QCheckBox::toggled, this,
            [this](bool checked) { m_choices.SetShowOutputDirectory(checked); });
    ShowChoices();
}

void TFrmMainForm::ShowChoices() {
    const QSignalBlocker blockShutdown(chkShutdown);
    const QSignalBlocker blockShowOutput(chkShowOutputDirectory);
    chkShutdown->setChecked(m_choices.chkShutdown());
    chkShowOutputDirectory->setChecked(m_choices.chkShowOutputDirectory());
    edtOutputFolder->setText(QString::fromLocal8Bit(m_choices.edtOutputFolder()));
}

void TFrmMainForm::btnConvertClick() {
    m_proc.FilesDone = 0;
    RunIfSet(m_convertBatch);
}

void TFrmMainForm::btnOpenFileClick() {
    RunIfSet(m_sourceListCommands.openFiles);
}

void TFrmMainForm::btnRemoveFileClick() {
    RunIfSet(m_sourceListCommands.removeFiles);
}

void TFrmMainForm::btnClearFileClick() {
    RunIfSet(m_sourceListCommands.clearFiles);
}

void TFrmMainForm::btnOptionsClick() {
    RunIfSet(m_optionCommands.showOptions);
}

void TFrmMainForm::RzBmpButton1Click() {
    RunIfSet(m_optionCommands.selectOutputFolder);
}

void TFrmMainForm::btnSelectOutputFolderClick() {
    RunIfSet(m_optionCommands.selectOutputFolder);
}

void TFrmMainForm::RunIfSet(const std::function<void()>& command) {
    if (command)
        command();
}

bool TFrmMainForm::HandleShortcut(int key, Qt::KeyboardModifiers modifiers) {
    if ((modifiers & HeldModifiers) != Qt::ControlModifier)
        return false;
    for (const CtrlShortcut& shortcut : CtrlShortcuts) {
        if (shortcut.key == key) {
            RivamoApplication::RunCommand([this, &shortcut] { (this->*shortcut.click)(); });
            return true;
        }
    }
    return false;
}

// Every key press reaches the window first (through its platform window) and then, unconsumed,
// the focused control. A disabled window takes no commands.
bool TFrmMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == windowHandle() && event->type() == QEvent::KeyPress && isEnabled()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        HandleShortcut(key->key(), key->modifiers());
    }
    if (watched == Label3 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        RivamoApplication::RunCommand([this] { RunIfSet(m_sourceListCommands.downloadCodec); });
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFrmMainForm::showEvent(QShowEvent* event) {
    if (QWindow* window = windowHandle())
        window->installEventFilter(this);
    if (!m_shownOnce) {
        m_shownOnce = true;
        RivamoApplication::RunCommand(m_firstShowHandler);
    }
    QMainWindow::showEvent(event);
}

void TFrmMainForm::closeEvent(QCloseEvent* event) {
    RivamoApplication::RunCommand(m_closeHandler);
    event->accept();
}
