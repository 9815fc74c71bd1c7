// File text extraction: extensions, the text test, direct reading in the file's encoding with its
// limits, and the hand-over of other files (RTF among them) to the server.
#include "content/text_extraction.h"
#include "platform/ansi_code_page.h"
#include "support/fake_extraction_server.h"
#include "support/test_files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <unistd.h>

namespace {

TEST(FileExtensionTest, FromTheLastDotOfTheName)
{
    EXPECT_EQ(ExtractFileExt(u"/a/b.txt"), ".txt");
    EXPECT_EQ(ExtractFileExt(u"/a/b.tar.GZ"), ".GZ");
    EXPECT_EQ(ExtractFileExt(u"/a/b"), "");
    EXPECT_EQ(ExtractFileExt(u"/a.d/b"), "");
    EXPECT_EQ(ExtractFileExt(u"/a/.env"), ".env");
    EXPECT_EQ(ExtractFileExt(u"/a/b."), ".");
    EXPECT_EQ(ExtractFileExt(u"b.md"), ".md");
}

TEST(FileExtensionTest, PlainTextTableIgnoresCaseOfLetters)
{
    EXPECT_TRUE(IsPlainTextExtension(u".TXT"));
    EXPECT_TRUE(IsPlainTextExtension(u".Md"));
    EXPECT_TRUE(IsPlainTextExtension(u".mk"));
    EXPECT_FALSE(IsPlainTextExtension(u".pdf"));
    EXPECT_FALSE(IsPlainTextExtension(u""));
    EXPECT_FALSE(IsPlainTextExtension(u"txt"));
    EXPECT_FALSE(IsPlainTextExtension(u".rtf")); // a document
    QSet<QString> distinct;
    for (QStringView entry : PlainTextExtensions) {
        EXPECT_TRUE(entry.startsWith(u'.') && entry.size() > 1 && entry == entry.toString().toLower())
            << entry.toString().toStdString();
        distinct.insert(entry.toString());
    }
    EXPECT_EQ(distinct.size(), 79);
    EXPECT_EQ(PlainTextExtensions.front(), u".txt");
    EXPECT_EQ(PlainTextExtensions.back(), u".mk");
}

TEST(LooksLikeTextTest, ControlCharacterThreshold)
{
    EXPECT_FALSE(LooksLikeText("abc", 0));
    EXPECT_FALSE(LooksLikeText("", 5));
    EXPECT_FALSE(LooksLikeText(QByteArray("ab\0c", 4), 4));
    EXPECT_TRUE(LooksLikeText(QByteArray("ab\0c", 4), 2)); // only the first Count bytes count
    QByteArray sample(100, 'a');
    for (int i = 0; i < 29; ++i)
        sample[i] = '\x01';
    EXPECT_TRUE(LooksLikeText(sample, 100));
    sample[29] = '\x1F';
    EXPECT_FALSE(LooksLikeText(sample, 100));
    EXPECT_TRUE(LooksLikeText(QByteArray(100, '\t') + QByteArray(100, '\n') + QByteArray(100, '\r'), 300));
    EXPECT_TRUE(LooksLikeText("\x7F\x80\xFF", 3));
    EXPECT_TRUE(LooksLikeText("abc", 1000)); // clamped to the bytes given
}

// The test reads blocks of 64 bytes: every length and place of a zero byte or a control
// character around the blocks' borders gives what the rule written plainly gives.
TEST(LooksLikeTextTest, AgreesWithTheRuleAcrossBlockBorders)
{
    const auto rule = [](const QByteArray &aBytes) {
        int64_t controls = 0;
        for (const char c : aBytes) {
            const auto b = uint8_t(c);
            if (b == 0)
                return false;
            if (b < 0x20 && b != 0x09 && b != 0x0A && b != 0x0D)
                ++controls;
        }
        return !aBytes.isEmpty() && controls * 100 / aBytes.size() < 30;
    };
    for (const int size : {1, 63, 64, 65, 127, 128, 129, 200, 8192}) {
        for (const int at : {0, 1, 62, 63, 64, 65, 127, 128, size - 1}) {
            if (at < 0 || at >= size)
                continue;
            QByteArray zero(size, 'a');
            zero[at] = '\0';
            EXPECT_EQ(LooksLikeText(zero, size), rule(zero)) << size << " zero at " << at;
            // Controls from the start up to at: around the 30 percent threshold for some sizes.
            QByteArray controls(size, 'b');
            for (int i = 0; i <= at; ++i)
                controls[i] = i % 3 == 0 ? '\x1B' : '\x01';
            EXPECT_EQ(LooksLikeText(controls, size), rule(controls)) << size << " controls to " << at;
        }
    }
}

class ExtractFileTextTest : public ::testing::Test
{
protected:
    QTemporaryDir fDir;
    TFakeExtractionServer fServer;
    QString fText = "stale";

