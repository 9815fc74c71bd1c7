// Every format's extractor on documents built in the test: detection, the text that must come
// out, the text that must not, and the refusals (corrupt, encrypted, bombs).
#include "extractd/ansi_charset.h"
#include "extractd/doc_type.h"
#include "extractd/document_properties.h"
#include "extractd/extract_dispatch.h"
#include "extractd/extract_error.h"
#include "extractd/html_extractor.h"
#include "extractd/ole_office_extractor.h"
#include "extractd/text_decoder.h"
#include "fixtures.h"
#include "server_process.h"

#include <gtest/gtest.h>
#include <optional>

namespace {

struct TOutcome
{
    std::string Text;
    std::optional<TExtractErrorKind> Error;
    TDocType Type = TDocType::dtUnknown;
};

TOutcome Extract(const std::string &aBytes, const std::string &aName = {}, const std::string &aPassword = {})
{
    TOutcome outcome;
    TTextSink sink(aBytes.size());
    try {
        ExtractDocument(TDocument{aBytes, aName}, sink, aPassword,
                        [&](TDocType aType) { outcome.Type = aType; });
    } catch (const TExtractError &error) {
        outcome.Error = error.Kind();
    }
    outcome.Text = sink.Text();
    return outcome;
}

bool Has(const TOutcome &aOutcome, const std::string &aSnippet)
{
    return aOutcome.Text.find(aSnippet) != std::string::npos;
}

} // namespace

TEST(DocxExtractor, BodyHeaderFootnoteAndTextBoxOnce)
{
    TOutcome out = Extract(MakeDocx("Body words", "Header words", "Footnote words"));
    EXPECT_EQ(out.Type, TDocType::dtDocx);
    ASSERT_FALSE(out.Error);
    EXPECT_TRUE(Has(out, "Header words")) << out.Text;
    EXPECT_TRUE(Has(out, "Body words\tafter tab")) << out.Text;
    EXPECT_TRUE(Has(out, "Footnote words")) << out.Text;
    EXPECT_TRUE(Has(out, "box text")) << out.Text;
    // Deleted text, field codes and the fallback copy of a text box are not content.
    EXPECT_FALSE(Has(out, "deleted words"));
    EXPECT_FALSE(Has(out, "HYPERLINK"));
    EXPECT_FALSE(Has(out, "fallback copy"));
    EXPECT_LT(out.Text.find("Header words"), out.Text.find("Body words"));
}

TEST(XlsxExtractor, SheetNameSharedStringsAndNumbers)
{
    TOutcome out = Extract(MakeXlsx("Budget", {"alpha", "beta &amp; gamma"}));
    EXPECT_EQ(out.Type, TDocType::dtXlsx);
    EXPECT_TRUE(Has(out, "Budget\n")) << out.Text;
    EXPECT_TRUE(Has(out, "alpha\t0")) << out.Text;
    EXPECT_TRUE(Has(out, "beta & gamma\t7")) << out.Text;
}

TEST(PptxExtractor, SlidesAndNotes)
{
    TOutcome out = Extract(MakePptx("Slide words", "Speaker notes"));
    EXPECT_EQ(out.Type, TDocType::dtPptx);
    EXPECT_TRUE(Has(out, "Slide words")) << out.Text;
    EXPECT_TRUE(Has(out, "Speaker notes")) << out.Text;
}

TEST(OdfExtractor, BodyAndMasterPageFooterWithoutStyleNoise)
{
    TOutcome out = Extract(MakeOdt("Open words", "Footer words"));
    EXPECT_EQ(out.Type, TDocType::dtOdf);
    EXPECT_TRUE(Has(out, "Open words  spaced\ttabbed")) << out.Text;
    EXPECT_TRUE(Has(out, "Footer words")) << out.Text;
    EXPECT_FALSE(Has(out, "style noise"));
}

