// The record formats of ordwell-find and the writing of them.
#include "find/find_printer.h"

#include "filesearch/custom_file_list.h"
#include "filesearch/file_list_item.h"
#include "filesearch/result_export.h"
#include "platform/file_name.h"

#include <cerrno>
#include <unistd.h>

namespace {

const char cHexDigits[] = "0123456789abcdef";

void AppendUnitEscape(QByteArray &aOut, char16_t aUnit)
{
    aOut += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        aOut += cHexDigits[(aUnit >> shift) & 0xF];
}

} // namespace

QByteArray JsonString(QStringView aText)
{
    QByteArray out;
    out.reserve(aText.size() + 2);
    out += '"';
    for (qsizetype i = 0; i < aText.size(); ++i) {
        const char16_t unit = aText[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < aText.size() &&
            QChar::isLowSurrogate(aText[i + 1].unicode())) {
            out += aText.sliced(i, 2).toUtf8();
            ++i;
        } else if (QChar::isSurrogate(unit)) {
            AppendUnitEscape(out, unit);
        } else if (unit == u'"') {
            out += "\\\"";
        } else if (unit == u'\\') {
            out += "\\\\";
        } else if (unit == u'\n') {
            out += "\\n";
        } else if (unit == u'\r') {
            out += "\\r";
        } else if (unit == u'\t') {
            out += "\\t";
        } else if (unit < 0x20 || unit == 0x7F) {
            AppendUnitEscape(out, unit);
        } else {
            out += aText.sliced(i, 1).toUtf8();
        }
    }
    out += '"';
    return out;
}

TFindPrinter::TFindPrinter(const TFindRequest &aRequest, int aFd)
    : fFormat(aRequest.fFormat), fTerminator(aRequest.fNullTerminated ? '\0' : '\n'), fFd(aFd)
{
}

QByteArray TFindPrinter::Header() const
{
    if (fFormat != foCsv)
        return {};
    const QByteArray csv = ResultsCsv(TZorCustomFileList());
    return csv;
}

QByteArray TFindPrinter::Record(const TZorCustomFileList &aList, int aRow, const QString &aShownPath) const
{
    const TZorFileListItem &item = aList.Item(aRow);
    QByteArray record;
    switch (fFormat) {
    case foPaths:
        record = FileNameBytes(aShownPath);
        break;
    case foCount:
        record = FileNameBytes(aShownPath) + ':' + QByteArray::number(item.Matches());
        break;
    case foContext:
        record = FileNameBytes(aShownPath) + ':';
        if (item.Page() > 0)
            record += "page " + QByteArray::number(item.Page()) + ':';
        record += item.Context().toUtf8();
        break;
    case foJson:
        return JsonRecord(item, aShownPath) + '\n';
    case foCsv: {
        // The window's export of this one row, without its header.
        const QByteArray csv = ResultsCsv(aList, {aRow});
        return csv.mid(csv.indexOf("\r\n") + 2);
    }
    }
    return record + fTerminator;
}

QByteArray TFindPrinter::JsonRecord(const TZorFileListItem &aItem, const QString &aShownPath) const
{
    QByteArray json = "{\"path\":" + JsonString(aShownPath) + ",\"member\":null,\"size\":";
    const int64_t size = aItem.Size();
    json += size < 0 ? QByteArray("null") : QByteArray::number(size);
    json += ",\"modified\":";
    const QDateTime modified = aItem.DateModified();
    json += modified.isValid() ? JsonString(modified.toString(Qt::ISODate)) : QByteArray("null");
    json += ",\"matches\":";
    json += aItem.Matches() > 0 ? QByteArray::number(aItem.Matches()) : QByteArray("null");
    json += ",\"page\":";
    json += aItem.Page() > 0 ? QByteArray::number(aItem.Page()) : QByteArray("null");
    json += ",\"context\":";
    json +=
        aItem.Matches() > 0 || !aItem.Context().isEmpty() ? JsonString(aItem.Context()) : QByteArray("null");
    json += '}';
    return json;
}

bool TFindPrinter::Write(const QByteArray &aBytes)
{
    if (fBroken)
        return false;
    qsizetype done = 0;
    while (done < aBytes.size()) {
        const ssize_t written = ::write(fFd, aBytes.constData() + done, size_t(aBytes.size() - done));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            fWriteError = errno == EPIPE ? 0 : errno;
            fBroken = true;
            return false;
        }
        done += written;
    }
    return true;
}
