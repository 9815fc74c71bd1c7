// Test helpers for the selection tests: real folder trees in a temporary folder, symbolic
// links, folders deeper than PATH_MAX, folder chains of any depth, and running code without
// root's file-access override.
#pragma once

#include <functional>
#include <ostream>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// A temporary folder that builds files, folders and links below itself from relative paths.
class TTempTree
{
public:
    TTempTree();
    ~TTempTree();

    bool IsValid() const { return fDir.isValid(); }
    // The root without a trailing "/".
    QString Root() const { return fRoot; }
    // Root() + "/" + aRelative.
    QString Path(const QString &aRelative) const;

    // Creates the folder and its parents; returns its path.
    QString Folder(const QString &aRelative);
    // Creates the file (and its folders) holding aContent; returns its path.
    QString File(const QString &aRelative, const QByteArray &aContent = "x");
    // Creates a symbolic link at aRelative pointing to aTarget (written as given).
    QString Link(const QString &aRelative, const QString &aTarget);

    // Builds a chain of nested folders with 200-character names below aRelative whose full path
    // is longer than PATH_MAX, with a file "deep.txt" in the last one. Returns the last folder's
    // path. Removed again by the destructor.
    QString DeepFolder(const QString &aRelative);
    // Builds aLevels nested folders named "d" below aRelative, folder by folder so that any depth
    // works, and an empty file aFileName in the last one. Returns the file's path, "" on failure.
    QString FolderChain(const QString &aRelative, int aLevels, const QString &aFileName);

private:
    QTemporaryDir fDir;
    QString fRoot;
};

// Removes everything below aFolder at any depth, names of any bytes and folders without
// permissions included; aFolder itself stays.
void RemoveFolderContents(const QString &aFolder);

// A file whose name is given as bytes (aFolder + "/" + aName): writes aContent and returns the
// program's path for it (see FileNameText). Raises std::runtime_error when it cannot be written.
QString WriteRawNamedFile(const QString &aFolder, const QByteArray &aName, const QByteArray &aContent);

// Runs aRoutine on a thread that has given up the capabilities that let root read any folder,
// so permission tests mean the same as for an ordinary user. Waits for it.
void RunWithoutFileOverride(const std::function<void()> &aRoutine);

// Readable QString values in GoogleTest failure messages.
inline void PrintTo(const QString &aText, std::ostream *aStream)
{
    *aStream << '"' << aText.toStdString() << '"';
}
