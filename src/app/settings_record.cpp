// The settings record and its byte layout in "settings.dt".
#include "app/settings_record.h"

#include <cstring>
#include <QtEndian>

namespace {

class TRecordWriter
{
public:
    void Int(int32_t aValue)
    {
        char bytes[4];
        qToLittleEndian<int32_t>(aValue, bytes);
        fBytes.append(bytes, 4);
    }
    void Flag(bool aValue) { fBytes.append(aValue ? '\1' : '\0'); }
    void Date(double aValue)
    {
        uint64_t bits = 0;
        std::memcpy(&bits, &aValue, sizeof bits);
        char bytes[8];
        qToLittleEndian<uint64_t>(bits, bytes);
        fBytes.append(bytes, 8);
    }
    void String(const QString &aValue)
    {
        Int(int32_t(aValue.size()));
        for (const QChar c : aValue) {
            char bytes[2];
            qToLittleEndian<uint16_t>(c.unicode(), bytes);
            fBytes.append(bytes, 2);
        }
    }
    QByteArray fBytes;
};

class TRecordReader
{
public:
    explicit TRecordReader(const QByteArray &aBytes) : fBytes(aBytes) {}

    bool Int(int32_t &aValue)
    {
        if (Left() < 4)
            return false;
        aValue = qFromLittleEndian<int32_t>(fBytes.constData() + fPos);
        fPos += 4;
        return true;
    }
    bool Flag(bool &aValue)
    {
        if (Left() < 1)
            return false;
        aValue = fBytes.at(fPos) != 0;
        fPos += 1;
        return true;
    }
    bool Date(double &aValue)
    {
        if (Left() < 8)
            return false;
        const uint64_t bits = qFromLittleEndian<uint64_t>(fBytes.constData() + fPos);
        std::memcpy(&aValue, &bits, sizeof aValue);
        fPos += 8;
        return true;
    }
    bool String(QString &aValue)
    {
        int32_t count = 0;
        if (!Int(count))
            return false;
        if (count <= 0) {
            aValue.clear();
            return true;
        }
        // Checked before anything is allocated: a count larger than the bytes left is an error.
        if (int64_t(count) * 2 > Left())
            return false;
        QString text(count, Qt::Uninitialized);
        for (int32_t i = 0; i < count; ++i)
            text[i] = QChar(qFromLittleEndian<uint16_t>(fBytes.constData() + fPos + 2 * qsizetype(i)));
        fPos += 2 * qsizetype(count);
        aValue = text;
        return true;
    }

private:
    qsizetype Left() const { return fBytes.size() - fPos; }

    const QByteArray &fBytes;
    qsizetype fPos = 0;
};

} // namespace

QByteArray EncodeSettingsRecord(const TSettingsRecord &aRecord)
{
    TRecordWriter w;
    w.Int(aRecord.fVersion);
    w.String(aRecord.fSearchField);
    w.String(aRecord.fTextToFind);
    w.Flag(aRecord.fSearchAll);
    w.Int(aRecord.fSearchOption);
    w.Date(aRecord.fMinDate);
    w.Date(aRecord.fMaxDate);
    w.Flag(aRecord.fSizeAll);
    w.Int(aRecord.fFileSizeOption);
    w.String(aRecord.fFileSize);
    w.Flag(aRecord.fShowHidden);
    w.Flag(aRecord.fSearchInSubfolders);
    w.Flag(aRecord.fUnrecognizedFormats);
    w.Flag(aRecord.fMaximized);
    w.Int(aRecord.fLeft);
    w.Int(aRecord.fTop);
    w.Int(aRecord.fWidth);
    w.Int(aRecord.fHeight);
    w.Int(aRecord.fPanel3Width);
    w.Int(aRecord.fPanel7Height);
    w.Int(aRecord.fPreviewHeight);
    w.String(aRecord.fSelectedFolder);
    return w.fBytes;
}

int DecodeSettingsRecord(const QByteArray &aBytes, TSettingsRecord &aRecord)
{
    TRecordReader r(aBytes);
    TSettingsRecord &v = aRecord;
    int read = 0;
    // Each field is stored into the record as soon as it is read, so a short file keeps the
    // fields it has and leaves the rest as they were.
    auto step = [&read](bool aOk) {
        if (aOk)
            ++read;
        return aOk;
    };
    int32_t size = 0;
    step(r.Int(v.fVersion)) && step(r.String(v.fSearchField)) && step(r.String(v.fTextToFind)) &&
        step(r.Flag(v.fSearchAll)) && step(r.Int(v.fSearchOption)) && step(r.Date(v.fMinDate)) &&
        step(r.Date(v.fMaxDate)) && step(r.Flag(v.fSizeAll)) && step(r.Int(v.fFileSizeOption)) &&
        step(r.String(v.fFileSize)) && ParseSizeText(v.fFileSize, size) && step(r.Flag(v.fShowHidden)) &&
        step(r.Flag(v.fSearchInSubfolders)) && step(r.Flag(v.fUnrecognizedFormats)) &&
        step(r.Flag(v.fMaximized)) && step(r.Int(v.fLeft)) && step(r.Int(v.fTop)) && step(r.Int(v.fWidth)) &&
        step(r.Int(v.fHeight)) && step(r.Int(v.fPanel3Width)) && step(r.Int(v.fPanel7Height)) &&
        step(r.Int(v.fPreviewHeight)) && step(r.String(v.fSelectedFolder));
    return read;
}

bool ParseSizeText(const QString &aText, int32_t &aValue)
{
    const QString text = aText.trimmed();
    if (text.isEmpty())
        return false;
    qsizetype i = (text.at(0) == u'+' || text.at(0) == u'-') ? 1 : 0;
    if (i == text.size())
        return false;
    for (qsizetype k = i; k < text.size(); ++k) {
        if (text.at(k) < u'0' || text.at(k) > u'9')
            return false;
    }
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (ok)
        aValue = value;
    return ok;
}
