#include "sources/TimeEditDelegate.h"

#include <QKeyEvent>
#include <QSignalBlocker>
#include <QTimeEdit>

namespace {

// The text the editor was loaded with, to tell a change from a mere visit.
constexpr const char* LoadedTextProperty = "rivamoLoadedText";
constexpr QChar FieldSeparator = QLatin1Char(':');

// A time editor that takes a time typed with its separators ("00:01:02") as well as without
// ("000102"). The plain editor moves to the next field by itself once two digits are typed, and
// then takes the typed ":" as a further move, so the rest of the time would land a field too far.
class TimeEditor final : public QTimeEdit {
public:
    using QTimeEdit::QTimeEdit;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        const bool separator = event->text() == QString(FieldSeparator);
        if (separator && m_movedByItself) {
            m_movedByItself = false;
            event->accept();
            return;
        }
        const int field = currentSectionIndex();
        QTimeEdit::keyPressEvent(event);
        m_movedByItself = !separator && !event->text().isEmpty() && event->text().front().isDigit() &&
                          currentSectionIndex() != field;
    }

private:
    bool m_movedByItself = false;
};

} // namespace

TimeEditDelegate::TimeEditDelegate(bool commitsOnChange, QObject* parent)
    : QStyledItemDelegate(parent), m_commitsOnChange(commitsOnChange) {}

QWidget* TimeEditDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                        const QModelIndex&) const {
    auto* editor = new TimeEditor(parent);
    editor->setDisplayFormat(DisplayFormat);
    editor->setTimeRange(QTime(0, 0, 0), QTime(23, 59, 59));
    editor->setFrame(false);
    if (m_commitsOnChange) {
        // Creating an editor is const by Qt's signature; the editor's changes are written later.
        auto* self = const_cast<TimeEditDelegate*>(this);
        connect(editor, &QTimeEdit::timeChanged, self,
                [self, editor] { self->dxtrlSourceFileStartTimeChange(editor); });
    }
    return editor;
}

void TimeEditDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* timeEdit = static_cast<QTimeEdit*>(editor);
    // Loaded once: the check that runs after each typed change may correct the cell, and loading
    // that into the editor would move the keys the user is still typing to another field.
    if (timeEdit->property(LoadedTextProperty).isValid())
        return;
    const QTime time = QTime::fromString(index.data(Qt::EditRole).toString(), DisplayFormat);
    // Loading is no change of the user's: it must not end the edit.
    const QSignalBlocker blocker(timeEdit);
    timeEdit->setTime(time.isValid() ? time : QTime(0, 0, 0));
    timeEdit->setProperty(LoadedTextProperty, timeEdit->time().toString(DisplayFormat));
    // Typing starts at the hours, however the editor got the keyboard.
    timeEdit->setSelectedSection(QDateTimeEdit::HourSection);
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
    emit ChangedWhileEditing();
}
