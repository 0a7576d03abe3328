#include "app/MainWindow.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <utility>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalBlocker>
#include <QSizeGrip>
#include <QTimer>
#include <QWindow>

#include "app/LiveToolTip.h"
#include "app/MainWindowLayout.h"
#include "app/RivamoApplication.h"
#include "convert/OutputProjection.h"
#include "profiles/OptionListCombo.h"
#include "sources/SourceGridView.h"
#include "sources/SourceListModel.h"
#include "widgets/BitmapButton.h"
#include "widgets/SkinPicture.h"
#include "widgets/SkinnedFrame.h"

namespace {

namespace Layout = MainWindowLayout;

constexpr const char* InitialTitle = "Rivamo";
constexpr const char* BackgroundPicture = "main-background";
constexpr const char* SourceGridName = "Source Files";
constexpr int ClearMemoryIntervalMs = 1000;

// Initial widths that let all seven columns fit the grid's place; the file name column takes what
// is left of the grid's width.
constexpr std::array<std::pair<int, int>, 7> ColumnWidths = {{
    {colCheck, 26},
    {colFileName, 146},
    {colFileSize, 68},
    {colDuration, 62},
    {colStartTime, 66},
    {colEndTime, 64},
    {colCutTime, 60},
}};

// Windows virtual-key codes of Qt's keys: letters and digits are their ASCII codes in both, F1 to F24
// follow 112.
int VirtualKeyOf(int qtKey) {
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return VirtualKeyF1 + (qtKey - Qt::Key_F1);
    return 0;
}

KeyModifiers HeldModifiers(Qt::KeyboardModifiers modifiers) {
    return {.ctrl = modifiers.testFlag(Qt::ControlModifier),
            .shift = modifiers.testFlag(Qt::ShiftModifier),
            .alt = modifiers.testFlag(Qt::AltModifier),
            .meta = modifiers.testFlag(Qt::MetaModifier)};
}

// A white caption label of the skin, at its place.
QLabel* CaptionLabel(const char* text, QWidget* parent, QPoint place) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->move(place);
    label->adjustSize();
    return label;
}

} // namespace

TFrmMainForm::TFrmMainForm(SourceList& sources, OptionSelection& options, MainChoices& choices)
    : m_sources(sources), m_options(options), m_choices(choices) {
    setWindowFlag(Qt::FramelessWindowHint);
    BuildFrame();
    setWindowTitle(QString::fromLatin1(InitialTitle));
    m_outputFiletypeBinding =
        new OptionListCombo(m_options.cbbOutputFiletype, *cbbOutputFiletype, &RivamoApplication::RunCommand);
    m_profileBinding = new OptionListCombo(m_options.cbbProfile, *cbbProfile, &RivamoApplication::RunCommand);
    BindChoices();
    setMinimumSize(Layout::MinimumSize);
    resize(Layout::MinimumSize);

    SetShortcutCommand(ShortcutCommand::OpenFile, [this] { btnOpenFileClick(); });
    SetShortcutCommand(ShortcutCommand::AddFolder, [this] { btnAddFolderClick(); });
    SetShortcutCommand(ShortcutCommand::RemoveFile, [this] { btnRemoveFileClick(); });
    SetShortcutCommand(ShortcutCommand::ClearFile, [this] { btnClearFileClick(); });
    SetShortcutCommand(ShortcutCommand::Convert, [this] { btnConvertClick(); });
    SetShortcutCommand(ShortcutCommand::Options, [this] { btnOptionsClick(); });
    SetShortcutCommand(ShortcutCommand::SelectOutputFolder, [this] { btnSelectOutputFolderClick(); });
    SetShortcutCommand(ShortcutCommand::Help, [this] { ActSysHelpExecute(); });
    SetShortcutCommand(ShortcutCommand::Play, [this] { btnPlayClick(); });
    SetShortcutCommand(ShortcutCommand::Pause, [this] { btnPauseClick(); });
    SetShortcutCommand(ShortcutCommand::Stop, [this] { btnStopClick(); });

    tmrClearMemory = new QTimer(this);
    tmrClearMemory->setInterval(ClearMemoryIntervalMs);
    connect(tmrClearMemory, &QTimer::timeout, this, [this] { RunIfSet(m_memoryTrim); });
    tmrClearMemory->start();
}

TFrmMainForm::~TFrmMainForm() {
    m_choices.SetObserver(nullptr);
}

