// Reading ordwell-find's command line into one request.
#include "find/find_request.h"

#include "platform/file_name.h"

#include <functional>
#include <QDate>
#include <QTime>

namespace {

// The date range's ends when FROM or TO is left out.
const QDate cEarliestDate(1601, 1, 1);
const QDate cLatestDate(9999, 12, 31);

// The value of --larger/--smaller: a whole number of kilobytes the window's size field takes.
bool ParseKilobytes(const QString &aText, QString &aError)
{
    bool ok = false;
    const int kilobytes = aText.toInt(&ok, 10);
    if (!ok || kilobytes < 0 || aText.trimmed() != aText) {
        aError = QStringLiteral("'%1' is not a size in kilobytes (a whole number from 0 to 2147483647)")
                     .arg(aText);
        return false;
    }
    return true;
}

bool ParseDate(const QString &aText, QDate &aDate)
{
    aDate = QDate::fromString(aText, Qt::ISODate);
    return aDate.isValid() && aDate >= cEarliestDate && aDate <= cLatestDate;
}

// FROM..TO, FROM.., ..TO or one day.
bool ParseDateRange(const QString &aText, TSearchFormValues &aForm, QString &aError)
{
    const qsizetype dots = aText.indexOf(QStringLiteral(".."));
    const QString fromText = dots < 0 ? aText : aText.left(dots);
    const QString toText = dots < 0 ? aText : aText.mid(dots + 2);
    QDate from = cEarliestDate;
    QDate to = cLatestDate;
    if ((!fromText.isEmpty() && !ParseDate(fromText, from)) ||
        (!toText.isEmpty() && !ParseDate(toText, to)) || (fromText.isEmpty() && toText.isEmpty())) {
        aError =
            QStringLiteral("'%1' is not a date range (YYYY-MM-DD..YYYY-MM-DD, either end may be left out)")
                .arg(aText);
        return false;
    }
    if (from > to) {
        aError = QStringLiteral("the date range '%1' ends before it begins").arg(aText);
        return false;
    }
    aForm.SearchAllRB = false;
    aForm.SearchDateRB = true;
    aForm.SearchMinDate = EncodeDateTime(from, QTime(0, 0));
    aForm.SearchMaxDate = EncodeDateTime(to, QTime(0, 0));
    return true;
}

struct TParser
{
    TFindCommandLine fResult;
    bool fDateGiven = false;
    bool fSizeGiven = false;
    bool fFormatGiven = false;

    bool Fail(const QString &aError)
    {
        if (fResult.fAction != TFindCommandLine::caError) {
            fResult.fAction = TFindCommandLine::caError;
            fResult.fError = aError;
        }
        return false;
    }

    // --help and --version end the run before any search; an error still wins, and help wins
    // over the version.
    void Ask(TFindCommandLine::TAction aAction)
    {
        if (fResult.fAction != TFindCommandLine::caError && fResult.fAction != TFindCommandLine::caHelp)
            fResult.fAction = aAction;
    }

    bool SetFormat(TFindFormat aFormat)
    {
        if (fFormatGiven && fResult.fRequest.fFormat != aFormat)
            return Fail(QStringLiteral("--count, --context, --json and --csv cannot be combined"));
        fFormatGiven = true;
        fResult.fRequest.fFormat = aFormat;
        return true;
    }

    bool SetDate(int aCombo, const QString &aValue)
    {
        if (fDateGiven)
            return Fail(QStringLiteral("only one of --modified, --created and --accessed can be given"));
        fDateGiven = true;
        fResult.fRequest.fForm.SearchOptionsCombo = aCombo;
        QString error;
        return ParseDateRange(aValue, fResult.fRequest.fForm, error) || Fail(error);
    }

    bool SetSize(int aCombo, const QString &aValue)
    {
        if (fSizeGiven)
            return Fail(QStringLiteral("only one of --larger and --smaller can be given"));
        fSizeGiven = true;
        QString error;
        if (!ParseKilobytes(aValue, error))
            return Fail(error);
        TSearchFormValues &form = fResult.fRequest.fForm;
        form.chSize1 = false;
        form.chSize2 = true;
        form.FileSizeCombo = aCombo;
        form.FileSize = aValue;
        return true;
    }

    // A flag without a value; false when aName is none.
    bool Flag(const QString &aName)
    {
        TFindRequest &request = fResult.fRequest;
        TSearchFormValues &form = request.fForm;
        if (aName == u"hidden")
            form.chkShowHidden = true;
        else if (aName == u"no-subfolders")
            form.chSearchInSubfolders = false;
        else if (aName == u"s" || aName == u"case-sensitive")
            form.MatchCase = true;
        else if (aName == u"w" || aName == u"word")
            form.WholeWords = true;
        else if (aName == u"e" || aName == u"regex")
            form.RegularExpression = true;
        else if (aName == u"raw")
            form.CheckBox1 = true;
        else if (aName == u"no-cache")
            request.fNoCache = true;
        else if (aName == u"c" || aName == u"count")
            SetFormat(foCount);
        else if (aName == u"context")
            SetFormat(foContext);
        else if (aName == u"json")
            SetFormat(foJson);
        else if (aName == u"csv")
            SetFormat(foCsv);
        else if (aName == u"0" || aName == u"null")
            request.fNullTerminated = true;
        else if (aName == u"q" || aName == u"quiet")
            request.fQuiet = true;
        else if (aName == u"unreadable")
            request.fListUnreadable = true;
        else if (aName == u"l" || aName == u"files-with-matches")
            ; // the default output: the paths of the files found
        else if (aName == u"h" || aName == u"help")
            Ask(TFindCommandLine::caHelp);
        else if (aName == u"version")
            Ask(TFindCommandLine::caVersion);
        else
            return false;
        return true;
    }

