#pragma once

// Answers a modal dialog from a test. Create a ModalDialog<T> before the call that opens the
// dialog; once a T is the active modal widget, the action runs on it. A dialog the action leaves
// open (a failed check returns early) is closed at once, and when no T comes within the bound,
// whatever is modal then is closed: a test fails within seconds instead of hanging.
//
//     ModalDialog<QColorDialog> answer([](QColorDialog* d) { d->setCurrentColor(Qt::red); d->accept(); });
//     form.backgroundColourButton->click();
//     QVERIFY(answer.answered());
//
// A modal dialog that no living ModalDialog expects (a message box nobody foresaw, a file dialog,
// a second dialog where one was answered) fails the running test at once, naming its title and
// text, and is closed: the test goes on to its end instead of sitting in the dialog until Qt
// Test's watchdog. Any program of tests including this header watches from its start.
//
// Waits in tests are bounded and say what they wait for:
//     WAIT_FOR(window.isVisible(), "the main window to show", 5000);
//     WAIT_COMPARE(files().size(), 1, "the exported file", 20000);
// or, inside a helper returning a bool, waitFor([&] { return ...; }, "the export to end", 20000).

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

namespace modal_detail {

// What a living ModalDialog is ready to answer.
class Expectation
{
public:
    virtual bool expects(const QWidget* modal) const = 0;

protected:
    Expectation() { all().push_back(this); }
    ~Expectation() { std::erase(all(), this); }

public:
    static std::vector<const Expectation*>& all()
    {
        static std::vector<const Expectation*> living;
        return living;
    }
};

// The wait under way, named when a dialog interrupts it.
inline const char*& currentWait()
{
    static const char* what = nullptr;
    return what;
}

inline QString describeDialog(const QDialog* dialog)
{
    QString text = QStringLiteral("unexpected modal %1 \"%2\"")
                       .arg(QString::fromLatin1(dialog->metaObject()->className()), dialog->windowTitle());
    if (auto* box = qobject_cast<const QMessageBox*>(dialog)) {
        text += QStringLiteral(": ") + box->text();
        if (!box->informativeText().isEmpty())
            text += QStringLiteral(" / ") + box->informativeText();
    } else if (auto* files = qobject_cast<const QFileDialog*>(dialog)) {
        text += QStringLiteral(" in ") + files->directory().path();
    }
    if (currentWait())
        text += QStringLiteral(" (while waiting for %1)").arg(QString::fromUtf8(currentWait()));
    return text;
}

// Polls for a modal dialog nobody expects, also inside the dialog's own event loop, where the
// test's code is not running.
class UnexpectedDialogWatch : public QObject
{
public:
    explicit UnexpectedDialogWatch(QObject* parent) : QObject(parent)
    {
        connect(&m_timer, &QTimer::timeout, this, [] { check(); });
        m_timer.start(50);
    }

    static void check()
    {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        // A progress dialog runs beside the windows without a loop of its own: it blocks nothing.
        if (!dialog || !dialog->isVisible() || qobject_cast<QProgressDialog*>(dialog))
            return;
        const auto& expectations = Expectation::all();
        if (std::any_of(expectations.begin(), expectations.end(),
                        [dialog](const Expectation* e) { return e->expects(dialog); }))
            return;
        const QString failure = describeDialog(dialog);
        if (QTest::currentTestFunction())
            QTest::qFail(qPrintable(failure), __FILE__, __LINE__);
        else
            qCritical("%s", qPrintable(failure));
        dialog->reject();
    }

private:
    QTimer m_timer;
};

} // namespace modal_detail

inline void watchForUnexpectedDialogs()
{
    static QPointer<modal_detail::UnexpectedDialogWatch> watch;
    if (!watch && qobject_cast<QApplication*>(QCoreApplication::instance()))
        watch = new modal_detail::UnexpectedDialogWatch(QCoreApplication::instance());
}

Q_COREAPP_STARTUP_FUNCTION(watchForUnexpectedDialogs)

// Processes events until done() holds or timeoutMs pass; names what it waited for when it gives
// up. Stops at once when the running test has failed (an unexpected dialog, a failed check in a
// dialog's answer).
inline bool waitFor(const std::function<bool()>& done, const char* what, int timeoutMs)
{
    const char* outer = std::exchange(modal_detail::currentWait(), what);
    const QDeadlineTimer deadline(timeoutMs);
    bool met = done();
    while (!met && !deadline.hasExpired() && !QTest::currentTestFailed()) {
        QTest::qWait(10);
        met = done();
    }
    modal_detail::currentWait() = outer;
    if (!met && !QTest::currentTestFailed())
        qWarning("gave up after %d ms waiting for %s", timeoutMs, what);
    return met;
}

// A wait in a test function: fails the test, naming what it waited for, when the condition does
// not hold within timeoutMs.
#define WAIT_FOR(condition, what, timeoutMs)                                                       \
    do {                                                                                           \
        if (!waitFor([&] { return bool(condition); }, what, timeoutMs)) {                          \
            if (QTest::currentTestFailed())                                                        \
                return; /* stopped by the failure already reported */                              \
            QFAIL(qPrintable(QStringLiteral("%1 did not happen within %2 s (%3)")                  \
                                 .arg(QString::fromUtf8(what))                                     \
                                 .arg((timeoutMs) / 1000.0)                                        \
                                 .arg(QStringLiteral(#condition))));                               \
        }                                                                                          \
    } while (false)

enum class Answer { Once, EveryOne };

// The same for a comparison, which then shows both sides when it fails.
#define WAIT_COMPARE(actual, expected, what, timeoutMs)                                            \
    do {                                                                                           \
        if (!waitFor([&] { return (actual) == (expected); }, what, timeoutMs)                      \
            && QTest::currentTestFailed())                                                         \
            return; /* stopped by the failure already reported */                                  \
        QCOMPARE(actual, expected);                                                                \
    } while (false)

template <typename T>
class ModalDialog : modal_detail::Expectation
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

    bool expects(const QWidget* modal) const override
    {
        if (modal == m_answering)
            return true;
        return qobject_cast<const T*>(modal) && (m_answer == Answer::EveryOne || (!m_answered && !m_timedOut));
    }

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
        m_answering = dialog;
        m_act(dialog);
        m_answering = nullptr;
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
    QPointer<QWidget> m_answering;
    int m_answered = 0;
    bool m_timedOut = false;
};
