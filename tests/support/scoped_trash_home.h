// For tests that move files to the trash: points HOME and XDG_DATA_HOME at a temporary folder
// for the fixture's life, so that no test ever touches the user's own trash.
#pragma once

#include "support/temp_tree.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

class TScopedTrashHome
{
public:
    // pDataFolder: XDG_DATA_HOME below the temporary home ("" for the home itself).
    explicit TScopedTrashHome(const QString &pDataFolder = QString())
        : fOldDataHome(qgetenv("XDG_DATA_HOME")), fOldHome(qgetenv("HOME"))
    {
        // The home moves too: Qt uses the home volume's trash only for files on that volume.
        qputenv("HOME", fHome.path().toLocal8Bit());
        qputenv("XDG_DATA_HOME", DataHome(pDataFolder).toLocal8Bit());
    }
    ~TScopedTrashHome()
    {
        RemoveFolderContents(fHome.path()); // names of any bytes too
        qputenv("XDG_DATA_HOME", fOldDataHome);
        qputenv("HOME", fOldHome);
    }
    TScopedTrashHome(const TScopedTrashHome &) = delete;
    TScopedTrashHome &operator=(const TScopedTrashHome &) = delete;

    bool IsValid() const { return fHome.isValid(); }
    QString Path() const { return fHome.path(); }
    QString FilePath(const QString &pName) const { return fHome.filePath(pName); }

private:
    QString DataHome(const QString &pDataFolder) const
    {
        return pDataFolder.isEmpty() ? fHome.path() : fHome.filePath(pDataFolder);
    }

    QTemporaryDir fHome;
    QByteArray fOldDataHome;
    QByteArray fOldHome;
};
