#include "sources/SourceGridView.h"

#include <algorithm>
#include <optional>

#include <QApplication>
#include <QDrag>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScopedValueRollback>

#include "sources/SourceList.h"
#include "sources/TimeEditDelegate.h"

SourceGridView::SourceGridView(QWidget* parent) : QTreeView(parent) {
    setObjectName("dxTreeSourceFileInfo");
    ConfigureGrid();
}

void SourceGridView::ConfigureGrid() {
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    // A single click opens an editor (mouseReleaseEvent); F2 does from the keyboard.
    setEditTriggers(QAbstractItemView::EditKeyPressed);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(false);

    header()->setSectionsMovable(true);
    header()->setFirstSectionMovable(true);
    header()->setSectionResizeMode(QHeaderView::Interactive);
    header()->setStretchLastSection(false);
    connect(header(), &QHeaderView::sectionResized, this,
            [this](int column, int, int newWidth) { ColumnResized(column, newWidth); });

    m_startTimeDelegate = new TimeEditDelegate(true, this);
    m_endTimeDelegate = new TimeEditDelegate(false, this);
    setItemDelegateForColumn(colStartTime, m_startTimeDelegate);
    setItemDelegateForColumn(colEndTime, m_endTimeDelegate);
    connect(m_startTimeDelegate, &TimeEditDelegate::ChangedWhileEditing, this, &SourceGridView::Edited);
}

void SourceGridView::ColumnResized(int column, int newWidth) {
    if (m_fitting)
        return;
    if (column == colFileName)
        m_fileNameWidth = newWidth;
    FitFileNameColumn();
}

// The file name column fills what the other columns leave of the grid's width, and no less than
// its chosen width (the grid scrolls then).
void SourceGridView::FitFileNameColumn() {
    QHeaderView* columns = header();
    if (m_fitting || columns->count() <= static_cast<int>(colFileName) ||
        columns->isSectionHidden(colFileName))
        return;
    int others = 0;
    for (int column = 0; column < columns->count(); ++column)
        if (column != static_cast<int>(colFileName) && !columns->isSectionHidden(column))
            others += columns->sectionSize(column);
    const int current = columns->sectionSize(colFileName);
    const int width =
        std::max({m_fileNameWidth, viewport()->width() - others, columns->minimumSectionSize()});
    if (width == current)
        return;
    const QScopedValueRollback<bool> fitting(m_fitting, true);
    columns->resizeSection(colFileName, width);
}

void SourceGridView::updateGeometries() {
    QTreeView::updateGeometries();
    FitFileNameColumn();
}

std::vector<int> SourceGridView::ColumnWidthsToKeep() const {
    std::vector<int> widths;
    for (int column = 0; column < header()->count(); ++column)
        widths.push_back(column == colFileName ? m_fileNameWidth : header()->sectionSize(column));
    return widths;
}

void SourceGridView::SetSourceList(SourceList* rows) {
    m_rows = rows;
    FollowListSelection();
}

void SourceGridView::setModel(QAbstractItemModel* newModel) {
    if (model())
        disconnect(model(), nullptr, this, nullptr);
    // Connected before the base class connects its selection model, so the depth is raised before
    // the selection model reacts to a change of rows.
    if (newModel)
        WatchModelChanges(newModel);
    QTreeView::setModel(newModel);
    if (!newModel)
        return;
    m_fileNameWidth = header()->sectionSize(colFileName);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &SourceGridView::WriteSelectionToList);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            &SourceGridView::WriteSelectionToList);
    if (newModel->metaObject()->indexOfSignal("listSelectionChanged()") >= 0)
        connect(newModel, SIGNAL(listSelectionChanged()), this, SLOT(FollowListSelection()));
    FollowListSelection();
}

void SourceGridView::WatchModelChanges(QAbstractItemModel* newModel) {
    const auto begin = [this] { ++m_modelChangeDepth; };
    const auto end = [this] { --m_modelChangeDepth; };
    connect(newModel, &QAbstractItemModel::rowsAboutToBeInserted, this, begin);
    connect(newModel, &QAbstractItemModel::rowsInserted, this, end);
    connect(newModel, &QAbstractItemModel::rowsAboutToBeRemoved, this, begin);
    connect(newModel, &QAbstractItemModel::rowsRemoved, this, end);
    connect(newModel, &QAbstractItemModel::rowsAboutToBeMoved, this, begin);
    connect(newModel, &QAbstractItemModel::rowsMoved, this, end);
    connect(newModel, &QAbstractItemModel::modelAboutToBeReset, this, begin);
    connect(newModel, &QAbstractItemModel::modelReset, this, end);
    connect(newModel, &QAbstractItemModel::layoutAboutToBeChanged, this, begin);
    connect(newModel, &QAbstractItemModel::layoutChanged, this, end);
    connect(newModel, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& first, const QModelIndex& last) {
                if (first.column() <= static_cast<int>(colStartTime) &&
                    last.column() >= static_cast<int>(colStartTime))
                    WidenStartTimeColumn();
            });
}

// A start shown as the key frame a cut really starts at ("00:04:58.000 (key frame)") is longer than a
// typed time: the column grows to show it whole, and never shrinks under the user's width.
void SourceGridView::WidenStartTimeColumn() {
    const int needed = sizeHintForColumn(colStartTime);
    if (needed > header()->sectionSize(colStartTime))
        header()->resizeSection(colStartTime, needed);
}

