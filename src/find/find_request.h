// What one run of ordwell-find searches and how it prints the results: the search form's values
// the window's search reads, the folders, the output format and the run's server and cache
// choices, read from the command line.
#pragma once

#include "platform/file_time.h"
#include "search/search_form_values.h"

#include <cstdint>
#include <optional>
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// How each found file is printed.
enum TFindFormat : uint8_t
{
    foPaths,   // the path
    foCount,   // path:matches
    foContext, // path:page N:line of the first match (no page for plain text)
    foJson,    // one JSON object per line
    foCsv      // the window's CSV export
};

// One run's request. Plain value; any thread.
struct TFindRequest
{
    // The search form as the window's search reads it (text to find, name filter, exclusions,
    // size and date tests, hidden, subfolders, unrecognized formats, match options).
    TSearchFormValues fForm;
    // The folders as given, in the program's path text (the command line's bytes); empty: the
    // current folder.
    QStringList fFolders;
    TFindFormat fFormat = foPaths;
    // Each record of foPaths, foCount and foContext ends with a NUL byte instead of a line feed.
    bool fNullTerminated = false;
    // Nothing is printed; the run ends at the first file found.
    bool fQuiet = false;
    // The documents that could not be read are listed on stderr with their reasons.
    bool fListUnreadable = false;
    // --server: "auto" or a URL; nothing: the window's setting in Ordwell.conf.
    std::optional<QString> fServer;
    // --no-cache: documents are extracted again, the text cache is neither read nor written.
    bool fNoCache = false;
};

// What the command line asks for.
struct TFindCommandLine
{
    enum TAction : uint8_t
    {
        caSearch,
        caHelp,
        caVersion,
        caError
    };
    TAction fAction = caSearch;
    TFindRequest fRequest;
    // For caError: what is wrong, one English sentence without the program's name.
    QString fError;
};

// Reads the arguments after the program's name (the bytes of argv). Options may come before,
// between and after the operands; "--" ends them; short flags combine ("-sw"); a long option's
// value follows it or comes after "=". aNow is the current local date-time (the default end of a
// date range that gives none). Pure.
TFindCommandLine ParseFindCommandLine(const QList<QByteArray> &aArguments, TDateTime aNow);

// The usage text printed by --help (and, shortened, after a command-line error).
QString FindUsage();
QString FindShortUsage();
