#pragma once

// Answers a modal dialog from a test. Create a ModalDialog<T> before the call that opens the
// dialog; once a T is the active modal widget, the action runs on it. A dialog the action leaves
// open (a failed check returns early) is closed at once, and when no T comes within the bound,
// whatever is modal then is closed: a test fails within seconds instead of hanging.
//
//     ModalDialog<QColorDialog> answer([](QColorDialog* d) { d->setCurrentColor(Qt::red); d->accept(); });
//     form.backgroundColourButton->click();
//     QVERIFY(answer.answered());

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <functional>

enum class Answer { Once, EveryOne };

template <typename T>
class ModalDialog
{
public:
    // Once: the first T only, within timeoutMs. EveryOne: every T shown while this lives.
    explicit ModalDialog(std::function<void(T*)> act, Answer answer = Answer::Once, int timeoutMs = 10000)
        : m_act(std::move(act)), m_answer(answer), m_deadline(timeoutMs)
    {
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { poll(); });
        m_timer.start(10);
    }
    ModalDialog(const ModalDialog&) = delete;
    ModalDialog& operator=(const ModalDialog&) = delete;

    // How many dialogs of type T the action ran on.
    int answered() const { return m_answered; }
    // No T came in time; what was modal then was closed.
    bool timedOut() const { return m_timedOut; }

private:
    void poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<T*>(modal); dialog && dialog->isVisible()) {
            answer(dialog);
        } else if (m_answer == Answer::Once && m_deadline.hasExpired()) {
            m_timer.stop();
            m_timedOut = true;
            if (modal)
                close(modal);
        }
    }

    void answer(T* dialog)
    {
        m_timer.stop(); // the action may run an event loop of its own
        QPointer<QWidget> shown(dialog);
        m_act(dialog);
        ++m_answered;
        if (shown && shown->isVisible())
            close(shown);
        if (m_answer == Answer::EveryOne)
            m_timer.start();
    }

    static void close(QWidget* modal)
    {
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    }

    std::function<void(T*)> m_act;
    Answer m_answer;
    QDeadlineTimer m_deadline;
    QTimer m_timer;
    int m_answered = 0;
    bool m_timedOut = false;
};