void SourceGridView::WriteSelectionToList() {
    if (!m_rows || !model() || m_syncing || m_modelChangeDepth > 0)
        return;
    const QScopedValueRollback<bool> syncing(m_syncing, true);
    const auto shown = static_cast<std::size_t>(model()->rowCount(rootIndex()));
    const std::size_t rows = std::min(shown, m_rows->RowCount());
    for (std::size_t row = 0; row < rows; ++row)
        m_rows->SetSelected(row, selectionModel()->isRowSelected(static_cast<int>(row), rootIndex()));
    const QModelIndex current = currentIndex();
    const bool hasCurrent = current.isValid() && static_cast<std::size_t>(current.row()) < rows;
    m_rows->SetFocusedRow(hasCurrent ? std::optional<std::size_t>(current.row()) : std::nullopt);
}

void SourceGridView::FollowListSelection() {
    if (!m_rows || !model() || m_syncing)
        return;
    const QScopedValueRollback<bool> syncing(m_syncing, true);
    const int shown = model()->rowCount(rootIndex());
    const int lastColumn = model()->columnCount(rootIndex()) - 1;
    QItemSelection selection;
    for (const std::size_t row : m_rows->SelectedRows())
        if (static_cast<int>(row) < shown)
            selection.select(model()->index(static_cast<int>(row), 0, rootIndex()),
                             model()->index(static_cast<int>(row), lastColumn, rootIndex()));
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    const std::optional<std::size_t> focused = m_rows->FocusedRow();
    if (focused && static_cast<int>(*focused) < shown)
        selectionModel()->setCurrentIndex(model()->index(static_cast<int>(*focused), 0, rootIndex()),
                                          QItemSelectionModel::NoUpdate);
}

void SourceGridView::mousePressEvent(QMouseEvent* event) {
    m_dragStarted = false;
    m_pressPosition = event->position().toPoint();
    m_pressedIndex = indexAt(m_pressPosition);
    QTreeView::mousePressEvent(event);
}

void SourceGridView::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) {
        QTreeView::mouseMoveEvent(event);
        return;
    }
    // Dragging the mouse on rows drags them; it never extends the selection.
    const bool farEnough = (event->position().toPoint() - m_pressPosition).manhattanLength() >=
                           QApplication::startDragDistance();
    if (farEnough && !m_dragStarted && m_pressedIndex.isValid() && state() != EditingState) {
        m_dragStarted = true;
        startDrag(Qt::MoveAction);
    }
}

void SourceGridView::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = event->button() == Qt::LeftButton && !m_dragStarted;
    const QModelIndex index = indexAt(event->position().toPoint());
    QTreeView::mouseReleaseEvent(event);
    if (!click)
        return;
    const bool plainClick = !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier));
    if (plainClick && index.isValid() && index == m_pressedIndex && (index.flags() & Qt::ItemIsEditable) &&
        state() != EditingState)
        edit(index);
    emit Clicked();
}

void SourceGridView::keyPressEvent(QKeyEvent* event) {
    emit KeyDown(event->key() == Qt::Key_Delete);
    QTreeView::keyPressEvent(event);
}

void SourceGridView::keyReleaseEvent(QKeyEvent* event) {
    QTreeView::keyReleaseEvent(event);
    emit KeyUp();
}

void SourceGridView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    QTreeView::closeEditor(editor, hint);
    emit Edited();
}

bool SourceGridView::IsRowDrag(const QMimeData* data) {
    return data && data->hasFormat(RowDragMimeType);
}

bool SourceGridView::IsGrid(const QObject* object) const {
    return object && (object == this || object == viewport());
}

// dxTreeSourceFileInfoDragOver: the grid takes every drag of its own rows. Other drags (files from
// a file manager) are left to the window.
void SourceGridView::dragEnterEvent(QDragEnterEvent* event) {
    if (IsRowDrag(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void SourceGridView::dragMoveEvent(QDragMoveEvent* event) {
    if (IsRowDrag(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void SourceGridView::dropEvent(QDropEvent* event) {
    if (!IsRowDrag(event->mimeData())) {
        event->ignore();
        return;
    }
    // Rows released on the grid move there: before the row under the mouse, or after it when
    // released on its lower half, or to the end below the last row.
    m_droppedOnGrid = true;
    event->acceptProposedAction();
    if (m_rows == nullptr)
        return;
    const QPoint at = event->position().toPoint();
    const QModelIndex target = indexAt(at);
    std::size_t destination = m_rows->RowCount();
    if (target.isValid()) {
        const QRect row = visualRect(target);
        destination = static_cast<std::size_t>(target.row()) + (at.y() >= row.center().y() ? 1 : 0);
    }
    m_rows->MoveSelectedRows(destination);
}

void SourceGridView::startDrag(Qt::DropActions) {
    auto* data = new QMimeData;
    data->setData(RowDragMimeType, QByteArray());
    // Owned by the view; Qt deletes the drag when it is over.
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    m_droppedOnGrid = false;
    drag->exec(Qt::MoveAction);
    setState(NoState);
    // Where the rows were released is known for certain only when it was the grid itself.
    EndDrag(m_droppedOnGrid ? viewport() : nullptr);
}

void SourceGridView::EndDrag(QObject* target) {
    if (!IsGrid(target))
        emit RowsDraggedOut();
}
