#pragma once

#include <vector>

#include <QPoint>
#include <QTreeView>

class QItemSelection;
class SourceList;
class TimeEditDelegate;

// The grid dxTreeSourceFileInfo: a view over a model whose rows are the source list's rows (model
// row n is list row n) and whose seven columns are the list's columns.
//
// Rows are selected with the usual extended selection; the view writes its selection and current
// row into the SourceList, and follows the list when the logic selects rows (FollowListSelection;
// a model signal listSelectionChanged() is connected to it by setModel).
// A single click on an editable cell opens its editor; the two time columns get a time editor, the
// start time's writing every change to the cell (and reporting it as Edited) while it stays open.
// Columns can be resized and reordered; the file name column takes the grid's spare width (it is
// never narrower than the width last chosen for it), so a wider grid shows longer names. Dragging the mouse
// on rows drags them; released on the grid they move to where they were released, so the batch takes them in
// the order shown; released anywhere else they are removed (RowsDraggedOut).
class SourceGridView final : public QTreeView {
    Q_OBJECT

public:
    // Private drag type of the grid's own rows.
    static constexpr const char* RowDragMimeType = "application/x-rivamo-source-rows";

    explicit SourceGridView(QWidget* parent = nullptr);

    // The list whose selection and focused row the view keeps; null to detach.
    void SetSourceList(SourceList* rows);
    void setModel(QAbstractItemModel* model) override;

    // The widths of the columns to remember, by column: the file name column's as chosen (by the
    // user, or the width given to it), not as widened to fill the grid.
    std::vector<int> ColumnWidthsToKeep() const;

    // dxTreeSourceFileInfoEndDrag: a drag of rows ended on the target (null: nowhere or outside
    // the program). Anything but the grid itself removes the dragged rows.
    void EndDrag(QObject* target);

public slots:
    // Shows the list's selected rows and focused row.
    void FollowListSelection();

signals:
    // dxTreeSourceFileInfoKeyDown, before the grid handles the key.
    void KeyDown(bool deleteKey);
    // dxTreeSourceFileInfoKeyUp.
    void KeyUp();
    // actDxTreeListOnClickExecute: a click on the grid, after the selection followed it.
    void Clicked();
    // dxTreeSourceFileInfoEdited: an in-place edit ended (committed or not), or the start time's
    // editor wrote a change.
    void Edited();
    // Rows were dragged off the grid: remove the selected rows (btnRemoveFileClick).
    void RowsDraggedOut();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void updateGeometries() override;

protected slots:
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void ConfigureGrid();
    void WatchModelChanges(QAbstractItemModel* model);
    void ColumnResized(int column, int newWidth);
    void FitFileNameColumn();
    void WidenStartTimeColumn();
    void WriteSelectionToList();
    bool IsGrid(const QObject* object) const;
    static bool IsRowDrag(const QMimeData* data);

    SourceList* m_rows = nullptr;
    TimeEditDelegate* m_startTimeDelegate = nullptr;
    TimeEditDelegate* m_endTimeDelegate = nullptr;
    // While the model inserts, removes or resets rows, the view's selection moves by itself; the
    // list already holds its own selection then.
    int m_modelChangeDepth = 0;
    // Set while the view shows the list's selection or writes its own into the list.
    bool m_syncing = false;
    QPoint m_pressPosition;
    QPersistentModelIndex m_pressedIndex;
    bool m_dragStarted = false;
    bool m_droppedOnGrid = false;
    // The file name column's width as last chosen; it shows wider when the grid has room to spare.
    int m_fileNameWidth = 0;
    // Set while the view widens or narrows the file name column itself.
    bool m_fitting = false;
};
