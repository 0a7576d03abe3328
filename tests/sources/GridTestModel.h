#pragma once

#include <QAbstractTableModel>

#include "sources/SourceList.h"

// A table model over a SourceList, as the grid expects one: row n is list row n, the check column
// as a check box, the two time columns editable as text, list selection changes announced.
class GridTestModel final : public QAbstractTableModel, private SourceListObserver {
    Q_OBJECT

public:
    explicit GridTestModel(SourceList& list) : m_list(list), m_shown(static_cast<int>(list.RowCount())) {
        m_list.SetObserver(this);
    }
    ~GridTestModel() override { m_list.SetObserver(nullptr); }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : m_shown; }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(SourceColumnCount);
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || static_cast<std::size_t>(index.row()) >= m_list.RowCount())
            return {};
        const std::string& text = m_list.Cell(index.row(), index.column());
        if (index.column() == colCheck)
            return role == Qt::CheckStateRole ? QVariant(text == CheckedText ? Qt::Checked : Qt::Unchecked)
                                              : QVariant();
        return role == Qt::DisplayRole || role == Qt::EditRole ? QVariant(QString::fromStdString(text))
                                                               : QVariant();
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (index.column() == colCheck && role == Qt::CheckStateRole) {
            m_list.SetCell(index.row(), colCheck,
                           value.value<Qt::CheckState>() == Qt::Checked ? CheckedText : UncheckedText);
            return true;
        }
        if ((index.column() == colStartTime || index.column() == colEndTime) && role == Qt::EditRole) {
            m_list.SetCell(index.row(), index.column(), value.toString().toStdString());
            return true;
        }
        return false;
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
        if (index.column() == colCheck)
            flags |= Qt::ItemIsUserCheckable;
        if (index.column() == colStartTime || index.column() == colEndTime)
            flags |= Qt::ItemIsEditable;
        return flags;
    }

signals:
    void listSelectionChanged();

private:
    void RowsInserted(std::size_t first, std::size_t count) override {
        beginInsertRows({}, static_cast<int>(first), static_cast<int>(first + count - 1));
        m_shown += static_cast<int>(count);
        endInsertRows();
    }
    void RowsRemoved(std::size_t first, std::size_t count) override {
        beginRemoveRows({}, static_cast<int>(first), static_cast<int>(first + count - 1));
        m_shown -= static_cast<int>(count);
        endRemoveRows();
    }
    void CellChanged(std::size_t row, std::size_t column) override {
        const QModelIndex cell = index(static_cast<int>(row), static_cast<int>(column));
        emit dataChanged(cell, cell);
    }
    void SelectionChanged() override { emit listSelectionChanged(); }

    SourceList& m_list;
    int m_shown;
};
