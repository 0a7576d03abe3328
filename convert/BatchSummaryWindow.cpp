#include "convert/BatchSummaryWindow.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "support/Text.h"
#include "support/WindowCommand.h"

namespace {

constexpr const char* Caption = "Conversion summary";
constexpr const char* FilesCaption = "Files of the batch:";
constexpr QSize InitialSize(640, 320);
constexpr int MillisecondsPerSecond = 1000;

QString Text(const std::string& text) {
    return QString::fromLocal8Bit(text);
}

QPushButton* Button(const char* text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(QString::fromLatin1(text), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(button->text());
    button->setAutoDefault(false);
    return button;
}

QStringList RowTexts(const RowResult& row) {
    if (row.outcome == RowOutcome::Converted)
        return {Text(row.source), QStringLiteral("Converted"), Text(row.output),
                Text(SizeText(row.sizeBytes)),
                Text(SecondsToTimeText((row.lengthMs + MillisecondsPerSecond / 2) / MillisecondsPerSecond))};
    const char* result = row.outcome == RowOutcome::Failed ? "Failed" : "Not converted";
    return {Text(row.source), QString::fromLatin1(result), Text(row.reason), QString(), QString()};
}

int CountOf(const BatchSummary& summary, RowOutcome outcome) {
    int count = 0;
    for (const RowResult& row : summary.rows)
        count += row.outcome == outcome ? 1 : 0;
    return count;
}

} // namespace

TfrmBatchSummary::TfrmBatchSummary(Shell& shell, QWidget* parent) : QDialog(parent), m_shell(shell) {
    setWindowTitle(QString::fromLatin1(Caption));
    setAccessibleName(windowTitle());
    setModal(false);
    BuildControls();
    resize(InitialSize);
}

void TfrmBatchSummary::BuildControls() {
    lblCounts = new QLabel(this);
    lblCounts->setObjectName("lblCounts");
    lblNote = new QLabel(this);
    lblNote->setObjectName("lblNote");
    lblFiles = new QLabel(QString::fromLatin1(FilesCaption), this);
    lstResults = new QTreeWidget(this);
    lstResults->setObjectName("lstResults");
    lstResults->setAccessibleName(lblFiles->text());
    lstResults->setRootIsDecorated(false);
    lstResults->setHeaderLabels({QStringLiteral("File"), QStringLiteral("Result"),
                                 QStringLiteral("Output or reason"), QStringLiteral("Size"),
                                 QStringLiteral("Length")});
    lblFiles->setBuddy(lstResults);
    btnOpenFolder = Button("Open output folder", "btnOpenFolder", this);
    btnClose = Button("Close", "btnClose", this);
    connect(btnOpenFolder, &QPushButton::clicked, this,
            [this] { RunWindowCommand([this] { m_shell.OpenFolder(m_outputFolder); }); });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::hide);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnOpenFolder);
    buttons->addStretch(1);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblCounts);
    layout->addWidget(lblNote);
    layout->addWidget(lblFiles);
    layout->addWidget(lstResults, 1);
    layout->addLayout(buttons);
}

void TfrmBatchSummary::ShowSummary(const BatchSummary& summary) {
    m_outputFolder = summary.outputFolder;
    const int converted = CountOf(summary, RowOutcome::Converted);
    const int failed = CountOf(summary, RowOutcome::Failed);
    const int skipped = CountOf(summary, RowOutcome::NotConverted);
    lblCounts->setText(
        QStringLiteral("%1 converted, %2 failed, %3 not converted.").arg(converted).arg(failed).arg(skipped));
    lblCounts->setAccessibleName(lblCounts->text());
    lblNote->setText(Text(summary.note));
    lblNote->setAccessibleName(lblNote->text());
    lblNote->setVisible(!summary.note.empty());
    FillRows(summary);
    show();
    raise();
    activateWindow();
}

void TfrmBatchSummary::FillRows(const BatchSummary& summary) {
    lstResults->clear();
    for (const RowResult& row : summary.rows) {
        auto* item = new QTreeWidgetItem(lstResults, RowTexts(row));
        item->setToolTip(2, item->text(2));
    }
    lstResults->header()->resizeSections(QHeaderView::ResizeToContents);
}
