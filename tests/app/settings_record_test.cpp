// The settings record's bytes: exact layout, round trip, and reading broken records.
#include "app/settings_record.h"

#include <cstring>
#include <gtest/gtest.h>
#include <QtEndian>

namespace {

TSettingsRecord KnownValues()
{
    TSettingsRecord r;
    r.fSearchField = QStringLiteral("*.txt");
    r.fTextToFind = QStringLiteral("Größe");
    r.fSearchAll = false;
    r.fSearchOption = 1;
    r.fMinDate = 45413.0;  // 2024-05-01
    r.fMaxDate = 45415.75; // 2024-05-03 18:00
    r.fSizeAll = false;
    r.fFileSizeOption = 1;
    r.fFileSize = QStringLiteral("250");
    r.fShowHidden = true;
    r.fSearchInSubfolders = false;
    r.fUnrecognizedFormats = true;
    r.fMaximized = false;
    r.fLeft = 100;
    r.fTop = 80;
    r.fWidth = 900;
    r.fHeight = 600;
    r.fPanel3Width = 300;
    r.fPanel7Height = 120;
    r.fPreviewHeight = 150;
    r.fSelectedFolder = QStringLiteral("/home/u/Documents");
    return r;
}

QByteArray Int(int32_t aValue)
{
    char b[4];
    qToLittleEndian<int32_t>(aValue, b);
    return QByteArray(b, 4);
}

QByteArray Str(const QString &aText)
{
    QByteArray bytes = Int(int32_t(aText.size()));
    for (const QChar c : aText) {
        char b[2];
        qToLittleEndian<uint16_t>(c.unicode(), b);
        bytes.append(b, 2);
    }
    return bytes;
}

QByteArray Dbl(double aValue)
{
    uint64_t bits;
    std::memcpy(&bits, &aValue, 8);
    char b[8];
    qToLittleEndian<uint64_t>(bits, b);
    return QByteArray(b, 8);
}

// The layout written out field by field, independent of the codec.
QByteArray ExpectedBytes(const TSettingsRecord &r)
{
    return Int(1) + Str(r.fSearchField) + Str(r.fTextToFind) + char(r.fSearchAll) + Int(r.fSearchOption) +
           Dbl(r.fMinDate) + Dbl(r.fMaxDate) + char(r.fSizeAll) + Int(r.fFileSizeOption) + Str(r.fFileSize) +
           char(r.fShowHidden) + char(r.fSearchInSubfolders) + char(r.fUnrecognizedFormats) +
           char(r.fMaximized) + Int(r.fLeft) + Int(r.fTop) + Int(r.fWidth) + Int(r.fHeight) +
           Int(r.fPanel3Width) + Int(r.fPanel7Height) + Int(r.fPreviewHeight) + Str(r.fSelectedFolder);
}

// Where field 10 ends in ExpectedBytes(KnownValues()): offset of field 11.
qsizetype EndOfField(const TSettingsRecord &r, int aField)
{
    const qsizetype s2 = 4 + 2 * r.fSearchField.size(), s3 = 4 + 2 * r.fTextToFind.size();
    const qsizetype sizes[] = {4, s2, s3, 1, 4, 8, 8, 1, 4, 4 + 2 * r.fFileSize.size()};
    qsizetype end = 0;
    for (int i = 0; i < aField; ++i)
        end += sizes[i];
    return end;
}

TEST(SettingsRecord, EmptyStringsGiveSeventyEightBytes)
{
    TSettingsRecord r;
    r.fSearchField.clear();
    r.fFileSize.clear();
    const QByteArray bytes = EncodeSettingsRecord(r);
    EXPECT_EQ(bytes.size(), 78);
    EXPECT_EQ(bytes, ExpectedBytes(r));
    // An empty string is a zero count and no text bytes.
    EXPECT_EQ(bytes.mid(4, 4), Int(0));
}

TEST(SettingsRecord, KnownValuesAreLaidOutExactly)
{
    const TSettingsRecord r = KnownValues();
    const QByteArray bytes = EncodeSettingsRecord(r);
    EXPECT_EQ(bytes, ExpectedBytes(r));
    EXPECT_EQ(bytes.left(4), QByteArray("\x01\x00\x00\x00", 4));
    EXPECT_EQ(bytes.mid(4, 4), QByteArray("\x05\x00\x00\x00", 4));
    EXPECT_EQ(bytes.mid(8, 10), QByteArray("*\0.\0t\0x\0t\0", 10));
    // Flags are written as 0 or 1.
    EXPECT_EQ(bytes.at(EndOfField(r, 3)), '\0');
}

TEST(SettingsRecord, RoundTrip)
{
    const TSettingsRecord written = KnownValues();
    TSettingsRecord read;
    EXPECT_EQ(DecodeSettingsRecord(EncodeSettingsRecord(written), read), kSettingsFieldCount);
    EXPECT_EQ(read, written);
}

TEST(SettingsRecord, MaximizedWindowAndNonBmpText)
{
    TSettingsRecord written = KnownValues();
    written.fMaximized = true;
    written.fTextToFind = QString::fromUtf8("\xF0\x9F\x98\x80 emoji");
    TSettingsRecord read;
    EXPECT_EQ(DecodeSettingsRecord(EncodeSettingsRecord(written), read), kSettingsFieldCount);
    EXPECT_EQ(read, written);
}

TEST(SettingsRecord, AnyNonZeroFlagIsTrue)
{
    const TSettingsRecord r = KnownValues();
    QByteArray bytes = EncodeSettingsRecord(r);
    bytes[EndOfField(r, 10)] = char(0x7f);
    TSettingsRecord read;
    read.fShowHidden = false;
    DecodeSettingsRecord(bytes, read);
    EXPECT_TRUE(read.fShowHidden);
}

TEST(SettingsRecord, FileCutAfterFieldNineKeepsTheRest)
{
    const TSettingsRecord written = KnownValues();
    const QByteArray bytes = EncodeSettingsRecord(written).left(EndOfField(written, 9));
    const TSettingsRecord defaults;
    TSettingsRecord read;
    EXPECT_EQ(DecodeSettingsRecord(bytes, read), 9);
    EXPECT_EQ(read.fSearchField, written.fSearchField);
    EXPECT_EQ(read.fTextToFind, written.fTextToFind);
    EXPECT_EQ(read.fSearchAll, false);
    EXPECT_EQ(read.fSearchOption, 1);
    EXPECT_EQ(read.fMinDate, written.fMinDate);
    EXPECT_EQ(read.fMaxDate, written.fMaxDate);
    EXPECT_EQ(read.fSizeAll, false);
    EXPECT_EQ(read.fFileSizeOption, 1);
    EXPECT_EQ(read.fFileSize, defaults.fFileSize);
    EXPECT_EQ(read.fShowHidden, defaults.fShowHidden);
    EXPECT_EQ(read.fWidth, defaults.fWidth);
    EXPECT_EQ(read.fSelectedFolder, defaults.fSelectedFolder);
}

TEST(SettingsRecord, EveryCutReadsExactlyTheWholeFields)
{
    const TSettingsRecord written = KnownValues();
    const QByteArray bytes = EncodeSettingsRecord(written);
    int previous = 0;
    for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
        TSettingsRecord read;
        const int fields = DecodeSettingsRecord(bytes.left(cut), read);
        EXPECT_GE(fields, previous);
        previous = fields;
    }
    EXPECT_EQ(previous, kSettingsFieldCount);
}