void TFrmMainForm::BuildFrame() {
    rzfrmshpfrmConverter = new SkinnedFrame(QString::fromLatin1(BackgroundPicture), this);
    rzfrmshpfrmConverter->setObjectName("rzfrmshpfrmConverter");
    setCentralWidget(rzfrmshpfrmConverter);
    QWidget* client = rzfrmshpfrmConverter;

    // A press on the title is left to the background, which starts the window move. The skin's style
    // sheet gives it Arial, 19 pixels, bold.
    lblTitle = new QLabel(QStringLiteral("Application name "), client);
    lblTitle->setObjectName("lblTitle");
    lblTitle->setGeometry(Layout::lblTitle);
    lblTitle->setTextFormat(Qt::PlainText);

    btnWindowMinimize = CommandButton(client, "btnWindowMinimize", ButtonArt::WindowMinimize, "Minimize", "",
                                      &TFrmMainForm::btnWindowMinimizeClick);
    btnWindowMinimize->setGeometry(Layout::btnWindowMinimize);
    btnWindowMaximize = CommandButton(client, "btnWindowMaximize", ButtonArt::WindowMaximize, "Maximize", "",
                                      &TFrmMainForm::btnWindowMaximizeClick);
    btnWindowMaximize->setGeometry(Layout::btnWindowMaximize);
    btnWindowClose = CommandButton(client, "btnWindowClose", ButtonArt::WindowClose, "Close", "",
                                   &TFrmMainForm::btnWindowCloseClick);
    btnWindowClose->setGeometry(Layout::btnWindowClose);

    pnlPreviewHost = new QWidget(client);
    pnlPreviewHost->setObjectName("pnlPreviewHost");
    pnlPreviewHost->setGeometry(Layout::pnlPreviewHost);

    BuildChoices(client);
    BuildGrid(client);
    BuildListButtons(client);
    BuildOptionButtons(client);
    BuildProductButtons(client);
    grpSize = new QSizeGrip(client);
    grpSize->setObjectName("grpSize");
    grpSize->setAccessibleName(QStringLiteral("Size"));
    grpSize->setGeometry(Layout::grpSize);
    NameControls();
    AnchorControls();
    rzfrmshpfrmConverter->SetStretch(
        [](QSize size) { return Layout::BackgroundStretch(Layout::GrowthFor(size)); });
    rzfrmshpfrmConverter->SetDoubleClickHandler([this] { btnWindowMaximizeClick(); });
}

void TFrmMainForm::AnchorControls() {
    const auto anchor = [this](Anchor kind, std::initializer_list<QWidget*> controls) {
        for (QWidget* control : controls)
            m_anchored.push_back({control, control->geometry(), kind});
    };
    anchor(Anchor::Title, {lblTitle});
    anchor(Anchor::TopRight, {btnWindowMinimize,
                              btnWindowMaximize,
                              btnWindowClose,
                              btnHomePage,
                              btnEMail,
                              btnAbout,
                              btnHelp,
                              lblOutputFileTypeName,
                              lblProfileSettings,
                              lblOutputFolderInfo,
                              cbbOutputFiletype,
                              cbbProfile,
                              btnOptions,
                              edtOutputFolder,
                              RzBmpButton1,
                              btnSelectOutputFolder,
                              chkShutdown,
                              Label1,
                              chkShowOutputDirectory,
                              Label2,
                              Label3});
    anchor(Anchor::Preview, {pnlPreviewHost});
    anchor(Anchor::Grid, {dxTreeSourceFileInfo});
    anchor(Anchor::GridTopRight, {btnOpenFile, btnRemoveFile, btnClearFile, btnConvert, btnAddFolder});
    anchor(Anchor::BottomRight, {grpSize});
}

// Each control at its place for the window's size; the preview's panel fills the preview's place.
void TFrmMainForm::LayOutControls() {
    const Layout::Growth growth = Layout::GrowthFor(size());
    for (const AnchoredControl& anchored : m_anchored) {
        QRect place = anchored.place;
        switch (anchored.anchor) {
        case Anchor::TopRight:
            place.translate(growth.width, 0);
            break;
        case Anchor::BottomRight:
            place.translate(growth.width, growth.height);
            break;
        case Anchor::GridTopRight:
            place.translate(growth.width, growth.previewHeight);
            break;
        case Anchor::Title:
            place.setWidth(place.width() + growth.width);
            break;
        case Anchor::Preview:
            place.setSize(place.size() + QSize(growth.previewWidth, growth.previewHeight));
            break;
        case Anchor::Grid:
            place.translate(0, growth.previewHeight);
            place.setSize(place.size() + QSize(growth.width, growth.height - growth.previewHeight));
            break;
        }
        anchored.control->setGeometry(place);
    }
    for (QWidget* panel : pnlPreviewHost->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        panel->setGeometry(pnlPreviewHost->rect());
}

void TFrmMainForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    LayOutControls();
}

