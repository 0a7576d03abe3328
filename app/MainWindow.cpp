#include "app/MainWindow.h"

#include <array>
#include <utility>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeView>
#include <QVBoxLayout>
#include <QWindow>

#include "app/OptionListCombo.h"
#include "app/RivamoApplication.h"
#include "convert/CustomProc.h"
#include "sources/SourceListModel.h"

namespace {

constexpr const char* InitialTitle = "Rivamo";
constexpr QSize InitialClientSize(692, 456);
constexpr QSize MinimumClientSize(600, 420);
constexpr int ConvertButtonWidth = 110;
constexpr int ConvertButtonHeight = 40;
constexpr int OutputFiletypeWidth = 297;
constexpr int ProfileWidth = 217;

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
constexpr std::array<CtrlShortcut, 2> CtrlShortcuts = {{
    {Qt::Key_S, &TFrmMainForm::btnConvertClick},
    {Qt::Key_N, &TFrmMainForm::btnConvertClick}, // the same as Ctrl+S
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
    m_outputFiletypeBinding = new OptionListCombo(m_options.cbbOutputFiletype, *cbbOutputFiletype);
    m_profileBinding = new OptionListCombo(m_options.cbbProfile, *cbbProfile);
    BindChoices();
    BindGridSelection();
    resize(InitialClientSize);
}

TFrmMainForm::~TFrmMainForm() {
    m_choices.SetObserver(nullptr);
}

void TFrmMainForm::BuildControls() {
    auto* client = new QWidget(this);
    setCentralWidget(client);

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

    auto* choicesLayout = new QGridLayout;
    choicesLayout->addWidget(lblOutputFileTypeName, 0, 0, Qt::AlignRight);
    choicesLayout->addWidget(cbbOutputFiletype, 0, 1, 1, 2);
    choicesLayout->addWidget(lblProfileSettings, 1, 0, Qt::AlignRight);
    choicesLayout->addWidget(cbbProfile, 1, 1);
    choicesLayout->addWidget(lblOutputFolderInfo, 2, 0, Qt::AlignRight);
    choicesLayout->addWidget(edtOutputFolder, 2, 1);
    auto* boxesLayout = new QGridLayout;
    boxesLayout->addWidget(chkShutdown, 0, 0);
    boxesLayout->addWidget(Label1, 0, 1);
    boxesLayout->addWidget(chkShowOutputDirectory, 1, 0);
    boxesLayout->addWidget(Label2, 1, 1);
    boxesLayout->setColumnStretch(1, 1);
    choicesLayout->addLayout(boxesLayout, 3, 0, 1, 3);
    choicesLayout->setColumnStretch(1, 1);

    // The left part of the upper half is the preview's place.
    auto* upperLayout = new QHBoxLayout;
    upperLayout->addStretch(1);
    upperLayout->addLayout(choicesLayout);

    dxTreeSourceFileInfo = new QTreeView(client);
    dxTreeSourceFileInfo->setObjectName("dxTreeSourceFileInfo");
    m_sourceModel = new SourceListModel(m_sources, this);
    dxTreeSourceFileInfo->setModel(m_sourceModel);
    dxTreeSourceFileInfo->setRootIsDecorated(false);
    dxTreeSourceFileInfo->setItemsExpandable(false);
    dxTreeSourceFileInfo->setUniformRowHeights(true);
    dxTreeSourceFileInfo->setAllColumnsShowFocus(true);
    dxTreeSourceFileInfo->setSelectionMode(QAbstractItemView::ExtendedSelection);
    dxTreeSourceFileInfo->setSelectionBehavior(QAbstractItemView::SelectRows);
    dxTreeSourceFileInfo->header()->setSectionsMovable(true);
    dxTreeSourceFileInfo->header()->setStretchLastSection(true);
    for (const auto& [column, width] : ColumnWidths)
        dxTreeSourceFileInfo->header()->resizeSection(column, width);

    btnConvert = new QPushButton(QStringLiteral("Convert"), client);
    btnConvert->setObjectName("btnConvert");
    btnConvert->setToolTip(QStringLiteral("Ctrl + S"));
    btnConvert->setFixedSize(ConvertButtonWidth, ConvertButtonHeight);
    // Keys reach the focused control; the Convert button is reached through Ctrl+S and a click.
    btnConvert->setAutoDefault(false);
    connect(btnConvert, &QPushButton::clicked, this,
            [this] { RivamoApplication::RunCommand([this] { btnConvertClick(); }); });

    auto* lowerLayout = new QHBoxLayout;
    lowerLayout->addStretch(1);
    lowerLayout->addWidget(btnConvert);

    auto* clientLayout = new QVBoxLayout(client);
    clientLayout->addLayout(upperLayout);
    clientLayout->addWidget(dxTreeSourceFileInfo, 1);
    clientLayout->addLayout(lowerLayout);
    client->setMinimumSize(MinimumClientSize);
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

void TFrmMainForm::BindGridSelection() {
    QItemSelectionModel* selection = dxTreeSourceFileInfo->selectionModel();
    connect(selection, &QItemSelectionModel::selectionChanged, this, [this] { TakeGridSelection(); });
    connect(selection, &QItemSelectionModel::currentRowChanged, this, [this] { TakeGridSelection(); });
    connect(m_sourceModel, &SourceListModel::listSelectionChanged, this, [this] { ShowListSelection(); });
    ShowListSelection();
}

// The grid's selection and focused row live in the source list; the view copies them both ways.
void TFrmMainForm::TakeGridSelection() {
    if (m_syncingSelection)
        return;
    m_syncingSelection = true;
    const QItemSelectionModel* selection = dxTreeSourceFileInfo->selectionModel();
    for (std::size_t row = 0; row < m_sources.RowCount(); ++row)
        m_sources.SetSelected(row, selection->isRowSelected(static_cast<int>(row), {}));
    const QModelIndex current = selection->currentIndex();
    if (current.isValid() && static_cast<std::size_t>(current.row()) < m_sources.RowCount())
        m_sources.SetFocusedRow(static_cast<std::size_t>(current.row()));
    else
        m_sources.SetFocusedRow(std::nullopt);
    m_syncingSelection = false;
}

void TFrmMainForm::ShowListSelection() {
    if (m_syncingSelection)
        return;
    m_syncingSelection = true;
    QItemSelection rows;
    const int lastColumn = m_sourceModel->columnCount() - 1;
    for (const std::size_t row : m_sources.SelectedRows()) {
        const int r = static_cast<int>(row);
        rows.select(m_sourceModel->index(r, 0), m_sourceModel->index(r, lastColumn));
    }
    QItemSelectionModel* selection = dxTreeSourceFileInfo->selectionModel();
    selection->select(rows, QItemSelectionModel::ClearAndSelect);
    const auto focused = m_sources.FocusedRow();
    const QModelIndex current = focused ? m_sourceModel->index(static_cast<int>(*focused), 0) : QModelIndex();
    selection->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    m_syncingSelection = false;
}

void TFrmMainForm::btnConvertClick() {
    m_proc.FilesDone = 0;
    if (m_convertBatch)
        m_convertBatch();
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