    QString Write(const QString &aName, const QByteArray &aBytes)
    {
        return WriteTestFile(fDir.filePath(aName), aBytes);
    }
    bool Extract(const QString &aPath, int32_t aMaxBytes = MaxPlainTextBytes)
    {
        return ExtractFileText(aPath, aMaxBytes, fText, fServer.Address());
    }
};

TEST_F(ExtractFileTextTest, PlainTextIsReadDirectly)
{
    EXPECT_TRUE(Extract(Write("a.txt", "Hello\r\nWorld")));
    EXPECT_EQ(fText, "Hello\r\nWorld");
    EXPECT_TRUE(Extract(Write("b.TXT", "capital extension")));
    EXPECT_EQ(fText, "capital extension");
    EXPECT_TRUE(Extract(Write(".env", "KEY=1")));
    EXPECT_TRUE(Extract(Write("page.html", "<b>markup</b>")));
    EXPECT_EQ(fText, "<b>markup</b>");
    EXPECT_EQ(fServer.RequestCount(), 0u);
}

TEST_F(ExtractFileTextTest, ByteOrderMarkIsDropped)
{
    EXPECT_TRUE(Extract(Write("bom.txt", "\xEF\xBB\xBFGr\xC3\xBC\xC3\x9F"
                                         "e")));
    EXPECT_EQ(fText, QString::fromUtf8("Grüße"));
    EXPECT_FALSE(Extract(Write("only-bom.txt", "\xEF\xBB\xBF")));
}

TEST_F(ExtractFileTextTest, Utf16IsTextWithOrWithoutAMark)
{
    const QByteArray utf16("H\0e\0l\0l\0o\0", 10);
    EXPECT_TRUE(Extract(Write("marked.txt", "\xFF\xFE" + utf16)));
    EXPECT_EQ(fText, "Hello");
    EXPECT_TRUE(Extract(Write("unmarked.txt", utf16)));
    EXPECT_EQ(fText, "Hello");
    EXPECT_EQ(fServer.RequestCount(), 0u);
}

TEST_F(ExtractFileTextTest, EmptyAndNonTextFilesFailWithoutAskingTheServer)
{
    EXPECT_FALSE(Extract(Write("empty.txt", "")));
    EXPECT_TRUE(fText.isEmpty());
    EXPECT_FALSE(Extract(Write("binary.txt", QByteArray("\x01\x02\0\0\x03\0\0\x04", 8).repeated(100))));
    QByteArray controls(8192, 'a');
    for (int i = 0; i < 8192 * 30 / 100 + 1; ++i)
        controls[i * 3 % 8192] = '\x02';
    controls += QByteArray(100000, 'b'); // bytes after the sample do not count
    EXPECT_FALSE(Extract(Write("controls.log", controls)));
    EXPECT_EQ(fServer.RequestCount(), 0u);
}

TEST_F(ExtractFileTextTest, MissingFolderAndOddFilesFail)
{
    fText = "stale";
    EXPECT_FALSE(Extract(fDir.filePath("missing.txt")));
    EXPECT_TRUE(fText.isEmpty());
    EXPECT_FALSE(Extract(fDir.path()));
    const QByteArray fifo = QFile::encodeName(fDir.filePath("pipe.txt"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    EXPECT_FALSE(Extract(fDir.filePath("pipe.txt")));
    EXPECT_EQ(fServer.RequestCount(), 0u);
}

TEST_F(ExtractFileTextTest, OddNamesWork)
{
    EXPECT_TRUE(Extract(Write("with space\nand newline.txt", "odd")));
    EXPECT_EQ(fText, "odd");
    // A name that is not UTF-8 cannot be named by the program's text; it must fail quietly.
    const QByteArray raw = QFile::encodeName(fDir.path()) + "/bad\xFF\xFE.txt";
    const int descriptor = ::open(raw.constData(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(descriptor, 0);
    ASSERT_EQ(::write(descriptor, "data", 4), 4);
    ::close(descriptor);
    Extract(QFile::decodeName(raw));
    // The temporary folder cannot name this file either; remove it here.
    EXPECT_EQ(::unlink(raw.constData()), 0);
}

TEST_F(ExtractFileTextTest, ReadsAtMostTheLimitAndDropsACharacterCutThere)
{
    QByteArray bytes(MaxPlainTextBytes - 1, 'x');
    bytes += "\xC3\xA9"; // é across the 2 MiB limit
    bytes += QByteArray(1024 * 1024, 'y');
    EXPECT_TRUE(Extract(Write("big.log", bytes)));
    ASSERT_EQ(fText.size(), MaxPlainTextBytes - 1);
    EXPECT_EQ(fText.back(), u'x');
    EXPECT_FALSE(fText.contains(u'y'));

    EXPECT_TRUE(Extract(Write("big.log", bytes), 0));
    EXPECT_EQ(fText.size(), MaxPlainTextBytes - 1);
    EXPECT_TRUE(Extract(Write("big.log", bytes), 5));
    EXPECT_EQ(fText, "xxxxx");
}

TEST_F(ExtractFileTextTest, HugeSparseFileReadsOnlyTheLimit)
{
    const QString path = Write("huge.txt", QByteArray(8192, 'h'));
    ASSERT_EQ(::truncate(QFile::encodeName(path).constData(), 5LL * 1024 * 1024 * 1024), 0);
    EXPECT_TRUE(Extract(path));
    EXPECT_EQ(fText.size(), MaxPlainTextBytes);
}

// Text that is not UTF-8 is never shown with marks: with too few letters to tell its code page,
// it is read in the user's.
TEST_F(ExtractFileTextTest, TextThatIsNotUtf8IsReadInTheAnsiCodePage)
{
    for (const QByteArray &bytes :
         {QByteArray("Caf\xE9 cr\xE8me"), QByteArray("\xC0\xE9\xE8\xE0\xE7 \xF6\xFC\xE4")}) {
        EXPECT_TRUE(Extract(Write("ansi.txt", bytes)));
        EXPECT_EQ(fText, AnsiToText(bytes));
    }
    if (GetAnsiCodePage() == 1252) {
        EXPECT_EQ(fText, QString::fromUtf8("Àéèàç öüä"));
    }
    // After a UTF-8 mark, bytes that are not UTF-8 are read so too, the mark left out.
    EXPECT_TRUE(Extract(Write("marked.txt", "\xEF\xBB\xBF"
                                            "caf\xE9s")));
    EXPECT_EQ(fText, AnsiToText("caf\xE9s"));
}

TEST_F(ExtractFileTextTest, OtherFilesAndRtfGoWholeToTheServer)
{
    const QByteArray bytes = "%PDF" + QByteArray(3 * 1024 * 1024, '\0');
    fServer.SetReply(TFakeReply::frText, "document text");
    EXPECT_TRUE(Extract(Write("doc.pdf", bytes), 10));
    EXPECT_EQ(fText, "document text");
    EXPECT_TRUE(Extract(Write("no-extension", "abc")));
    TTextOrigin origin = TTextOrigin::toPlainText;
    EXPECT_TRUE(ExtractFileText(Write("letter.txt", "{\\rtf1 text}"), 10, fText, fServer.Address(), nullptr,
                                &origin));
    EXPECT_EQ(origin, TTextOrigin::toDocument);
    EXPECT_TRUE(Extract(Write("letter.rtf", "{\\rtf1 text}")));
    const std::vector<TRecordedRequest> requests = fServer.Requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].fBody.size(), size_t(bytes.size()));
    EXPECT_EQ(requests[1].fBody, "abc");
    EXPECT_EQ(requests[2].fBody, "{\\rtf1 text}");
    EXPECT_EQ(requests[3].fBody, "{\\rtf1 text}");
    EXPECT_TRUE(
        ExtractFileText(Write("plain.txt", "{not rtf}"), 10, fText, fServer.Address(), nullptr, &origin));
    EXPECT_EQ(origin, TTextOrigin::toPlainText);
}

TEST_F(ExtractFileTextTest, ServerFailureGivesEmptyText)
{
    fServer.SetReply(TFakeReply::frUnprocessable);
    EXPECT_FALSE(Extract(Write("doc.pdf", "x")));
    EXPECT_TRUE(fText.isEmpty());
    fServer.Stop();
    EXPECT_FALSE(Extract(Write("doc.pdf", "x")));
    EXPECT_TRUE(fText.isEmpty());
}

} // namespace