void TFrmMainForm::ShowMaximizeButton() {
    const bool maximized = isMaximized();
    btnWindowMaximize->SetArt(maximized ? ButtonArt::WindowRestore : ButtonArt::WindowMaximize);
    const QString caption = maximized ? QStringLiteral("Restore") : QStringLiteral("Maximize");
    btnWindowMaximize->setText(caption);
    btnWindowMaximize->setAccessibleName(caption);
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
    for (QAbstractButton* button : findChildren<QAbstractButton*>()) {
        if (!button->text().isEmpty()) // the check boxes are named by their labels above
            button->setAccessibleName(button->text());
    }
    dxTreeSourceFileInfo->setAccessibleName(QString::fromLatin1(SourceGridName));
}

void TFrmMainForm::BuildChoices(QWidget* client) {
    lblOutputFileTypeName = CaptionLabel("Output FileType:", client, Layout::lblOutputFileTypeName);
    lblProfileSettings = CaptionLabel("Profile Settings:", client, Layout::lblProfileSettings);
    lblOutputFolderInfo = CaptionLabel("Output Folder:", client, Layout::lblOutputFolderInfo);
    cbbOutputFiletype = new QComboBox(client);
    cbbOutputFiletype->setObjectName("cbbOutputFiletype");
    cbbOutputFiletype->setGeometry(Layout::cbbOutputFiletype);
    cbbOutputFiletype->setAccessibleName(lblOutputFileTypeName->text());
    cbbProfile = new QComboBox(client);
    cbbProfile->setObjectName("cbbProfile");
    cbbProfile->setGeometry(Layout::cbbProfile);
    cbbProfile->setAccessibleName(lblProfileSettings->text());
    edtOutputFolder = new QLineEdit(client);
    edtOutputFolder->setObjectName("edtOutputFolder");
    edtOutputFolder->setGeometry(Layout::edtOutputFolder);
    edtOutputFolder->setReadOnly(true);
    edtOutputFolder->setAccessibleName(lblOutputFolderInfo->text());

    // The texts beside the boxes are labels of their own: clicking them does not toggle the boxes.
    chkShutdown = new QCheckBox(client);
    chkShutdown->setObjectName("chkShutdown");
    chkShutdown->setGeometry(Layout::chkShutdown);
    Label1 = CaptionLabel("Shutdown computer when job is finished.", client, Layout::Label1);
    chkShutdown->setAccessibleName(Label1->text());
    chkShowOutputDirectory = new QCheckBox(client);
    chkShowOutputDirectory->setObjectName("chkShowOutputDirectory");
    chkShowOutputDirectory->setGeometry(Layout::chkShowOutputDirectory);
    Label2 = CaptionLabel("Show output directory when done", client, Layout::Label2);
    chkShowOutputDirectory->setAccessibleName(Label2->text());

    Label3 = new QLabel(QStringLiteral("Click here to download the coder"), client);
    Label3->setObjectName("Label3");
    QFont linkFont = Label3->font();
    linkFont.setUnderline(true);
    Label3->setFont(linkFont);
    Label3->move(Layout::Label3);
    Label3->adjustSize();
    Label3->setCursor(Qt::PointingHandCursor);
    Label3->installEventFilter(this);
}

// The hints name the keys that reach the commands: Ctrl+N converts, as Ctrl+S does.
void TFrmMainForm::BuildOptionButtons(QWidget* client) {
    btnOptions = CommandButton(client, "btnOptions", ButtonArt::SmallCommand, "Options", "Ctrl + I",
                               &TFrmMainForm::btnOptionsClick);
    btnOptions->setGeometry(Layout::btnOptions);
    RzBmpButton1 = CommandButton(client, "RzBmpButton1", ButtonArt::SmallCommand, "Browse", "Ctrl + B",
                                 &TFrmMainForm::RzBmpButton1Click);
    RzBmpButton1->setGeometry(Layout::RzBmpButton1);
    btnSelectOutputFolder = CommandButton(client, "btnSelectOutputFolder", ButtonArt::Folder, "Browse",
                                          "Ctrl + B", &TFrmMainForm::btnSelectOutputFolderClick);
    btnSelectOutputFolder->setGeometry(Layout::btnSelectOutputFolder);
    btnSelectOutputFolder->hide();
}

