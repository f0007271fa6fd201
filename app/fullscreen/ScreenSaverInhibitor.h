#pragma once

#include <QObject>
#include <QString>

#include <optional>

// Asks the desktop not to blank the screen while held (org.freedesktop.ScreenSaver on the session
// bus: Inhibit, and UnInhibit with its cookie). Every call is asynchronous, so a slow or missing
// service never holds up the window; without a session bus or that service it does nothing.
class ScreenSaverInhibitor : public QObject
{
    Q_OBJECT

public:
    explicit ScreenSaverInhibitor(QString reason, QObject* parent = nullptr);
    ~ScreenSaverInhibitor() override;

    // Holds or releases the inhibition; repeated calls with the same value do nothing.
    void setHeld(bool held);
    bool held() const { return m_wanted; }

private:
    void inhibit();

    QString m_reason;
    bool m_wanted = false;
    bool m_waiting = false; // an Inhibit call has not answered yet
    std::optional<unsigned> m_cookie;
};
