#include "sources/SourceList.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <vector>

const std::string& SourceList::Cell(std::size_t row, std::size_t column) const {
    return m_rows.at(row).cells.at(column);
}

void SourceList::SetCell(std::size_t row, std::size_t column, const std::string& text) {
    m_rows.at(row).cells.at(column) = text;
    if (m_observer)
        m_observer->CellChanged(row, column);
    ContentChanged();
}

void SourceList::ContentChanged() const {
    if (m_contentChanged)
        m_contentChanged();
}

std::size_t SourceList::AppendRow() {
    m_rows.emplace_back();
    const std::size_t row = m_rows.size() - 1;
    if (m_observer)
        m_observer->RowsInserted(row, 1);
    ContentChanged();
    return row;
}

void SourceList::AppendRows(std::vector<SourceItem> rows) {
    if (rows.empty())
        return;
    const std::size_t first = m_rows.size();
    m_rows.insert(m_rows.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    if (m_observer)
        m_observer->RowsInserted(first, rows.size());
    ContentChanged();
}

void SourceList::DeleteRow(std::size_t row) {
    if (row >= m_rows.size())
        throw std::out_of_range("SourceList::DeleteRow: no such row");
    m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(row));
    if (m_focused) {
        if (*m_focused == row)
            m_focused.reset();
        else if (*m_focused > row)
            --*m_focused;
    }
    if (m_observer)
        m_observer->RowsRemoved(row, 1);
    ContentChanged();
}

void SourceList::MoveSelectedRows(std::size_t destination) {
    destination = std::min(destination, m_rows.size());
    // The new order as old row numbers: unselected rows above the destination, the selected
    // rows, the unselected rows from the destination on.
    std::vector<std::size_t> order;
    for (std::size_t row = 0; row < destination; ++row)
        if (!m_rows[row].selected)
            order.push_back(row);
    for (std::size_t row = 0; row < m_rows.size(); ++row)
        if (m_rows[row].selected)
            order.push_back(row);
    for (std::size_t row = destination; row < m_rows.size(); ++row)
        if (!m_rows[row].selected)
            order.push_back(row);
    if (std::is_sorted(order.begin(), order.end()))
        return;
    std::vector<SourceItem> moved;
    moved.reserve(m_rows.size());
    for (const std::size_t row : order)
        moved.push_back(std::move(m_rows[row]));
    m_rows = std::move(moved);
    if (m_focused)
        m_focused =
            static_cast<std::size_t>(std::find(order.begin(), order.end(), *m_focused) - order.begin());
    if (m_observer)
        m_observer->RowsMoved();
    ContentChanged();
}

void SourceList::Clear() {
    const std::size_t count = m_rows.size();
    m_rows.clear();
    m_focused.reset();
    if (m_observer && count > 0)
        m_observer->RowsRemoved(0, count);
    ContentChanged();
}

void SourceList::SetSelected(std::size_t row, bool selected) {
    if (m_rows.at(row).selected == selected)
        return;
    m_rows[row].selected = selected;
    if (m_observer)
        m_observer->SelectionChanged();
}

void SourceList::SelectOnly(std::size_t row) {
    (void)m_rows.at(row);
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        m_rows[i].selected = (i == row);
    m_focused = row;
    if (m_observer)
        m_observer->SelectionChanged();
}

std::vector<std::size_t> SourceList::SelectedRows() const {
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].selected)
            rows.push_back(i);
    return rows;
}

void SourceList::SetFocusedRow(std::optional<std::size_t> row) {
    if (row && *row >= m_rows.size())
        throw std::out_of_range("SourceList::SetFocusedRow: no such row");
    m_focused = row;
    if (m_observer)
        m_observer->SelectionChanged();
}