TEST(OdfExtractor, MasterPlaceholdersAreNotText)
{
    const std::string ns = "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                           "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
                           "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
                           "xmlns:presentation=\"urn:oasis:names:tc:opendocument:xmlns:presentation:1.0\" "
                           "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\"";
    auto frame = [](const char *aClass, const std::string &aText) {
        return std::string("<draw:frame") +
               (*aClass ? std::string(" presentation:class=\"") + aClass + "\"" : "") +
               "><draw:text-box><text:p>" + aText + "</text:p></draw:text-box></draw:frame>";
    };
    std::string odp = MakeArchive({
        {"mimetype", "application/vnd.oasis.opendocument.presentation"},
        {"content.xml", "<office:document-content " + ns + "><office:body><office:presentation><draw:page>" +
                            frame("title", "Slide words") +
                            "</draw:page></office:presentation></office:body></office:document-content>"},
        {"styles.xml", "<office:document-styles " + ns + "><office:master-styles><style:master-page>" +
                           frame("title", "Click to edit Master title style") +
                           frame("outline", "Click to edit Master text styles") +
                           frame("footer", "Footer words") + frame("", "Logo words") +
                           frame("page-number", "<text:page-number>&lt;number&gt;</text:page-number>") +
                           "</style:master-page></office:master-styles></office:document-styles>"},
    });
    TOutcome out = Extract(odp);
    EXPECT_EQ(out.Text, "Slide words\nFooter words\nLogo words\n");
}

TEST(DocumentProperties, XmpListsAndTheOrderOfTheLines)
{
    TDocumentProperties xmp = ReadXmlProperties(
        "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
        "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
        "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" xmlns:pdf=\"http://ns.adobe.com/pdf/1.3/\">"
        "<rdf:Description><dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">Xmp "
        "title</rdf:li></rdf:Alt></dc:title>"
        "<dc:creator><rdf:Seq><rdf:li>Ann</rdf:li><rdf:li>Bo</rdf:li></rdf:Seq></dc:creator>"
        "<dc:description><rdf:Alt><rdf:li>About it</rdf:li></rdf:Alt></dc:description>"
        "<pdf:Keywords>kelp, tide</pdf:Keywords></rdf:Description></rdf:RDF></x:xmpmeta>");
    EXPECT_EQ(xmp.Title, "Xmp title");
    EXPECT_EQ(xmp.Author, "Ann, Bo");
    EXPECT_EQ(xmp.Keywords, "kelp, tide");
    TDocumentProperties info;
    info.Title = "Info title";
    info.Subject = "Info title";
    info.Complete(xmp);
    TTextSink sink(1000);
    info.Write(sink);
    EXPECT_EQ(sink.Text(), "Info title\nkelp, tide\nAnn, Bo\nAbout it\n");
}

TEST(EpubExtractor, ChaptersInSpineOrder)
{
    TOutcome out = Extract(MakeEpub({"First chapter", "Second chapter", "Third chapter"}));
    EXPECT_EQ(out.Type, TDocType::dtEpub);
    std::size_t first = out.Text.find("First chapter");
    std::size_t third = out.Text.find("Third chapter");
    ASSERT_NE(first, std::string::npos) << out.Text;
    ASSERT_NE(third, std::string::npos) << out.Text;
    EXPECT_LT(first, out.Text.find("Second chapter"));
    EXPECT_LT(out.Text.find("Second chapter"), third);
}

TEST(PdfExtractor, HandWrittenPdf)
{
    TOutcome out = Extract(MakePdf("Hello from a hand made PDF"));
    EXPECT_EQ(out.Type, TDocType::dtPdf);
    EXPECT_FALSE(out.Error);
    EXPECT_TRUE(Has(out, "Hello from a hand made PDF")) << out.Text;
}

TEST(PdfExtractor, WordHyphenatedAtALineEndIsJoined)
{
    // Two lines: the second text operator moves down a line.
    TOutcome out = Extract(MakePdf("An exam-) Tj 0 -22 Td (ple of the rule"));
    EXPECT_FALSE(out.Error);
    EXPECT_TRUE(Has(out, "An example\nof the rule")) << out.Text;
}

