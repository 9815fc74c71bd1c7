// ordwell-find's results on stdout: each found file as one record in the chosen format, written
// whole, and what a broken pipe means for the run.
#pragma once

#include "find/find_request.h"

#include <QByteArray>
#include <QString>

class TZorFileListItem;
class TZorCustomFileList;

// A JSON string literal of aText: quotes, backslashes and control characters escaped, every
// other character as UTF-8, and a lone surrogate (a file name's byte that is not UTF-8, see
// FileNameText) as its \uXXXX escape, so the name's bytes can be had back exactly. Pure.
QByteArray JsonString(QStringView aText);

// Formats and writes the records of one run. Main thread only.
class TFindPrinter
{
public:
    // Writes to aFd (stdout: 1).
    TFindPrinter(const TFindRequest &aRequest, int aFd = 1);

    // The record of row aRow of aList (one line, or with --null one NUL-terminated record), its
    // path shown as aShownPath. Pure apart from reading the file's size and time for --json.
    QByteArray Record(const TZorCustomFileList &aList, int aRow, const QString &aShownPath) const;
    // What comes before the first record (the CSV header), empty for the other formats.
    QByteArray Header() const;

    // Writes aBytes whole, going on after interruptions. False when the reader has gone (EPIPE)
    // or the output failed otherwise; nothing is written after that.
    bool Write(const QByteArray &aBytes);
    bool Broken() const { return fBroken; }
    // The error of a failed write other than a broken pipe (e.g. a full disk), else 0.
    int WriteError() const { return fWriteError; }

private:
    QByteArray JsonRecord(const TZorFileListItem &aItem, const QString &aShownPath) const;

    TFindFormat fFormat;
    char fTerminator;
    int fFd;
    bool fBroken = false;
    int fWriteError = 0;
};