    static bool TakesValue(const QString &aName)
    {
        static const QStringList names = {QStringLiteral("name"),     QStringLiteral("exclude"),
                                          QStringLiteral("larger"),   QStringLiteral("smaller"),
                                          QStringLiteral("modified"), QStringLiteral("created"),
                                          QStringLiteral("accessed"), QStringLiteral("server")};
        return names.contains(aName);
    }

    void Value(const QString &aName, const QString &aValue)
    {
        TFindRequest &request = fResult.fRequest;
        if (aName == u"name") {
            request.fForm.SearchField = aValue;
        } else if (aName == u"exclude") {
            QString &exclude = request.fForm.Exclude;
            exclude += (exclude.isEmpty() ? QString() : QStringLiteral(";")) + aValue;
        } else if (aName == u"larger") {
            SetSize(0, aValue);
        } else if (aName == u"smaller") {
            SetSize(1, aValue);
        } else if (aName == u"accessed") {
            SetDate(0, aValue);
        } else if (aName == u"created") {
            SetDate(1, aValue);
        } else if (aName == u"modified") {
            SetDate(2, aValue);
        } else if (aName == u"server") {
            request.fServer = aValue;
        }
    }
};

QString OptionText(const QString &aName)
{
    return (aName.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + aName;
}

} // namespace

TFindCommandLine ParseFindCommandLine(const QList<QByteArray> &aArguments, TDateTime aNow)
{
    TParser parser;
    parser.fResult.fRequest.fForm = TSearchFormValues(aNow);
    QStringList operands;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < aArguments.size(); ++i) {
        const QByteArray &argument = aArguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            operands.append(FileNameText(argument));
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument.startsWith("--")) {
            const QString text = FileNameText(argument.mid(2));
            const qsizetype equals = text.indexOf(u'=');
            const QString name = equals < 0 ? text : text.left(equals);
            if (TParser::TakesValue(name)) {
                if (equals >= 0) {
                    parser.Value(name, text.mid(equals + 1));
                } else if (i + 1 < aArguments.size()) {
                    parser.Value(name, FileNameText(aArguments[++i]));
                } else {
                    parser.Fail(QStringLiteral("%1 needs a value").arg(OptionText(name)));
                }
            } else if (equals >= 0) {
                parser.Fail(QStringLiteral("%1 takes no value").arg(OptionText(name)));
            } else if (!parser.Flag(name)) {
                parser.Fail(QStringLiteral("unknown option %1").arg(DisplayFileName(OptionText(name))));
            }
            continue;
        }
        // Short flags, one or several after one "-".
        const QString flags = FileNameText(argument.mid(1));
        for (QChar flag : flags)
            if (!parser.Flag(QString(flag)))
                parser.Fail(QStringLiteral("unknown option -%1").arg(DisplayFileName(QString(flag))));
    }

    TFindCommandLine &result = parser.fResult;
    if (result.fAction != TFindCommandLine::caSearch)
        return result;
    if (operands.isEmpty()) {
        parser.Fail(QStringLiteral("the text to find is missing"));
        return result;
    }
    result.fRequest.fForm.edtTextToFind = operands.takeFirst();
    result.fRequest.fFolders = operands;
    return result;
}

QString FindShortUsage()
{
    return QStringLiteral("Usage: ordwell-find [OPTIONS] TEXT [FOLDER...]\n"
                          "Try 'ordwell-find --help' for more information.\n");
}

QString FindUsage()
{
    return QStringLiteral(
        "Usage: ordwell-find [OPTIONS] TEXT [FOLDER...]\n"
        "Finds the files below each FOLDER (the current folder when none is given) whose\n"
        "content holds TEXT: plain text read directly, documents through the extraction server.\n"
        "It searches by the rules of the Ordwell window. An empty TEXT lists every file.\n"
        "\n"
        "Which files:\n"
        "      --name MASK          file name filter, masks separated by ';' (default *.*)\n"
        "      --exclude MASKS      leave out names or folders matching these masks (';')\n"
        "      --hidden             include hidden files and folders (names beginning with '.')\n"
        "      --no-subfolders      search only the named folders, not the folders below\n"
        "      --larger KB          only files of at least KB kilobytes\n"
        "      --smaller KB         only files of at most KB kilobytes\n"
        "      --modified FROM..TO  only files modified in this range of days (YYYY-MM-DD;\n"
        "      --created FROM..TO   either end may be left out, one day alone is that day)\n"
        "      --accessed FROM..TO\n"
        "\n"
        "How TEXT matches:\n"
        "  -s, --case-sensitive     match case\n"
        "  -w, --word               whole words only\n"
        "  -e, --regex              TEXT is a regular expression\n"
        "      --raw                also search the bytes of files in unrecognized formats\n"
        "      --server URL|auto    the extraction server for documents (default: the\n"
        "                           window's setting; auto starts ordwell-extractd when needed)\n"
        "      --no-cache           neither read nor fill the text cache of documents\n"
        "\n"
        "Output (one result per line, as it is found):\n"
        "  -l, --files-with-matches the path of each file found (the default)\n"
        "  -c, --count              path:number of matches\n"
        "      --context            path:page N:the line of the first match\n"
        "      --json               one JSON object per file\n"
        "      --csv                CSV as the window saves its results\n"
        "  -0, --null               end each path with a NUL byte instead of a line feed\n"
        "  -q, --quiet              print nothing, end at the first file found\n"
        "      --unreadable         list the documents that could not be read, and why\n"
        "  -h, --help               show this help and end\n"
        "      --version            show the version and end\n"
        "\n"
        "Exit status: 0 when a file was found, 1 when none was, 2 on an error.\n"
        "See ordwell-find(1).\n");
}