TEST(PdfExtractor, BrokenPdfIsCorrupt)
{
    TOutcome out = Extract("%PDF-1.4\n1 0 obj << /Type /Catalog >> garbage");
    EXPECT_EQ(out.Error, TExtractErrorKind::ekCorrupt);
}

TEST(HtmlExtractor, ScriptAndStyleDroppedEntitiesDecoded)
{
    TOutcome out = Extract("<!DOCTYPE html><html><head><title>Page title</title><style>p{color:red}</style>"
                           "<script>var secret = 1;</script></head><body><p>Caf&eacute; &amp; cr&#232;me</p>"
                           "<div>second   block</div></body></html>");
    EXPECT_EQ(out.Type, TDocType::dtHtml);
    EXPECT_TRUE(Has(out, "Page title")) << out.Text;
    EXPECT_TRUE(Has(out, "Café & crème\nsecond block")) << out.Text;
    EXPECT_FALSE(Has(out, "secret"));
    EXPECT_FALSE(Has(out, "color"));
}

TEST(HtmlExtractor, CharsetFromMetaTag)
{
    std::string page =
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">"
        "</head><body>\xCF\xF0\xE8\xE2\xE5\xF2</body></html>";
    EXPECT_EQ(HtmlMetaCharset(page), "windows-1251");
    EXPECT_TRUE(Has(Extract(page), "Привет"));
}

TEST(XmlExtractor, TextNodesAndNoEntityExpansion)
{
    TOutcome out =
        Extract("<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]>"
                "<r><title>Xml title</title><x>&b;</x><file>&#x41;</file></r>");
    EXPECT_EQ(out.Type, TDocType::dtXml);
    EXPECT_TRUE(Has(out, "Xml title")) << out.Text;
    EXPECT_FALSE(Has(out, "aaaaaaaaaa")) << out.Text;
}

TEST(XmlExtractor, DeepNestingIsABomb)
{
    std::string deep = "<?xml version=\"1.0\"?>";
    for (int i = 0; i < 150; ++i)
        deep += "<a>";
    deep += "x";
    for (int i = 0; i < 150; ++i)
        deep += "</a>";
    EXPECT_EQ(Extract(deep).Error, TExtractErrorKind::ekBomb);
}

TEST(RtfExtractor, UnicodeCodePagesAndSkippedDestinations)
{
    std::string rtf =
        "{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0\\fcharset238 Arial;}{\\f1\\fcharset128 MS Gothic;}}"
        "{\\colortbl;\\red0\\green0\\blue0;}{\\*\\generator Writer;}{\\info{\\title Hidden title}}"
        "\\f0 \\'c8l\\'e1nek\\par "
        "\\uc1\\u26481?\\u20140?\\par "
        "{\\f1 \\'93\\'fa\\'96\\'7b}\\par "
        "\\u-10240?\\u-8398?\\par "
        "{\\pict\\pngblip 89504e47}{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt link text}}\\tab "
        "end\\par}";
    TOutcome out = Extract(rtf);
    EXPECT_EQ(out.Type, TDocType::dtRtf);
    EXPECT_TRUE(Has(out, "Článek\n")) << out.Text;
    EXPECT_TRUE(Has(out, "東京\n")) << out.Text;
    EXPECT_TRUE(Has(out, "日本\n")) << out.Text;
    EXPECT_TRUE(Has(out, "𐌲")) << out.Text;
    EXPECT_TRUE(Has(out, "link text\tend")) << out.Text;
    EXPECT_FALSE(Has(out, "Arial"));
    EXPECT_FALSE(Has(out, "Hidden title"));
    EXPECT_FALSE(Has(out, "89504e47"));
    EXPECT_FALSE(Has(out, "HYPERLINK"));
    EXPECT_FALSE(Has(out, "?"));
}

