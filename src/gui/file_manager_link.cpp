// Asks the desktop's file manager over D-Bus to show files selected in their folders.
#include "gui/file_manager_link.h"

#include "platform/file_name.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QUrl>
#include <utility>

namespace {

const QString kObjectPath = QStringLiteral("/org/freedesktop/FileManager1");
const QString kInterface = QStringLiteral("org.freedesktop.FileManager1");
// A file manager that is not running yet is started by the bus first; that may take a while.
constexpr int kAnswerTimeoutMs = 10000;

} // namespace

bool TFileManagerLink::ShowItems(const QStringList &aPaths, QObject *aContext,
                                 std::function<void()> aOnFailure) const
{
    if (fService.isEmpty() || aPaths.isEmpty())
        return false;
    const QDBusConnection bus =
        fConnectionName.isEmpty() ? QDBusConnection::sessionBus() : QDBusConnection(fConnectionName);
    if (!bus.isConnected())
        return false;
    QStringList uris;
    for (const QString &path : aPaths)
        uris.append(QString::fromLatin1(FileUrl(path).toEncoded()));
    QDBusMessage call =
        QDBusMessage::createMethodCall(fService, kObjectPath, kInterface, QStringLiteral("ShowItems"));
    // No start-up notification id: the program has none to hand on.
    call << uris << QString();
    // Owned by aContext, so an answer that comes after the window has gone reaches nobody.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kAnswerTimeoutMs), aContext);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, aContext,
                     [watcher, onFailure = std::move(aOnFailure)] {
                         if (watcher->isError() && onFailure)
                             onFailure();
                         watcher->deleteLater();
                     });
    return true;
}
