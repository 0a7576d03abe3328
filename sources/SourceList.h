#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The columns of one source-list row, by index.
enum SourceColumn : std::size_t {
    colCheck = 0,     // "True" or "False"
    colFileName = 1,  // the full path as it was handed in
    colFileSize = 2,  // SizeText of the byte count
    colDuration = 3,  // HH:MM:SS
    colStartTime = 4, // HH:MM:SS
    colEndTime = 5,   // HH:MM:SS
    colCutTime = 6,   // HH:MM:SS, end minus start
};
inline constexpr std::size_t SourceColumnCount = 7;

inline constexpr const char* CheckedText = "True";
inline constexpr const char* UncheckedText = "False";
// The duration cell of a row whose file is still being measured.
inline constexpr const char* MeasuringText = "measuring\u2026";

// One row of the source list: seven text cells plus the grid's per-row selection flag.
struct SourceItem {
    std::array<std::string, SourceColumnCount> cells;
    bool selected = false;
};

// Told about every change, so a view can follow the rows it shows.
class SourceListObserver {
public:
    virtual ~SourceListObserver() = default;
    virtual void RowsInserted(std::size_t first, std::size_t count) = 0;
    virtual void RowsRemoved(std::size_t first, std::size_t count) = 0;
    virtual void CellChanged(std::size_t row, std::size_t column) = 0;
    virtual void SelectionChanged() = 0;
    // The rows were put in another order; the count is the same.
    virtual void RowsMoved() {}
};

// The rows of the grid dxTreeSourceFileInfo, in the order they were added. The grid is the store:
// every value lives as the text of a cell, read and written by column index.
class SourceList {
public:
    std::size_t RowCount() const { return m_rows.size(); }
    bool IsEmpty() const { return m_rows.empty(); }
    const SourceItem& Row(std::size_t row) const { return m_rows.at(row); }
    const std::string& Cell(std::size_t row, std::size_t column) const;
    void SetCell(std::size_t row, std::size_t column, const std::string& text);

    // Appends an empty row (all cells empty, not selected) and returns its index.
    std::size_t AppendRow();
    // Appends the rows in order with one notification, so many rows cost the views one update.
    void AppendRows(std::vector<SourceItem> rows);
    void DeleteRow(std::size_t row);
    void Clear();
    // Moves the selected rows, keeping their order, to stand before row `destination` of the list
    // as it is now (RowCount() or more: at the end). The focused row and the selection go with
    // their rows.
    void MoveSelectedRows(std::size_t destination);

    bool IsSelected(std::size_t row) const { return m_rows.at(row).selected; }
    void SetSelected(std::size_t row, bool selected);
    void SelectOnly(std::size_t row);
    std::vector<std::size_t> SelectedRows() const;
    std::optional<std::size_t> FocusedRow() const { return m_focused; }
    void SetFocusedRow(std::optional<std::size_t> row);

    // One observer at most (the grid's model); null to detach.
    void SetObserver(SourceListObserver* observer) { m_observer = observer; }
    // Called after every change of the rows or their cells (not of the selection), so the rows can
    // be kept elsewhere; empty to stop.
    void SetContentHandler(std::function<void()> changed) { m_contentChanged = std::move(changed); }

private:
    std::vector<SourceItem> m_rows;
    std::optional<std::size_t> m_focused;
    void ContentChanged() const;

    SourceListObserver* m_observer = nullptr;
    std::function<void()> m_contentChanged;
};