void TFrmMainForm::BuildGrid(QWidget* client) {
    dxTreeSourceFileInfo = new SourceGridView(client);
    dxTreeSourceFileInfo->setGeometry(Layout::dxTreeSourceFileInfo);
    m_sourceModel = new SourceListModel(m_sources, this);
    m_sourceModel->SetCutTimeToolTip([this](std::size_t row) {
        return ProjectionText(m_options, m_sources, row, m_sizeEstimator, {m_copyProbe, m_choices.Cut()});
    });
    dxTreeSourceFileInfo->SetSourceList(&m_sources);
    dxTreeSourceFileInfo->setModel(m_sourceModel);
    m_gridToolTip = new LiveToolTip(*dxTreeSourceFileInfo);
    for (const auto& [column, width] : ColumnWidths)
        dxTreeSourceFileInfo->header()->resizeSection(column, width);
}

void TFrmMainForm::SizeEstimateArrived() {
    m_gridToolTip->Refresh();
}

void TFrmMainForm::BuildListButtons(QWidget* client) {
    btnOpenFile = CommandButton(client, "btnOpenFile", ButtonArt::Command, "Add Files...", "Ctrl + O",
                                &TFrmMainForm::btnOpenFileClick);
    btnOpenFile->setGeometry(Layout::btnOpenFile);
    btnAddFolder = CommandButton(client, "btnAddFolder", ButtonArt::Command, "Add Folder...", "Ctrl + D",
                                 &TFrmMainForm::btnAddFolderClick);
    btnAddFolder->setGeometry(Layout::btnAddFolder);
    btnRemoveFile = CommandButton(client, "btnRemoveFile", ButtonArt::HalfCommand, "Remove", "Ctrl + R",
                                  &TFrmMainForm::btnRemoveFileClick);
    btnRemoveFile->setGeometry(Layout::btnRemoveFile);
    btnClearFile = CommandButton(client, "btnClearFile", ButtonArt::HalfCommand, "Clear", "Ctrl + L",
                                 &TFrmMainForm::btnClearFileClick);
    btnClearFile->setGeometry(Layout::btnClearFile);
    btnConvert = CommandButton(client, "btnConvert", ButtonArt::Convert, "Convert", "Ctrl + S",
                               &TFrmMainForm::btnConvertClick);
    btnConvert->setGeometry(Layout::btnConvert);
}

void TFrmMainForm::BuildProductButtons(QWidget* client) {
    btnHomePage = CommandButton(client, "btnHomePage", ButtonArt::HomePage, "Home page", "Home page",
                                &TFrmMainForm::ActSysHomePageExecute);
    btnHomePage->setGeometry(Layout::btnHomePage);
    btnEMail = CommandButton(client, "btnEMail", ButtonArt::EMail, "E-mail", "E-mail",
                             &TFrmMainForm::ActSysEmailExecute);
    btnEMail->setGeometry(Layout::btnEMail);
    btnAbout = CommandButton(client, "btnAbout", ButtonArt::About, "About", "About",
                             &TFrmMainForm::ActSysAboutExecute);
    btnAbout->setGeometry(Layout::btnAbout);
    btnHelp = CommandButton(client, "btnHelp", ButtonArt::Help, "Help", "Help (F1)",
                            &TFrmMainForm::ActSysHelpExecute);
    btnHelp->setGeometry(Layout::btnHelp);
    btnHelp->setToolTip(QString()); // the hint "Help (F1)" is not displayed
}

void TFrmMainForm::ShowOutputType() {
    cbbProfile->setEnabled(!CopiesStreams(m_options));
}

void TFrmMainForm::SetTitleText(const QString& text) {
    setWindowTitle(text);
    setAccessibleName(text);
    lblTitle->setText(text);
    lblTitle->setAccessibleName(text);
}

