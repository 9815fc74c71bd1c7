// One entry of the result list: its path, caption and kind, and the column data (size, type,
// date modified) read from the file system the first time a column asks for it.
#pragma once

#include <cstdint>
#include <optional>
#include <QDateTime>
#include <QString>

// The result list's columns, in display order.
enum TZorFileListColumn : int
{
    flcName = 0,
    flcInFolder,
    flcSize,
    flcType,
    flcDateModified,
    flcColumnCount
};

class TZorFileListItem
{
public:
    // pPath as Add received it (a folder hit ends with "/"); pIsVirtual for an element without a
    // file-system path, which keeps pPath as its display path.
    TZorFileListItem(const QString &pPath, bool pIsVirtual);

    // The file-system path, or "" for a virtual element.
    QString Path() const { return fIsVirtual ? QString() : fPath; }
    // The path as given, also for a virtual element.
    const QString &DisplayPath() const { return fPath; }
    // The Name column: the text after the last "/" or ":" once one trailing "/" is removed; the
    // whole path when that text is empty (the root "/").
    QString Caption() const { return fPath.mid(fCaptionStart, fCaptionLength); }
    // True when the path given to Add ended with "/".
    bool fIsFolder = false;
    bool fChecked = false;

    // Takes a new path (a rename): new caption, kind kept, column data read again.
    void SetPath(const QString &pPath);
    // Forgets the column data, so the next read looks at the file system again.
    void Refresh() { fDetails.reset(); }

    // The In Folder column: the parent folder without a trailing "/" ("/" for the root's entries).
    QString InFolder() const;
    // Size in bytes; -1 for folders, virtual elements and paths that do not exist (now).
    int64_t Size() const;
    // Date modified in local time; invalid when unknown.
    QDateTime DateModified() const;
    // Whether the path named an existing entry when the details were last read.
    bool Exists() const;

private:
    struct TDetails
    {
        bool fExists = false;
        int64_t fSize = -1;
        QDateTime fModified;
    };
    const TDetails &Details() const;
    // Finds the caption within fPath (kept as a position: no string per item).
    void LocateCaption();

    QString fPath;
    qsizetype fCaptionStart = 0;
    qsizetype fCaptionLength = -1;
    bool fIsVirtual = false;
    mutable std::optional<TDetails> fDetails;
};
