#pragma once

#include <QStyledItemDelegate>

// The in-place editor of the grid's time columns: a time of day (under 24 hours) shown as
// HH:mm:ss, handed back to the model as the text "HH:MM:SS" with two-digit fields. The cell is
// written only when the user changed the time, so a cell the editor cannot show (24 hours or more)
// survives opening and closing the editor.
class TimeEditDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    // endsOnChange: every change of the value commits it and ends the edit at once (the start
    // time's dxtrlSourceFileStartTimeChange).
    TimeEditDelegate(bool endsOnChange, QObject* parent = nullptr);

    static constexpr const char* DisplayFormat = "HH:mm:ss";

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

private:
    void dxtrlSourceFileStartTimeChange(QWidget* editor);

    bool m_endsOnChange;
};
