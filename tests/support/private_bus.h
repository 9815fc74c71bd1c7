// A D-Bus bus of a test's own: a dbus-daemon on a socket in a temporary folder, with no service
// files (nothing is started on demand), stopped when the object goes. Also the connections the
// test opens to it.
#pragma once

#include <QDBusConnection>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

class TPrivateBus
{
public:
    TPrivateBus() = default;
    ~TPrivateBus() { Stop(); }
    TPrivateBus(const TPrivateBus &) = delete;
    TPrivateBus &operator=(const TPrivateBus &) = delete;

    // False when dbus-daemon is not installed.
    static bool Available()
    {
        return !QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty();
    }

    // Starts the daemon and waits for its address; false when it did not start.
    bool Start()
    {
        if (!fFolder.isValid())
            return false;
        QFile config(fFolder.filePath(QStringLiteral("bus.conf")));
        if (!config.open(QIODevice::WriteOnly))
            return false;
        config.write("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                     " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                     "<busconfig>\n  <type>session</type>\n  <listen>unix:dir=" +
                     QFile::encodeName(fFolder.path()) +
                     "</listen>\n"
                     "  <policy context=\"default\">\n"
                     "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                     "    <allow eavesdrop=\"true\"/>\n"
                     "    <allow own=\"*\"/>\n"
                     "  </policy>\n</busconfig>\n");
        config.close();
        fDaemon.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--config-file=") + config.fileName(), QStringLiteral("--nofork"),
                       QStringLiteral("--print-address")});
        if (!fDaemon.waitForStarted(30000))
            return false;
        while (!fDaemon.canReadLine())
            if (!fDaemon.waitForReadyRead(30000))
                return false;
        fAddress = QString::fromLocal8Bit(fDaemon.readLine()).trimmed();
        return !fAddress.isEmpty();
    }

    // Opens a connection named aName to the bus; false when it could not.
    bool Connect(const QString &aName)
    {
        fConnections.append(aName);
        return QDBusConnection::connectToBus(fAddress, aName).isConnected();
    }

    // Closes the connections and ends the daemon.
    void Stop()
    {
        for (const QString &name : fConnections)
            QDBusConnection::disconnectFromBus(name);
        fConnections.clear();
        if (fDaemon.state() != QProcess::NotRunning) {
            fDaemon.terminate();
            if (!fDaemon.waitForFinished(30000)) {
                fDaemon.kill();
                fDaemon.waitForFinished(30000);
            }
        }
    }

    QString Address() const { return fAddress; }

private:
    QTemporaryDir fFolder;
    QProcess fDaemon;
    QString fAddress;
    QStringList fConnections;
};
