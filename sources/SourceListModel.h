#pragma once

#include <functional>
#include <optional>
#include <string>

#include <QAbstractTableModel>

#include "sources/CopyCutGuide.h"
#include "sources/SourceList.h"

// The grid dxTreeSourceFileInfo's view of the source list: one row per SourceItem, the seven
// columns with their captions. The file name column shows the file's name, with its full path (the
// cell's text, also its edit value) in the tooltip and, when pictures are given, a small picture
// of the file at the row's start time. The check column shows "True"/"False" as a check box and writes
// the text back when the user toggles it; the start and end times are edited as text. The model
// follows the list's change notifications.
class SourceThumbnails;

class SourceListModel final : public QAbstractTableModel, private SourceListObserver {
    Q_OBJECT

public:
    explicit SourceListModel(SourceList& list, QObject* parent = nullptr);
    ~SourceListModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The tooltip of a row's cut time (the projected output size); the cell's text when not set.
    void SetCutTimeToolTip(std::function<std::string(std::size_t row)> toolTip) {
        m_cutTimeToolTip = std::move(toolTip);
    }

    // What a row's start cell shows instead of its text, with its tooltip: the start that a cut
    // without re-encoding really has. None: the text. Editing always shows the text.
    void SetStartTimeShown(std::function<std::optional<CopyCutGuide::ShownStart>(std::size_t row)> shown) {
        m_startTimeShown = std::move(shown);
    }
    // What the start cells show may have changed: the views read them again.
    void StartTimesChanged();

    // The pictures shown in the file name column; null for none. Not owned.
    void SetThumbnails(SourceThumbnails* thumbnails);

signals:
    // The list's selection or focused row changed (not through this model).
    void listSelectionChanged();

private:
    void RowsInserted(std::size_t first, std::size_t count) override;
    void RowsRemoved(std::size_t first, std::size_t count) override;
    void RowsMoved() override;
    void CellChanged(std::size_t row, std::size_t column) override;
    void SelectionChanged() override;

    bool HasRow(int row) const;
    QVariant FileNameData(std::size_t row, int role) const;
    void ThumbnailReady(const QString& path);

    SourceList& m_list;
    std::function<std::string(std::size_t row)> m_cutTimeToolTip;
    std::function<std::optional<CopyCutGuide::ShownStart>(std::size_t row)> m_startTimeShown;
    SourceThumbnails* m_thumbnails = nullptr;
    // The row count the views have been told about. The list reports a change after making it,
    // so during a begin/end pair the views still see the old count.
    int m_shownRows = 0;
};