TEST(MailExtractor, HeadersPartsAndAttachment)
{
    TOutcome out = Extract(MakeEml("Plain part", "Html part", "Attached words"));
    EXPECT_EQ(out.Type, TDocType::dtEml);
    EXPECT_TRUE(Has(out, "Subject: Grüße from the fixture")) << out.Text;
    EXPECT_TRUE(Has(out, "From: Ann Sender <ann@example.org>")) << out.Text;
    EXPECT_TRUE(Has(out, "To: Bob Receiver <bob@example.org>")) << out.Text;
    EXPECT_TRUE(Has(out, "Plain part été")) << out.Text;
    EXPECT_TRUE(Has(out, "Html part")) << out.Text;
    EXPECT_TRUE(Has(out, "notes.txt\nAttached words")) << out.Text;
    EXPECT_FALSE(Has(out, "hidden()"));
}

TEST(TextExtractor, EncodingsOfPlainText)
{
    EXPECT_EQ(Extract("\xEF\xBB\xBFplain", "README").Text, "plain");
    EXPECT_EQ(Extract(std::string("\xFF\xFEp\0l\0a\0i\0n\0", 12)).Text, "plain");
    EXPECT_EQ(Extract(std::string("p\0l\0a\0i\0n\0 \0t\0e\0x\0t\0", 20), "Makefile").Text, "plain text");
    EXPECT_EQ(Extract("caf\xE9 cr\xE8me au lait").Text, "café crème au lait");
    EXPECT_EQ(Extract("plain").Type, TDocType::dtText);
}

TEST(Detection, ContentDecidesAndTheNameBreaksTies)
{
    EXPECT_EQ(Extract(MakeDocx("x", "y", "z"), "misnamed.pdf").Type, TDocType::dtDocx);
    EXPECT_EQ(Extract(MakePdf("x"), "misnamed.txt").Type, TDocType::dtPdf);
    EXPECT_EQ(Extract("<p>fragment</p>", "page.html").Type, TDocType::dtHtml);
    EXPECT_EQ(Extract("<p>fragment</p>", "note.txt").Type, TDocType::dtText);
    EXPECT_EQ(Extract(std::string("\x00\x01\x02\x03garbage", 11)).Type, TDocType::dtUnknown);
    EXPECT_TRUE(Extract(std::string("\x00\x01\x02\x03garbage", 11)).Text.empty());
}

TEST(ArchiveExtractor, NamesAndTextOfEntriesRecursively)
{
    std::string inner = MakeArchive({{"deep/inner.txt", "Inner words"}}, "tar.gz");
    std::string outer = MakeArchive(
        {{"a.txt", "Outer words"}, {"b.docx", MakeDocx("Docx words", "h", "f")}, {"c.tgz", inner}});
    TOutcome out = Extract(outer);
    EXPECT_EQ(out.Type, TDocType::dtZip);
    EXPECT_TRUE(Has(out, "a.txt\nOuter words")) << out.Text;
    EXPECT_TRUE(Has(out, "Docx words")) << out.Text;
    EXPECT_TRUE(Has(out, "deep/inner.txt\nInner words")) << out.Text;
    TOutcome seven = Extract(MakeArchive({{"s.txt", "Seven words"}}, "7z"));
    EXPECT_EQ(seven.Type, TDocType::dt7z);
    EXPECT_TRUE(Has(seven, "Seven words")) << seven.Text;
    TOutcome gz = Extract(MakeGzip("Gzip words"), "note.txt.gz");
    EXPECT_EQ(gz.Type, TDocType::dtGzip);
    EXPECT_TRUE(Has(gz, "Gzip words")) << gz.Text;
}

TEST(ArchiveExtractor, ShortLegacyTextInsideIsInTheUsersCodePage)
{
    const std::string latin = "the na\xEFve skipper";
    TOutcome out = Extract(MakeArchive({{"notes", latin}}));
    EXPECT_TRUE(Has(out, "notes\n" + ConvertToUtf8(latin, AnsiCharset()))) << out.Text;
    if (AnsiCharset() == "CP1252") {
        EXPECT_TRUE(Has(out, "the naïve skipper")) << out.Text;
    }
}

