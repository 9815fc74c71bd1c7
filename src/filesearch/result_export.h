// The result list written out: CSV for "Save results...", tab-separated rows for the clipboard.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class TZorCustomFileList;

// One CSV record per row of aRows (every row when empty), after a header record: path, name,
// folder, size (bytes), modified (ISO 8601, local time), matches, context. Fields are quoted as
// RFC 4180 says (a field holding a comma, a quote, a CR or an LF is put in quotes, its quotes
// doubled); records end with CR LF. The text is UTF-8; a name's bytes that are not valid UTF-8
// are written as they are, so the paths stay exact. Pure; UI thread (it reads the list).
QByteArray ResultsCsv(const TZorCustomFileList &aList, const QList<int> &aRows = {});

// The rows as tab-separated text, one line per row (path, name, folder, size, modified, matches,
// context): what
// Ctrl+Shift+C copies. Tabs and line breaks inside a field become spaces; names are shown as in
// the list. Pure; UI thread.
QString ResultsTabSeparated(const TZorCustomFileList &aList, const QList<int> &aRows);
