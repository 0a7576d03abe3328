#include "sources/TimeEditDelegate.h"

#include <QSignalBlocker>
#include <QTimeEdit>

namespace {

// The text the editor was loaded with, to tell a change from a mere visit.
constexpr const char* LoadedTextProperty = "rivamoLoadedText";

} // namespace

TimeEditDelegate::TimeEditDelegate(bool endsOnChange, QObject* parent)
    : QStyledItemDelegate(parent), m_endsOnChange(endsOnChange) {}

QWidget* TimeEditDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                        const QModelIndex&) const {
    auto* editor = new QTimeEdit(parent);
    editor->setDisplayFormat(DisplayFormat);
    editor->setTimeRange(QTime(0, 0, 0), QTime(23, 59, 59));
    editor->setFrame(false);
    if (m_endsOnChange) {
        // Creating an editor is const by Qt's signature; the editor's changes end the edit later.
        auto* self = const_cast<TimeEditDelegate*>(this);
        connect(editor, &QTimeEdit::timeChanged, self,
                [self, editor] { self->dxtrlSourceFileStartTimeChange(editor); });
    }
    return editor;
}

void TimeEditDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* timeEdit = static_cast<QTimeEdit*>(editor);
    const QTime time = QTime::fromString(index.data(Qt::EditRole).toString(), DisplayFormat);
    // Loading is no change of the user's: it must not end the edit.
    const QSignalBlocker blocker(timeEdit);
    timeEdit->setTime(time.isValid() ? time : QTime(0, 0, 0));
    timeEdit->setProperty(LoadedTextProperty, timeEdit->time().toString(DisplayFormat));
}

void TimeEditDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                    const QModelIndex& index) const {
    const auto* timeEdit = static_cast<QTimeEdit*>(editor);
    const QString text = timeEdit->time().toString(DisplayFormat);
    if (text == timeEdit->property(LoadedTextProperty).toString())
        return;
    model->setData(index, text, Qt::EditRole);
}

void TimeEditDelegate::dxtrlSourceFileStartTimeChange(QWidget* editor) {
    emit commitData(editor);
    emit closeEditor(editor, QAbstractItemDelegate::NoHint);
}