TEST(ArchiveExtractor, NestingBeyondTheLimitIsABomb)
{
    std::string nested = "Innermost words";
    for (int level = 0; level < 12; ++level)
        nested = MakeArchive({{"level" + std::to_string(level), nested}});
    EXPECT_EQ(Extract(nested).Error, TExtractErrorKind::ekBomb);
}

TEST(ArchiveExtractor, HighlyCompressedOutputIsABomb)
{
    std::string text(5 * 1000 * 1000, 'a');
    std::string gz = MakeGzip(text);
    ASSERT_LT(gz.size() * 100, text.size());
    EXPECT_EQ(Extract(gz).Error, TExtractErrorKind::ekBomb);
}

TEST(XlsExtractor, SharedStringsAcrossRecordsFormulaResultsAndNotes)
{
    TOutcome out = Extract(MakeXls());
    EXPECT_EQ(out.Type, TDocType::dtXls);
    EXPECT_FALSE(out.Error);
    EXPECT_TRUE(Has(out, "Tally\nSealed casks\tBrine barrels from Loføten\nCasks counted twice\t12.5\n"))
        << out.Text;
    EXPECT_TRUE(Has(out, "Note about salt\n")) << out.Text;
}

TEST(MobiExtractor, BooksWithDrmOrHuffmanCompressionAreRefused)
{
    EXPECT_EQ(Extract(MakeMobi("t", "a", "<p>text</p>", true)).Error, TExtractErrorKind::ekEncrypted);
    // The compression field is the first of record 0, which follows the list of four records.
    std::string huffman = MakeMobi("t", "a", "<p>text</p>");
    const std::size_t record0 = 78 + 4 * 8 + 2;
    huffman[record0] = 0x44;
    huffman[record0 + 1] = 0x48;
    EXPECT_EQ(Extract(huffman).Error, TExtractErrorKind::ekCorrupt);
}

TEST(OleOfficeExtractor, CsvOfTheSpreadsheetHelperBecomesText)
{
    EXPECT_EQ(CsvToText("\"Name\",\"Value\",\n,\"a \"\"b\"\"\",3\n\f\"Next\"\n"),
              "Name\tValue\na \"b\"\t3\n\nNext\n");
}

TEST(CorpusFormats, LegacyOfficeAndMessagesWhenTheCorpusIsThere)
{
    std::string dir = CorpusDir();
    if (dir.empty())
        GTEST_SKIP() << "the shared corpus is absent";
    EXPECT_EQ(Extract(ReadFileBytes(dir + "/testWORD.doc")).Type, TDocType::dtDoc);
    EXPECT_EQ(Extract(ReadFileBytes(dir + "/testEXCEL.xls")).Type, TDocType::dtXls);
    EXPECT_EQ(Extract(ReadFileBytes(dir + "/testPPT.ppt")).Type, TDocType::dtPpt);
    EXPECT_EQ(Extract(ReadFileBytes(dir + "/test-outlook.msg")).Type, TDocType::dtMsg);
    EXPECT_EQ(Extract(ReadFileBytes(dir + "/testWORD_protected_passtika.docx"), "", "wrong").Error,
              TExtractErrorKind::ekEncrypted);
    EXPECT_EQ(Extract(ReadFileBytes(dir + "/password.xls")).Error, TExtractErrorKind::ekEncrypted);
}

