// One entry of the result list: its path, caption and kind, the column data (size, type,
// date modified) read from the file system the first time a column asks for it, and what the
// content check found (matches, context). The path is kept
// as its folder and its name; items of one folder share the folder's string.
#pragma once

#include "filesearch/content_verdict.h"

#include <cstdint>
#include <memory>
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
    flcMatches,
    flcContext,
    flcColumnCount
};

class TZorFileListItem
{
public:
    // pPath as Add received it (a folder hit ends with "/"); pIsVirtual for an element without a
    // file-system path, which keeps pPath as its display path. pSharedFolder, when given, is a
    // folder string to share: the item takes it when its folder is the same, else replaces it
    // with its own (so consecutive items of one folder share one string).
    TZorFileListItem(const QString &pPath, bool pIsVirtual, QString *pSharedFolder = nullptr);

    // The file-system path, or "" for a virtual element.
    QString Path() const { return fIsVirtual ? QString() : DisplayPath(); }
    // The path as given, also for a virtual element.
    QString DisplayPath() const { return fFolder + fName; }
    // Whether DisplayPath, one trailing "/" aside, is aPath (given without its trailing "/"), as
    // SamePath compares; builds no string.
    bool HasPath(QStringView aPath) const;
    // The Name column: the text after the last "/" or ":" once one trailing "/" is removed; the
    // whole path when that text is empty (the root "/").
    QString Caption() const;
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

    // What the content check found: the Matches column (0: not known, shown empty) and the
    // Context column. Kept across a rename and a refresh.
    void SetFinding(const TMatchFinding &aFinding);
    int32_t Matches() const { return fFinding ? fFinding->fMatches : 0; }
    QString Context() const { return fFinding ? fFinding->fContext : QString(); }
    int32_t Page() const { return fFinding ? fFinding->fPage : 0; }

private:
    struct TDetails
    {
        int64_t fSize = -1;
        int64_t fModifiedMs = 0; // since 1970 UTC; valid when fHasModified
        bool fExists = false;
        bool fHasModified = false;
    };
    const TDetails &Details() const;
    // Splits pPath into fFolder and fName (the caption, with a folder's trailing "/").
    void SetParts(const QString &pPath, QString *pSharedFolder);

    QString fFolder; // up to and including the last "/" or ":" before the caption
    QString fName;
    bool fIsVirtual = false;
    mutable std::unique_ptr<TDetails> fDetails; // only for items whose columns were shown
    std::unique_ptr<TMatchFinding> fFinding;    // only for items found by their text
};
