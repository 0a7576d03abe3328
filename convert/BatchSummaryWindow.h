#pragma once

#include <string>

#include <QDialog>

#include "convert/BatchSummary.h"
#include "support/SystemServices.h"

class QLabel;
class QPushButton;
class QTreeWidget;

// The summary window at the end of a batch that did not convert every file: each checked row as
// converted (output, size, length) or not (why), and a button that opens the output folder. Not
// modal: the main window is usable beside it. One instance, shown again for every such batch.
class TfrmBatchSummary final : public QDialog, public BatchSummaryView {
    Q_OBJECT

public:
    explicit TfrmBatchSummary(Shell& shell, QWidget* parent = nullptr);

    void ShowSummary(const BatchSummary& summary) override;

    QLabel* lblCounts = nullptr;
    QLabel* lblNote = nullptr;
    QLabel* lblFiles = nullptr;
    QTreeWidget* lstResults = nullptr;
    QPushButton* btnOpenFolder = nullptr;
    QPushButton* btnClose = nullptr;

private:
    void BuildControls();
    void FillRows(const BatchSummary& summary);

    Shell& m_shell;
    std::string m_outputFolder;
};
