#pragma once

#include <functional>

#include <QApplication>
#include <QTimer>

// Acts on the next modal dialog of the given kind as soon as it is up, the way a user would answer
// it; the dialog's own event loop runs meanwhile. Answers at most `times` dialogs.
template <typename Dialog> class ModalDialogDriver {
public:
    explicit ModalDialogDriver(std::function<void(Dialog&)> act, int times = 1)
        : m_act(std::move(act)), m_left(times) {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr || !dialog->isVisible() || m_left == 0)
                return;
            --m_left;
            ++m_answered;
            m_act(*dialog);
        });
        m_timer.start();
    }

    int Answered() const { return m_answered; }

private:
    std::function<void(Dialog&)> m_act;
    int m_left;
    int m_answered = 0;
    QTimer m_timer;
};