BitmapButton* TFrmMainForm::CommandButton(QWidget* parent, const char* name, ButtonArt art, const char* text,
                                          const char* hint, void (TFrmMainForm::*click)()) {
    BitmapButton* button =
        MakeBitmapButton(parent, name, art, QString::fromLatin1(text), QString::fromLatin1(hint));
    connect(button, &BitmapButton::clicked, this,
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
    RunIfSet(m_convertBatch);
}

void TFrmMainForm::btnOpenFileClick() {
    RunIfSet(m_sourceListCommands.openFiles);
}

void TFrmMainForm::btnAddFolderClick() {
    RunIfSet(m_sourceListCommands.addFolder);
}

void TFrmMainForm::btnRemoveFileClick() {
    RunIfSet(m_sourceListCommands.removeFiles);
}

void TFrmMainForm::btnClearFileClick() {
    RunIfSet(m_sourceListCommands.clearFiles);
}

void TFrmMainForm::ActSysHomePageExecute() {
    RunIfSet(m_productCommands.homePage);
}

void TFrmMainForm::ActSysEmailExecute() {
    RunIfSet(m_productCommands.email);
}

void TFrmMainForm::ActSysAboutExecute() {
    RunIfSet(m_productCommands.about);
}

void TFrmMainForm::ActSysHelpExecute() {
    RunIfSet(m_productCommands.help);
}

void TFrmMainForm::btnPlayClick() {
    RunIfSet(m_previewCommands.play);
}

void TFrmMainForm::btnPauseClick() {
    RunIfSet(m_previewCommands.pause);
}

void TFrmMainForm::btnStopClick() {
    RunIfSet(m_previewCommands.stop);
}

void TFrmMainForm::SetPreview(QWidget* panel, PreviewCommands commands) {
    m_previewCommands = std::move(commands);
    // The panel fills the preview's place on the background.
    panel->setParent(pnlPreviewHost);
    panel->setGeometry(pnlPreviewHost->rect());
    panel->show();
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

void TFrmMainForm::btnWindowMinimizeClick() {
    showMinimized();
}

void TFrmMainForm::btnWindowMaximizeClick() {
    if (isMaximized())
        showNormal();
    else
        showMaximized();
}

MainWindowPlacement TFrmMainForm::Placement() const {
    const QRect normal = isMaximized() && normalGeometry().isValid() ? normalGeometry() : geometry();
    MainWindowPlacement placement{normal.x(), normal.y(), normal.width(), normal.height(), isMaximized(), {}};
    placement.columnWidths = dxTreeSourceFileInfo->ColumnWidthsToKeep();
    return placement;
}

void TFrmMainForm::RestorePlacement(const MainWindowPlacement& placement) {
    const QRect place(placement.left, placement.top, std::max(placement.width, minimumWidth()),
                      std::max(placement.height, minimumHeight()));
    if (QGuiApplication::screenAt(place.center()) != nullptr)
        setGeometry(place);
    else
        resize(place.size());
    QHeaderView* header = dxTreeSourceFileInfo->header();
    if (static_cast<int>(placement.columnWidths.size()) == header->count())
        for (int column = 0; column < header->count(); ++column)
            header->resizeSection(column, placement.columnWidths[static_cast<std::size_t>(column)]);
}

void TFrmMainForm::btnWindowCloseClick() {
    close();
}

void TFrmMainForm::SetShortcutCommand(ShortcutCommand command, std::function<void()> handler) {
    m_shortcutCommands.at(static_cast<std::size_t>(command)) = std::move(handler);
}

bool TFrmMainForm::HandleShortcut(int key, Qt::KeyboardModifiers modifiers) {
    const std::optional<ShortcutCommand> command = MatchShortcut(VirtualKeyOf(key), HeldModifiers(modifiers));
    if (!command)
        return false;
    const std::function<void()>& handler = m_shortcutCommands.at(static_cast<std::size_t>(*command));
    RivamoApplication::RunCommand([&handler] { RunIfSet(handler); });
    return true;
}

// Every key press reaches the window first (through its platform window) and then, unconsumed,
// the focused control. A disabled window takes no commands.
bool TFrmMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == windowHandle() && event->type() == QEvent::KeyPress && isEnabled()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!HandleShortcut(key->key(), key->modifiers()) && m_previewCommands.keys &&
            m_previewCommands.keys(key->key(), key->modifiers()))
            return true;
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
        rzfrmshpfrmConverter->ApplyOutline();
        RivamoApplication::RunCommand(m_firstShowHandler);
    }
    QMainWindow::showEvent(event);
}

void TFrmMainForm::closeEvent(QCloseEvent* event) {
    bool close = true;
    RivamoApplication::RunCommand([&] {
        if (m_closeHandler)
            close = m_closeHandler();
    });
    if (close)
        event->accept();
    else
        event->ignore();
}

// The title shows the window's caption, whoever sets it; the maximize button shows what it does next.
void TFrmMainForm::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowTitleChange && lblTitle != nullptr)
        lblTitle->setText(windowTitle());
    if (event->type() == QEvent::WindowStateChange && btnWindowMaximize != nullptr)
        ShowMaximizeButton();
    QMainWindow::changeEvent(event);
}
