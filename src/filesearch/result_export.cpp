// CSV and tab-separated forms of the result list's rows.
#include "filesearch/result_export.h"

#include "filesearch/custom_file_list.h"
#include "platform/file_name.h"

namespace {

QByteArray CsvField(const QByteArray &aField)
{
    if (!aField.contains(',') && !aField.contains('"') && !aField.contains('\r') && !aField.contains('\n'))
        return aField;
    QByteArray quoted = aField;
    quoted.replace("\"", "\"\"");
    return '"' + quoted + '"';
}

QString TabField(QString aField)
{
    for (QChar &unit : aField)
        if (unit == u'\t' || unit == u'\r' || unit == u'\n')
            unit = u' ';
    return aField;
}

QList<int> RowsOf(const TZorCustomFileList &aList, const QList<int> &aRows)
{
    if (!aRows.isEmpty())
        return aRows;
    QList<int> every;
    for (int row = 0; row < aList.Count(); ++row)
        every.append(row);
    return every;
}

QString SizeText(int64_t aSize)
{
    return aSize < 0 ? QString() : QString::number(aSize);
}

} // namespace

QByteArray ResultsCsv(const TZorCustomFileList &aList, const QList<int> &aRows)
{
    QByteArray csv = "path,name,folder,size,modified,matches,context\r\n";
    for (int row : RowsOf(aList, aRows)) {
        if (row < 0 || row >= aList.Count())
            continue;
        const TZorFileListItem &item = aList.Item(row);
        const QList<QByteArray> fields = {
            FileNameBytes(item.DisplayPath()),
            FileNameBytes(item.Caption()),
            FileNameBytes(item.InFolder()),
            SizeText(item.Size()).toUtf8(),
            item.DateModified().isValid() ? item.DateModified().toString(Qt::ISODate).toUtf8() : QByteArray(),
            item.Matches() > 0 ? QByteArray::number(item.Matches()) : QByteArray(),
            item.Context().toUtf8()};
        for (qsizetype i = 0; i < fields.size(); ++i)
            csv += (i > 0 ? "," : "") + CsvField(fields[i]);
        csv += "\r\n";
    }
    return csv;
}

QString ResultsTabSeparated(const TZorCustomFileList &aList, const QList<int> &aRows)
{
    QString text;
    for (int row : aRows) {
        if (row < 0 || row >= aList.Count())
            continue;
        const TZorFileListItem &item = aList.Item(row);
        const QStringList fields = {DisplayFileName(item.DisplayPath()),
                                    DisplayFileName(item.Caption()),
                                    DisplayFileName(item.InFolder()),
                                    SizeText(item.Size()),
                                    item.DateModified().isValid() ? item.DateModified().toString(Qt::ISODate)
                                                                  : QString(),
                                    item.Matches() > 0 ? QString::number(item.Matches()) : QString(),
                                    item.Context()};
        QStringList cleaned;
        for (const QString &field : fields)
            cleaned << TabField(field);
        text += cleaned.join(u'\t') + u'\n';
    }
    return text;
}
