#include "app/fullscreen/ScreenSaverInhibitor.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QPointer>

namespace {

const QString service = QStringLiteral("org.freedesktop.ScreenSaver");
const QString path = QStringLiteral("/org/freedesktop/ScreenSaver");

QDBusMessage call(const QString& method, const QVariantList& arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, service, method);
    message.setArguments(arguments);
    return message;
}

// Gives a cookie back; the desktop keeps the screen awake until every cookie it handed out is.
void release(unsigned cookie)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected())
        bus.asyncCall(call(QStringLiteral("UnInhibit"), {cookie}));
}

} // namespace

ScreenSaverInhibitor::ScreenSaverInhibitor(QString reason, QObject* parent) : QObject(parent), m_reason(std::move(reason))
{
}

ScreenSaverInhibitor::~ScreenSaverInhibitor()
{
    if (m_cookie)
        release(*m_cookie);
}

void ScreenSaverInhibitor::setHeld(bool held)
{
    if (held == m_wanted)
        return;
    m_wanted = held;
    if (held && !m_cookie && !m_waiting)
        inhibit();
    else if (!held && m_cookie)
        release(*std::exchange(m_cookie, std::nullopt));
    // While an Inhibit is under way, its answer decides: kept if still wanted, released if not.
}

void ScreenSaverInhibitor::inhibit()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    m_waiting = true;
    const QString application = QCoreApplication::applicationName();
    // The answer may come after this object has gone (the show left full screen meanwhile): the
    // watcher outlives it, so a cookie that nobody wants any more is still given back.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call(QStringLiteral("Inhibit"), {application, m_reason})),
                                                QCoreApplication::instance());
    const QPointer<ScreenSaverInhibitor> asker(this);
    connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [asker](QDBusPendingCallWatcher* finished) {
        finished->deleteLater();
        if (asker)
            asker->m_waiting = false;
        const QDBusPendingReply<uint> reply = *finished;
        if (reply.isError())
            return; // no such service: the screen may blank, as it would without us
        if (asker && asker->m_wanted)
            asker->m_cookie = reply.value();
        else
            release(reply.value());
    });
}
