// What the result list's commands do to files on disk: rename without overwriting, move to the
// trash, paste from the clipboard's file list, and the rows of the properties dialog. No widgets;
// every function runs on the calling thread and reports failures in its result, never by throwing.
#pragma once

#include <memory>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class QMimeData;

struct TFileOperationResult
{
    bool fOk = false;
    QString fNewPath; // the path after the operation (on success)
    QString fError;   // the system's reason (on failure)
};

// Whether pName can be a file name on its own: not empty, not "." or "..", no "/" and no NUL.
bool IsValidFileName(const QString &pName);

// Renames the file or folder pPath to pNewName within its folder. Never overwrites: fails when
// an entry of that name exists (also when it appears at the same moment). Renaming to the same
// name succeeds without touching anything. On failure the file is left as it was.
TFileOperationResult RenameFileTo(const QString &pPath, const QString &pNewName);

// Moves pPath to the user's trash (the freedesktop.org trash under $XDG_DATA_HOME, or the
// volume's own trash folder). On failure the file stays where it is.
TFileOperationResult MoveFileToTrash(const QString &pPath);

// pFolder/pName when no entry of that name exists there, else the first free
// "base (2).ext", "base (3).ext", ... (the extension being the name's last ".suffix").
QString FreeTargetPath(const QString &pFolder, const QString &pName);

// Copies (or, with pMove, moves) the file pSource into pFolder under its own name, or under a
// free "name (n)" when that name is taken; never overwrites. Moving a file into its own folder
// does nothing and succeeds. Folders can be moved but are not copied.
TFileOperationResult PasteFile(const QString &pSource, const QString &pFolder, bool pMove);

// Clipboard data for files: text/uri-list with their file URLs, the paths as plain text, and
// the markers file managers read to tell a cut from a copy.
std::unique_ptr<QMimeData> FileListMimeData(const QStringList &pPaths, bool pCut);
// The local files of clipboard data (its URL list); pCut (when given) tells whether they were
// cut rather than copied.
QStringList FilePathsOfMimeData(const QMimeData &pData, bool *pCut = nullptr);

// The rows of the properties dialog: (English label, value) for "Path:", "Type:", "Size:",
// "Created:", "Modified:", "Accessed:", "Permissions:". Empty when pPath does not exist.
QList<QPair<QString, QString>> FilePropertyRows(const QString &pPath);
// "rwxr-x---"-style text of a file's permission bits, the leading character "d" for a folder
// and "l" for a symbolic link, "-" otherwise.
QString PermissionText(const QString &pPath);
