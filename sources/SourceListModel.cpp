#include "sources/SourceListModel.h"

#include <array>

#include <QFileInfo>

#include "sources/SourceThumbnails.h"
#include "support/Text.h"

namespace {

const std::array<const char*, SourceColumnCount> ColumnCaptions = {
    "", "File Name", "File Size", "Duration", "Start Time", "End Time", "Cut Time"};

int ToInt(std::size_t value) {
    return static_cast<int>(value);
}

// The start and end times are typed into the grid; the other times follow from them.
bool IsTimeColumn(int column) {
    return column == ToInt(colStartTime) || column == ToInt(colEndTime);
}

} // namespace

SourceListModel::SourceListModel(SourceList& list, QObject* parent)
    : QAbstractTableModel(parent), m_list(list), m_shownRows(ToInt(list.RowCount())) {
    m_list.SetObserver(this);
}

SourceListModel::~SourceListModel() {
    m_list.SetObserver(nullptr);
}

int SourceListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_shownRows;
}

int SourceListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ToInt(SourceColumnCount);
}

bool SourceListModel::HasRow(int row) const {
    return row >= 0 && static_cast<std::size_t>(row) < m_list.RowCount();
}

QVariant SourceListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !HasRow(index.row()))
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    const auto column = static_cast<std::size_t>(index.column());
    const std::string& text = m_list.Cell(row, column);
    if (column == colCheck) {
        if (role == Qt::CheckStateRole)
            return text == CheckedText ? Qt::Checked : Qt::Unchecked;
        if (role == Qt::EditRole)
            return QString::fromLocal8Bit(text);
        return {};
    }
    if (column == colFileName)
        return FileNameData(row, role);
    if (role == Qt::ToolTipRole && column == colCutTime && m_cutTimeToolTip)
        return QString::fromLocal8Bit(m_cutTimeToolTip(row));
    if ((role == Qt::DisplayRole || role == Qt::ToolTipRole) && column == colStartTime && m_startTimeShown)
        if (const auto shown = m_startTimeShown(row))
            return QString::fromLocal8Bit(role == Qt::DisplayRole ? shown->text : shown->toolTip);
    if (role == Qt::DisplayRole || role == Qt::EditRole || role == Qt::ToolTipRole)
        return QString::fromLocal8Bit(text);
    return {};
}

QVariant SourceListModel::FileNameData(std::size_t row, int role) const {
    const std::string& path = m_list.Cell(row, colFileName);
    switch (role) {
    case Qt::DisplayRole:
        return QFileInfo(QString::fromLocal8Bit(path)).fileName();
    case Qt::EditRole:
    case Qt::ToolTipRole:
        return QString::fromLocal8Bit(path);
    case Qt::DecorationRole: {
        if (!m_thumbnails)
            return {};
        const int64_t start = TryTimeTextToSeconds(m_list.Cell(row, colStartTime)).value_or(0);
        const QImage picture = m_thumbnails->Thumbnail(path, start);
        return picture.isNull() ? QVariant() : QVariant(picture);
    }
    default:
        return {};
    }
}

void SourceListModel::StartTimesChanged() {
    if (m_shownRows > 0)
        emit dataChanged(index(0, ToInt(colStartTime)), index(m_shownRows - 1, ToInt(colStartTime)),
                         {Qt::DisplayRole, Qt::ToolTipRole});
}

void SourceListModel::SetThumbnails(SourceThumbnails* thumbnails) {
    if (m_thumbnails)
        disconnect(m_thumbnails, nullptr, this, nullptr);
    m_thumbnails = thumbnails;
    if (m_thumbnails)
        connect(m_thumbnails, &SourceThumbnails::Ready, this, &SourceListModel::ThumbnailReady);
}

void SourceListModel::ThumbnailReady(const QString& path) {
    const std::string key = path.toLocal8Bit().toStdString();
    for (std::size_t row = 0; row < m_list.RowCount() && ToInt(row) < m_shownRows; ++row)
        if (m_list.Cell(row, colFileName) == key) {
            const QModelIndex cell = index(ToInt(row), ToInt(colFileName));
            emit dataChanged(cell, cell, {Qt::DecorationRole});
        }
}

// The list tells this model about every change it makes, which repaints the cell.
bool SourceListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || !HasRow(index.row()))
        return false;
    const auto row = static_cast<std::size_t>(index.row());
    if (index.column() == colCheck && role == Qt::CheckStateRole) {
        const bool checked = value.value<Qt::CheckState>() == Qt::Checked;
        m_list.SetCell(row, colCheck, checked ? CheckedText : UncheckedText);
        return true;
    }
    if (IsTimeColumn(index.column()) && role == Qt::EditRole) {
        m_list.SetCell(row, static_cast<std::size_t>(index.column()),
                       value.toString().toLocal8Bit().toStdString());
        return true;
    }
    return false;
}

Qt::ItemFlags SourceListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == colCheck)
        flags |= Qt::ItemIsUserCheckable;
    // A row's times are checked against its duration, so they wait for it to be measured.
    if (IsTimeColumn(index.column()) && HasRow(index.row()) &&
        m_list.Cell(static_cast<std::size_t>(index.row()), colDuration) != MeasuringText)
        flags |= Qt::ItemIsEditable;
    return flags;
}

QVariant SourceListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ToInt(SourceColumnCount))
        return {};
    return QString::fromLatin1(ColumnCaptions[static_cast<std::size_t>(section)]);
}

void SourceListModel::RowsInserted(std::size_t first, std::size_t count) {
    if (count == 0)
        return;
    beginInsertRows({}, ToInt(first), ToInt(first + count - 1));
    m_shownRows += ToInt(count);
    endInsertRows();
}

void SourceListModel::RowsRemoved(std::size_t first, std::size_t count) {
    if (count == 0)
        return;
    beginRemoveRows({}, ToInt(first), ToInt(first + count - 1));
    m_shownRows -= ToInt(count);
    endRemoveRows();
}

// The list has its rows in the new order already; the view reads them all again and shows the
// selection that moved with them.
void SourceListModel::RowsMoved() {
    beginResetModel();
    endResetModel();
    emit listSelectionChanged();
}

void SourceListModel::CellChanged(std::size_t row, std::size_t column) {
    const QModelIndex cell = index(ToInt(row), ToInt(column));
    emit dataChanged(cell, cell);
    // The picture shows the file at its start time.
    if (column == colStartTime && m_thumbnails) {
        const QModelIndex name = index(ToInt(row), ToInt(colFileName));
        emit dataChanged(name, name, {Qt::DecorationRole});
    }
}

void SourceListModel::SelectionChanged() {
    emit listSelectionChanged();
}
