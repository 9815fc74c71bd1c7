// The lossless mapping between file-name bytes and the program's UTF-16 paths.
#include "platform/file_name.h"

namespace {

constexpr char16_t kRawByteBase = 0xDC00;

bool IsRawByteUnit(char16_t aUnit)
{
    return aUnit >= 0xDC80 && aUnit <= 0xDCFF;
}

void AppendUtf8(QByteArray &aOut, char32_t aCode)
{
    if (aCode < 0x80) {
        aOut.append(char(aCode));
    } else if (aCode < 0x800) {
        aOut.append(char(0xC0 | (aCode >> 6)));
        aOut.append(char(0x80 | (aCode & 0x3F)));
    } else if (aCode < 0x10000) {
        aOut.append(char(0xE0 | (aCode >> 12)));
        aOut.append(char(0x80 | ((aCode >> 6) & 0x3F)));
        aOut.append(char(0x80 | (aCode & 0x3F)));
    } else {
        aOut.append(char(0xF0 | (aCode >> 18)));
        aOut.append(char(0x80 | ((aCode >> 12) & 0x3F)));
        aOut.append(char(0x80 | ((aCode >> 6) & 0x3F)));
        aOut.append(char(0x80 | (aCode & 0x3F)));
    }
}

// The length of the valid UTF-8 sequence at aBytes[aIndex] (shortest form, no surrogates, at
// most U+10FFFF) and its code point; 0 when there is none.
int ValidSequence(QByteArrayView aBytes, qsizetype aIndex, char32_t &aCode)
{
    const auto byte = [&](qsizetype i) { return uchar(aBytes[i]); };
    const uchar lead = byte(aIndex);
    int length = 0;
    char32_t min = 0;
    if (lead < 0x80) {
        aCode = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        aCode = lead & 0x1F;
        min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        aCode = lead & 0x0F;
        min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        aCode = lead & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (aIndex + length > aBytes.size())
        return 0;
    for (int k = 1; k < length; ++k) {
        const uchar tail = byte(aIndex + k);
        if ((tail & 0xC0) != 0x80)
            return 0;
        aCode = (aCode << 6) | (tail & 0x3F);
    }
    if (aCode < min || aCode > 0x10FFFF || (aCode >= 0xD800 && aCode <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

QByteArray FileNameBytes(QStringView aPath)
{
    QByteArray bytes;
    bytes.reserve(aPath.size());
    const qsizetype n = aPath.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t unit = aPath[i].unicode();
        if (unit < 0x80) {
            bytes.append(char(unit));
        } else if (IsRawByteUnit(unit)) {
            bytes.append(char(unit - kRawByteBase));
        } else if (QChar::isHighSurrogate(unit) && i + 1 < n &&
                   QChar::isLowSurrogate(aPath[i + 1].unicode())) {
            AppendUtf8(bytes, QChar::surrogateToUcs4(unit, aPath[i + 1].unicode()));
            ++i;
        } else if (QChar::isSurrogate(unit)) {
            AppendUtf8(bytes, 0xFFFD);
        } else {
            AppendUtf8(bytes, unit);
        }
    }
    return bytes;
}

QString FileNameText(QByteArrayView aBytes)
{
    QString text;
    text.reserve(aBytes.size());
    for (qsizetype i = 0; i < aBytes.size();) {
        char32_t code = 0;
        const int length = ValidSequence(aBytes, i, code);
        if (length == 0) {
            text.append(QChar(char16_t(kRawByteBase + uchar(aBytes[i]))));
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            text.append(QChar(QChar::highSurrogate(code)));
            text.append(QChar(QChar::lowSurrogate(code)));
        } else {
            text.append(QChar(char16_t(code)));
        }
        i += length;
    }
    return text;
}

QString DisplayFileName(QStringView aPath)
{
    QString shown = aPath.toString();
    for (QChar &unit : shown)
        if (IsRawByteUnit(unit.unicode()))
            unit = QChar(QChar::ReplacementCharacter);
    return shown;
}

bool HasRawBytes(QStringView aPath)
{
    for (QChar unit : aPath)
        if (IsRawByteUnit(unit.unicode()))
            return true;
    return false;
}

QUrl FileUrl(const QString &aPath)
{
    if (!HasRawBytes(aPath))
        return QUrl::fromLocalFile(aPath);
    // Every byte outside the unreserved set and "/" is percent-encoded as it is.
    QByteArray encoded = FileNameBytes(aPath).toPercentEncoding("/");
    return QUrl::fromEncoded("file://" + encoded, QUrl::StrictMode);
}

QString PathOfFileUrl(const QUrl &aUrl)
{
    if (!aUrl.isLocalFile())
        return {};
    const QByteArray path = aUrl.path(QUrl::FullyEncoded).toLatin1();
    return FileNameText(QByteArray::fromPercentEncoding(path));
}
