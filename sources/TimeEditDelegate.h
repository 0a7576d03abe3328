#pragma once

#include <QStyledItemDelegate>

// The in-place editor of the grid's time columns: a time of day (under 24 hours) shown as
// HH:mm:ss, handed back to the model as the text "HH:MM:SS" with two-digit fields. The cell is
// written only when the user changed the time, so a cell the editor cannot show (24 hours or more)
// survives opening and closing the editor.
class TimeEditDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    // commitsOnChange: every change of the value is written to the cell at once and reported
    // (ChangedWhileEditing), so the times are checked while the user types (the start time's
    // dxtrlSourceFileStartTimeChange); the edit itself ends only when the user ends it.
    TimeEditDelegate(bool commitsOnChange, QObject* parent = nullptr);

    static constexpr const char* DisplayFormat = "HH:mm:ss";

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

signals:
    // A change of the value was written to the cell while the editor stays open.
    void ChangedWhileEditing();

private:
    void dxtrlSourceFileStartTimeChange(QWidget* editor);

    bool m_commitsOnChange;
};
