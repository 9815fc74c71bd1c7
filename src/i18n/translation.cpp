// The translation table loaded from "transl.dt" and Translate, through which every user-visible
// English phrase passes before it is shown.
#include "i18n/translation.h"

#include "i18n/language_choice.h"
#include "threads/run_context.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

QList<QStringList> &TranslationTable()
{
    return RunContext().TranslationTable;
}

int32_t &CurrentLanguageIndex()
{
    return RunContext().CurrentLanguageIndex;
}

QString &CurrentLanguageCode()
{
    return RunContext().CurrentLanguageCode;
}

namespace {

// A real table is a few hundred kilobytes; anything far larger is not ours and is not read.
constexpr qint64 kMaxTableFileSize = 16 * 1024 * 1024;

// Splits at CR LF, LF or CR; a break at the very end does not start another line.
QStringList SplitLines(const QString &aText)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype length = aText.size();
    for (qsizetype i = 0; i < length; ++i) {
        const QChar c = aText.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(aText.mid(start, i - start));
        if (c == u'\r' && i + 1 < length && aText.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < length)
        lines.append(aText.mid(start));
    return lines;
}

QByteArray ReadTableFile(const QString &aFileName)
{
    const QFileInfo info(aFileName);
    if (!info.isFile())
        throw std::runtime_error("Cannot find translation file: " + aFileName.toStdString());
    if (info.size() > kMaxTableFileSize)
        throw std::runtime_error("Translation file too large: " + aFileName.toStdString());
    QFile file(aFileName);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("Cannot open translation file: " + aFileName.toStdString());
    // The size may have grown since the check: never read past the limit.
    QByteArray bytes = file.read(kMaxTableFileSize + 1);
    if (bytes.size() > kMaxTableFileSize)
        throw std::runtime_error("Translation file too large: " + aFileName.toStdString());
    return bytes;
}

} // namespace

QStringList TranslationFileCandidates()
{
    const QString dir = QCoreApplication::applicationDirPath();
    return {dir + QStringLiteral("/transl.dt"),
            QDir::cleanPath(dir + QStringLiteral("/../share/ordwell/transl.dt"))};
}

QList<QStringList> ParseTranslationTable(const QByteArray &aBytes)
{
    QByteArrayView bytes(aBytes);
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    const QStringList lines = SplitLines(QString::fromUtf8(bytes));
    if (lines.isEmpty())
        throw std::runtime_error("Empty translation file");
    bool ok = false;
    const int count = lines.first().trimmed().toInt(&ok, 10);
    if (!ok || count < 0)
        throw std::runtime_error("Translation file: first line is not a language count");
    if (count == 0)
        return {};
    // The count is trusted only as far as the lines prove it: two complete rows at least.
    const qsizetype cells = lines.size() - 1;
    if (cells / count < 2)
        throw std::runtime_error("Translation file: fewer than two complete rows");
    const qsizetype rows = cells / count;
    QList<QStringList> table(count);
    for (int c = 0; c < count; ++c) {
        table[c].reserve(rows);
        for (qsizetype r = 0; r < rows; ++r)
            table[c].append(lines.at(r * count + c + 1));
    }
    return table;
}

void LoadTranslationsFrom(const QStringList &aFileNames)
{
    CurrentLanguageCode() = DetectSystemLanguage();
    if (const std::optional<QString> stored = ReadStoredLanguage())
        CurrentLanguageCode() = *stored;

    CurrentLanguageIndex() = 0;
    TranslationTable().clear();
    try {
        QString fileName;
        for (const QString &candidate : aFileNames) {
            if (QFileInfo(candidate).isFile()) {
                fileName = candidate;
                break;
            }
        }
        if (fileName.isEmpty())
            throw std::runtime_error("Cannot find translation file: " + aFileNames.join(u", ").toStdString());
        TranslationTable() = ParseTranslationTable(ReadTableFile(fileName));
        for (int c = 0; c < TranslationTable().size(); ++c) {
            if (TranslationTable().at(c).at(1).compare(CurrentLanguageCode(), Qt::CaseInsensitive) == 0) {
                CurrentLanguageIndex() = c;
                break;
            }
        }
    } catch (const std::exception &) {
        // A missing or broken table means an English interface; the user is not told.
        TranslationTable().clear();
        CurrentLanguageIndex() = 0;
    }
}

void LoadTranslations()
{
    LoadTranslationsFrom(TranslationFileCandidates());
}

QString Translate(const QString &aPhrase)
{
    if (CurrentLanguageIndex() <= 0 || CurrentLanguageIndex() >= TranslationTable().size())
        return aPhrase;
    const QStringList &english = TranslationTable().at(0);
    const QStringList &current = TranslationTable().at(CurrentLanguageIndex());
    for (qsizetype r = 0; r < english.size(); ++r) {
        if (english.at(r) == aPhrase) {
            const QString &cell = current.at(r);
            return cell.isEmpty() ? aPhrase : cell;
        }
    }
    return aPhrase;
}