namespace {

// A document written by another program (tests/extractd/documents/README.md says which and
// how), the type it is detected as, how its text starts (its properties), text it must yield and
// text it must not.
struct TWrittenCase
{
    const char *File;
    TDocType Type;
    // The document's bytes when the test writes them itself (File only names the case).
    std::string (*Make)() = nullptr;
    std::string Start;
    std::vector<std::string> Present;
    std::vector<std::string> Absent;
};

void PrintTo(const TWrittenCase &aCase, std::ostream *aOut)
{
    *aOut << aCase.File;
}

const std::vector<TWrittenCase> &WrittenCases()
{
    static const std::vector<TWrittenCase> cases = {
        {"harbour_deck.ppt.gz",
         TDocType::dtPpt,
         nullptr,
         "Harbour deck title\nTide tables\npelican\nMara Quill\nDeck about the old quay\n",
         {"Quarterly harbour report\nCranes moved seventeen tonnes of zinc ingots\nNaïve café signage is "
          "ready",
          "Second slide about buoys\nOrange buoys mark the channel", "Remind the pilots about lantern drills",
          "Harbour authority footer"},
         {"Click to edit", "Outline Level", "*"}},
        {"harbour_deck.odp",
         TDocType::dtOdf,
         nullptr,
         "Harbour deck title\nTide tables\npelican\nMara Quill\nDeck about the old quay\n",
         {"Quarterly harbour report\nCranes moved seventeen tonnes of zinc ingots\nNaïve café signage is "
          "ready",
          "Remind the pilots about lantern drills", "Orange buoys mark the channel",
          "Harbour authority footer"},
         {"<number>"}},
        {"keeper_log.odt",
         TDocType::dtOdf,
         nullptr,
         "Lighthouse keeper log\nNight watches\nfresnel\nEdda Strand\nEntries from the winter of storms\n",
         {"The keeper said once. Then the lamp went dark.\nFootnote about the fog horn\n",
          "Gulls circled the rocky point.\nCheck the tide chart\n", "Embedded paraffin stock"},
         {"Ivo Reviewer", "2024-03-01"}},
        {"keeper_log.rtf",
         TDocType::dtRtf,
         nullptr,
         "The keeper said once.",
         {"The keeper said once. Then the lamp went dark.\n", "Footnote about the fog horn\n",
          "Gulls circled the rocky point.\nCheck the tide chart\n"},
         {"Ivo Reviewer"}},
        {"keeper_log.docx",
         TDocType::dtDocx,
         nullptr,
         "Lighthouse keeper log\nNight watches\nfresnel\nEdda Strand\nEntries from the winter of storms\n",
         {"The keeper said once. Then the lamp went dark.\n", "Footnote about the fog horn",
          "Gulls circled the rocky point.\n", "Check the tide chart"},
         {}},
        {"keeper_log.pdf",
         TDocType::dtPdf,
         nullptr,
         "Lighthouse keeper log\nNight watches\nfresnel\nEdda Strand\n",
         {"Gulls circled the rocky point.", "Footnote about the fog horn"},
         {}},
        {"keeper_log.epub",
         TDocType::dtEpub,
         nullptr,
         "Lighthouse keeper log\nEdda Strand\n",
         {"Gulls circled the rocky point.", "Footnote about the fog horn"},
         {}},
        {"keeper_log.html",
         TDocType::dtHtml,
         nullptr,
         "Lighthouse keeper log\nfresnel\nEdda Strand\nEntries from the winter of storms\n",
         {"Gulls circled the rocky point.", "Footnote about the fog horn"},
         {}},
        {"keeper_log.doc",
         TDocType::dtDoc,
         nullptr,
         "Lighthouse keeper log\nNight watches\nfresnel\nEdda Strand\nEntries from the winter of storms\n",
         {"The keeper said once. Then the lamp went dark.\nGulls circled the rocky point.\n",
          "Footnote about the fog horn", "Check the tide chart", "Embedded paraffin stock"},
         {"Ivo Reviewer"}},
        {"cargo_ledger.xls",
         TDocType::dtXls,
         nullptr,
         "Cargo ledger\nManifests\nbollard\nTove Harr\nCargo of the spring convoy\n",
         {"Manifest\nCrate of walnut veneer\t42.5\n", "Bales of raw wool\t2024-04-15\n",
          "Damp stored below deck\n", "Crew\nBoatswain Oskar Lind\n"},
         {"45397", "Pia Clerk"}},
        {"soundings_chart.djvu", TDocType::dtDjvu, nullptr, "Soundings near Vardø", {}, {}},
        {"made.rar",
         TDocType::dtRar,
         [] {
             return MakeRar({{"logbook.txt", "Rar words about the ferry"}});
         },
         "logbook.txt\nRar words about the ferry\n",
         {},
         {}},
        {"made.xps",
         TDocType::dtXps,
         [] { return MakeXps("First page words", "Second page words", "Baseline split phrase here"); },
         "Xps title\nFirst page words\nBaseline split phrase here\nSecond page words\n",
         {},
         {"{}"}},
        {"made.vsdx",
         TDocType::dtVsdx,
         [] { return MakeVsdx("Pump station shape"); },
         "Pump station shape\n",
         {},
         {"Master placeholder"}},
        {"made.mobi",
         TDocType::dtMobi,
         [] {
             return MakeMobi("Book of tides", "Rune Ebb",
                             "<html><body><p>The herring fleet sailed, the herring fleet returned</p>"
                             "<p>Second paragraph of the book</p></body></html>");
         },
         "Book of tides\nRune Ebb\n",
         {"The herring fleet sailed, the herring fleet returned\nSecond paragraph of the book\n"},
         {"AB", "<p>"}},
        {"made.wpd",
         TDocType::dtWordPerfect,
         [] { return MakeWordPerfect("WordPerfect words of the pilot\nSecond line here\n"); },
         "WordPerfect words of the pilot\nSecond line here\n",
         {},
         {}},
        {"tide_mail",
         TDocType::dtMbox,
         nullptr,
         "Subject: Naïve question about the tides\n",
         {"The naïve skipper asked about the neap tide schedule.\nFrom the harbour master, with thanks.",
          "Subject: Re: tides\n", "Spring tides arrive after the full moon.",
          "almanac.txt\nAttached almanac lists slack water times."},
         {"=C3", "U3ByaW5n", ">From", "MAILER-DAEMON"}},
    };
    return cases;
}

class WrittenDocuments : public testing::TestWithParam<TWrittenCase>
{
};

std::string WrittenName(const testing::TestParamInfo<TWrittenCase> &aInfo)
{
    std::string name = aInfo.param.File;
    for (char &c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

} // namespace

TEST_P(WrittenDocuments, YieldsEveryWordAndNoPlaceholder)
{
    const TWrittenCase &test = GetParam();
    std::string bytes = test.Make != nullptr ? test.Make() : WrittenDocument(test.File);
    ASSERT_FALSE(bytes.empty()) << test.File;
    // Sent as a program sends it: without a file name.
    TOutcome out = Extract(bytes);
    EXPECT_EQ(out.Type, test.Type);
    EXPECT_FALSE(out.Error);
    EXPECT_TRUE(out.Text.starts_with(test.Start)) << "'" << test.Start << "' is not the start of:\n"
                                                  << out.Text;
    for (const std::string &snippet : test.Present)
        EXPECT_TRUE(Has(out, snippet)) << "'" << snippet << "' missing in:\n" << out.Text;
    for (const std::string &snippet : test.Absent)
        EXPECT_FALSE(Has(out, snippet)) << "'" << snippet << "' present in:\n" << out.Text;
}

// A client may send a password with every document: one that is not protected reads the same.
TEST_P(WrittenDocuments, APasswordSentAlongChangesNothing)
{
    const TWrittenCase &test = GetParam();
    std::string bytes = test.Make != nullptr ? test.Make() : WrittenDocument(test.File);
    TOutcome plain = Extract(bytes);
    TOutcome withPassword = Extract(bytes, "", "unused password");
    EXPECT_FALSE(withPassword.Error);
    EXPECT_EQ(withPassword.Text, plain.Text);
}

INSTANTIATE_TEST_SUITE_P(Documents, WrittenDocuments, testing::ValuesIn(WrittenCases()), WrittenName);
