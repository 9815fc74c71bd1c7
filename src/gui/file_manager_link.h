// Asks the desktop's file manager over D-Bus (org.freedesktop.FileManager1) to show files
// selected in their folders, the way "Open containing folder" wants them shown.
#pragma once

#include <functional>
#include <QString>
#include <QStringList>

class QObject;

// A plain value: which file manager is asked, on which bus. UI thread only.
class TFileManagerLink
{
public:
    // The bus name of the file manager; empty: none is asked. Any service that implements the
    // interface org.freedesktop.FileManager1 at /org/freedesktop/FileManager1 can answer.
    QString fService = QStringLiteral("org.freedesktop.FileManager1");
    // The name of an open QDBusConnection (QDBusConnection::connectToBus); empty: the session bus.
    QString fConnectionName;

    // Sends ShowItems with the file:// URLs of aPaths (a name that is not valid UTF-8 by its own
    // bytes) and returns true; the answer comes later, and when the call fails or brings no
    // answer within 10 s, aOnFailure runs on the UI thread (unless aContext has gone by then).
    // Returns false at once, without calling aOnFailure, when no service is named, aPaths is empty
    // or the bus cannot be reached.
    bool ShowItems(const QStringList &aPaths, QObject *aContext, std::function<void()> aOnFailure) const;
};