TEST(SettingsRecord, EmptyBytesReadNothing)
{
    TSettingsRecord read;
    EXPECT_EQ(DecodeSettingsRecord(QByteArray(), read), 0);
    EXPECT_EQ(read, TSettingsRecord());
}

TEST(SettingsRecord, NonNumericSizeTextIsKeptAndStopsTheReading)
{
    for (const QString &text : {QString(), QStringLiteral("12a"), QStringLiteral("1.000"),
                                QStringLiteral("1 000"), QStringLiteral("99999999999")}) {
        TSettingsRecord written = KnownValues();
        written.fFileSize = text;
        TSettingsRecord read;
        EXPECT_EQ(DecodeSettingsRecord(EncodeSettingsRecord(written), read), 10) << text.toStdString();
        EXPECT_EQ(read.fFileSize, text);
        EXPECT_EQ(read.fShowHidden, TSettingsRecord().fShowHidden);
        EXPECT_EQ(read.fSelectedFolder, QString());
    }
}

TEST(SettingsRecord, GiantStringCountStopsWithoutAllocating)
{
    const TSettingsRecord written = KnownValues();
    QByteArray bytes = EncodeSettingsRecord(written);
    // Field 3's count claims two thousand million characters.
    const qsizetype at = EndOfField(written, 2);
    bytes.replace(at, 4, Int(0x7fffffff));
    TSettingsRecord read;
    EXPECT_EQ(DecodeSettingsRecord(bytes, read), 2);
    EXPECT_EQ(read.fSearchField, written.fSearchField);
    EXPECT_EQ(read.fTextToFind, QString());
}

TEST(SettingsRecord, NegativeStringCountIsAnEmptyString)
{
    QByteArray bytes = Int(1) + Int(-5) + Str(QStringLiteral("x"));
    TSettingsRecord read;
    EXPECT_EQ(DecodeSettingsRecord(bytes, read), 3);
    EXPECT_EQ(read.fSearchField, QString());
    EXPECT_EQ(read.fTextToFind, QStringLiteral("x"));
}

TEST(SettingsRecord, OtherVersionIsReadLikeOne)
{
    TSettingsRecord written = KnownValues();
    written.fVersion = 7;
    TSettingsRecord read;
    EXPECT_EQ(DecodeSettingsRecord(EncodeSettingsRecord(written), read), kSettingsFieldCount);
    EXPECT_EQ(read.fSelectedFolder, written.fSelectedFolder);
}

TEST(SettingsRecord, SizeTextParsing)
{
    int32_t value = -1;
    EXPECT_TRUE(ParseSizeText(QStringLiteral("250"), value));
    EXPECT_EQ(value, 250);
    EXPECT_TRUE(ParseSizeText(QStringLiteral(" -3"), value));
    EXPECT_EQ(value, -3);
    EXPECT_FALSE(ParseSizeText(QStringLiteral("+"), value));
    EXPECT_FALSE(ParseSizeText(QStringLiteral("0x10"), value));
    EXPECT_FALSE(ParseSizeText(QStringLiteral("2147483648"), value));
}

} // namespace
