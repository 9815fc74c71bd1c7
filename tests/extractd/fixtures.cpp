// Small documents of every format built in the tests, so that the formats are proven without
// the shared corpus.
#include "fixtures.h"

#include <archive.h>
#include <archive_entry.h>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <gsf/gsf.h>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace {

la_ssize_t AppendToString(archive *, void *aData, const void *aBuffer, size_t aLength)
{
    static_cast<std::string *>(aData)->append(static_cast<const char *>(aBuffer), aLength);
    return static_cast<la_ssize_t>(aLength);
}

std::string Base64(const std::string &aData)
{
    static const char *table = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < aData.size(); i += 3) {
        unsigned v = (static_cast<unsigned char>(aData[i]) << 16) |
                     (static_cast<unsigned char>(aData[i + 1]) << 8) |
                     static_cast<unsigned char>(aData[i + 2]);
        for (int k = 3; k >= 0; --k)
            out += table[(v >> (6 * k)) & 63];
    }
    if (i < aData.size()) {
        unsigned v = static_cast<unsigned char>(aData[i]) << 16;
        if (i + 1 < aData.size())
            v |= static_cast<unsigned char>(aData[i + 1]) << 8;
        out += table[(v >> 18) & 63];
        out += table[(v >> 12) & 63];
        out += i + 1 < aData.size() ? table[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

const char *Rels(const char *aTargets)
{
    static std::string text;
    text = std::string("<?xml version=\"1.0\"?><Relationships "
                       "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">") +
           aTargets + "</Relationships>";
    return text.c_str();
}

std::string Rel(const std::string &aId, const std::string &aType, const std::string &aTarget)
{
    return "<Relationship Id=\"" + aId +
           "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/" + aType +
           "\" Target=\"" + aTarget + "\"/>";
}

std::string ContentTypes(const std::string &aMainType, const std::string &aMainPart)
{
    return "<?xml version=\"1.0\"?><Types "
           "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
           "<Default Extension=\"rels\" "
           "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
           "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
           "<Override PartName=\"" +
           aMainPart + "\" ContentType=\"" + aMainType + "\"/></Types>";
}

} // namespace

std::string MakeArchive(const TEntries &aEntries, const std::string &aFormat)
{
    std::string out;
    std::unique_ptr<archive, int (*)(archive *)> writer(archive_write_new(), archive_write_free);
    if (aFormat == "zip") {
        archive_write_set_format_zip(writer.get());
    } else if (aFormat == "7z") {
        archive_write_set_format_7zip(writer.get());
    } else {
        archive_write_set_format_pax_restricted(writer.get());
        archive_write_add_filter_gzip(writer.get());
    }
    archive_write_open(writer.get(), &out, nullptr, AppendToString, nullptr);
    for (const auto &[name, data] : aEntries) {
        std::unique_ptr<archive_entry, void (*)(archive_entry *)> entry(archive_entry_new(),
                                                                        archive_entry_free);
        archive_entry_set_pathname(entry.get(), name.c_str());
        archive_entry_set_filetype(entry.get(), AE_IFREG);
        archive_entry_set_perm(entry.get(), 0644);
        archive_entry_set_size(entry.get(), static_cast<la_int64_t>(data.size()));
        archive_write_header(writer.get(), entry.get());
        archive_write_data(writer.get(), data.data(), data.size());
    }
    archive_write_close(writer.get());
    return out;
}

namespace {

std::uint32_t Crc32(std::string_view aData)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (char c : aData) {
        crc ^= static_cast<unsigned char>(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::string Bytes(std::uint64_t aValue, int aCount)
{
    std::string out;
    for (int i = 0; i < aCount; ++i)
        out += static_cast<char>((aValue >> (8 * i)) & 0xFF);
    return out;
}

// A RAR 4 block: its CRC (the low half of the CRC-32 of the rest of the header), then the rest.
std::string RarBlock(const std::string &aHeaderAfterCrc)
{
    return Bytes(Crc32(aHeaderAfterCrc) & 0xFFFF, 2) + aHeaderAfterCrc;
}

} // namespace

std::string MakeRar(const TEntries &aEntries)
{
    std::string rar = "Rar!\x1A\x07";
    rar += '\0';
    rar += RarBlock("\x73" + Bytes(0, 2) + Bytes(13, 2) + Bytes(0, 6));
    for (const auto &[name, data] : aEntries) {
        std::string header = "\x74" + Bytes(0x8000, 2) + Bytes(32 + name.size(), 2) + Bytes(data.size(), 4) +
                             Bytes(data.size(), 4) + Bytes(3, 1) + Bytes(Crc32(data), 4) +
                             Bytes(0x5A210000, 4) + Bytes(29, 1) + Bytes(0x30, 1) + Bytes(name.size(), 2) +
                             Bytes(0x81A4, 4) + name;
        rar += RarBlock(header) + data;
    }
    return rar + RarBlock("\x7B" + Bytes(0x4000, 2) + Bytes(7, 2));
}

std::string MakeGzip(const std::string &aData)
{
    std::string out;
    std::unique_ptr<archive, int (*)(archive *)> writer(archive_write_new(), archive_write_free);
    archive_write_set_format_raw(writer.get());
    archive_write_add_filter_gzip(writer.get());
    archive_write_open(writer.get(), &out, nullptr, AppendToString, nullptr);
    std::unique_ptr<archive_entry, void (*)(archive_entry *)> entry(archive_entry_new(), archive_entry_free);
    archive_entry_set_pathname(entry.get(), "data");
    archive_entry_set_filetype(entry.get(), AE_IFREG);
    archive_entry_set_size(entry.get(), static_cast<la_int64_t>(aData.size()));
    archive_write_header(writer.get(), entry.get());
    archive_write_data(writer.get(), aData.data(), aData.size());
    archive_write_close(writer.get());
    return out;
}

std::string Gunzip(const std::string &aGzip)
{
    std::unique_ptr<archive, int (*)(archive *)> reader(archive_read_new(), archive_read_free);
    archive_read_support_filter_gzip(reader.get());
    archive_read_support_format_raw(reader.get());
    archive_entry *entry = nullptr;
    std::string out;
    if (archive_read_open_memory(reader.get(), aGzip.data(), aGzip.size()) != ARCHIVE_OK ||
        archive_read_next_header(reader.get(), &entry) != ARCHIVE_OK)
        return out;
    char buffer[65536];
    for (la_ssize_t n; (n = archive_read_data(reader.get(), buffer, sizeof buffer)) > 0;)
        out.append(buffer, static_cast<std::size_t>(n));
    return out;
}

std::string WrittenDocument(const std::string &aName)
{
    std::ifstream in(std::string(ORDWELL_TEST_SOURCE_DIR) + "/tests/extractd/documents/" + aName,
                     std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return aName.ends_with(".gz") ? Gunzip(bytes.str()) : bytes.str();
}

std::string MakeDocx(const std::string &aBody, const std::string &aHeader, const std::string &aFootnote)
{
    const std::string w = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";
    std::string document =
        "<?xml version=\"1.0\"?><w:document " + w +
        " xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\"><w:body>"
        "<w:p><w:pPr><w:tabs><w:tab w:val=\"left\" w:pos=\"720\"/></w:tabs></w:pPr><w:r><w:t>" +
        aBody +
        "</w:t></w:r><w:r><w:tab/><w:t xml:space=\"preserve\">after tab</w:t></w:r></w:p>"
        "<w:p><w:r><w:delText>deleted words</w:delText><w:instrText>HYPERLINK x</w:instrText></w:r></w:p>"
        "<w:p><w:r><mc:AlternateContent><mc:Choice><w:t>box text</w:t></mc:Choice>"
        "<mc:Fallback><w:t>fallback copy</w:t></mc:Fallback></mc:AlternateContent></w:r></w:p>"
        "</w:body></w:document>";
    return MakeArchive({
        {"[Content_Types].xml",
         ContentTypes("application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml",
                      "/word/document.xml")},
        {"_rels/.rels", Rels(Rel("rId1", "officeDocument", "word/document.xml").c_str())},
        {"word/document.xml", document},
        {"word/_rels/document.xml.rels",
         Rels((Rel("rId1", "header", "header1.xml") + Rel("rId2", "footnotes", "footnotes.xml")).c_str())},
        {"word/header1.xml", "<w:hdr " + w + "><w:p><w:r><w:t>" + aHeader + "</w:t></w:r></w:p></w:hdr>"},
        {"word/footnotes.xml", "<w:footnotes " + w + "><w:footnote><w:p><w:r><w:t>" + aFootnote +
                                   "</w:t></w:r></w:p></w:footnote></w:footnotes>"},
    });
}

std::string MakeXlsx(const std::string &aSheetName, const std::vector<std::string> &aStrings)
{
    const std::string ns = "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                           "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";
    std::string shared = "<sst " + ns + ">";
    std::string rows;
    for (std::size_t i = 0; i < aStrings.size(); ++i) {
        shared += "<si><t>" + aStrings[i] + "</t></si>";
        rows += "<row r=\"" + std::to_string(i + 1) + "\"><c t=\"s\"><v>" + std::to_string(i) +
                "</v></c><c><v>" + std::to_string(i * 7) + "</v></c></row>";
    }
    shared += "</sst>";
    return MakeArchive({
        {"[Content_Types].xml",
         ContentTypes("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml",
                      "/xl/workbook.xml")},
        {"_rels/.rels", Rels(Rel("rId1", "officeDocument", "xl/workbook.xml").c_str())},
        {"xl/workbook.xml", "<workbook " + ns + "><sheets><sheet name=\"" + aSheetName +
                                "\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels", Rels((Rel("rId1", "worksheet", "worksheets/sheet1.xml") +
                                             Rel("rId2", "sharedStrings", "sharedStrings.xml"))
                                                .c_str())},
        {"xl/sharedStrings.xml", shared},
        {"xl/worksheets/sheet1.xml", "<worksheet " + ns + "><sheetData>" + rows + "</sheetData></worksheet>"},
    });
}

std::string MakePptx(const std::string &aSlide, const std::string &aNotes)
{
    const std::string ns = "xmlns:p=\"http://schemas.openxmlformats.org/presentationml/2006/main\" "
                           "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"";
    auto text = [&](const std::string &aRoot, const std::string &aText) {
        return "<" + aRoot + " " + ns + "><p:cSld><p:spTree><p:sp><p:txBody><a:p><a:r><a:t>" + aText +
               "</a:t></a:r></a:p></p:txBody></p:sp></p:spTree></p:cSld></" + aRoot + ">";
    };
    return MakeArchive({
        {"[Content_Types].xml",
         ContentTypes("application/vnd.openxmlformats-officedocument.presentationml.presentation.main+xml",
                      "/ppt/presentation.xml")},
        {"_rels/.rels", Rels(Rel("rId1", "officeDocument", "ppt/presentation.xml").c_str())},
        {"ppt/presentation.xml", "<p:presentation " + ns + "/>"},
        {"ppt/_rels/presentation.xml.rels", Rels(Rel("rId2", "slide", "slides/slide1.xml").c_str())},
        {"ppt/slides/slide1.xml", text("p:sld", aSlide)},
        {"ppt/slides/_rels/slide1.xml.rels",
         Rels(Rel("rId1", "notesSlide", "../notesSlides/notesSlide1.xml").c_str())},
        {"ppt/notesSlides/notesSlide1.xml", text("p:notes", aNotes)},
    });
}

namespace {

std::string Le16(unsigned aValue)
{
    return {static_cast<char>(aValue & 0xFF), static_cast<char>((aValue >> 8) & 0xFF)};
}

std::string Le32(unsigned aValue)
{
    return Le16(aValue & 0xFFFF) + Le16(aValue >> 16);
}

std::string Record(unsigned aType, const std::string &aData)
{
    return Le16(aType) + Le16(static_cast<unsigned>(aData.size())) + aData;
}

std::string Wide(const std::u16string &aText)
{
    std::string out;
    for (char16_t unit : aText)
        out += Le16(unit);
    return out;
}

// A compound file with one stream.
std::string MakeCompoundFile(const char *aStream, const std::string &aData)
{
    gsf_init();
    GsfOutput *memory = gsf_output_memory_new();
    GsfOutfile *ole = gsf_outfile_msole_new(memory);
    GsfOutput *stream = gsf_outfile_new_child(ole, aStream, FALSE);
    gsf_output_write(stream, aData.size(), reinterpret_cast<const guint8 *>(aData.data()));
    gsf_output_close(stream);
    g_object_unref(stream);
    gsf_output_close(GSF_OUTPUT(ole));
    g_object_unref(ole);
    std::string bytes(reinterpret_cast<const char *>(gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(memory))),
                      static_cast<std::size_t>(gsf_output_size(memory)));
    g_object_unref(memory);
    return bytes;
}

} // namespace

std::string MakeXls()
{
    const std::string bof = Le16(0x0600) + Le16(0x0005) + std::string(12, '\0');
    const std::string sheetBof = Le16(0x0600) + Le16(0x0010) + std::string(12, '\0');
    const std::string name = "Tally";
    // "Brine barrels from Lofoten": ten one-byte characters, the rest in a CONTINUE record as UTF-16.
    const std::string sst = Record(0x00FC, Le32(2) + Le32(2) + Le16(12) + '\0' + "Sealed casks" + Le16(26) +
                                               '\0' + "Brine barr") +
                            Record(0x003C, '\x01' + Wide(u"els from Loføten"));
    auto cell = [](unsigned aRow, unsigned aCol) { return Le16(aRow) + Le16(aCol) + Le16(15); };
    double number = 12.5;
    std::string numberBytes(8, '\0');
    std::memcpy(numberBytes.data(), &number, 8);
    const std::string formulaTail = Le16(0) + Le32(0) + Le16(0);
    std::string sheet = Record(0x0809, sheetBof) + Record(0x00FD, cell(0, 0) + Le32(0)) +
                        Record(0x00FD, cell(0, 1) + Le32(1)) +
                        Record(0x0006, cell(1, 0) + std::string(6, '\0') + Le16(0xFFFF) + formulaTail) +
                        Record(0x0207, Le16(19) + '\0' + "Casks counted twice") +
                        Record(0x0006, cell(1, 1) + numberBytes + formulaTail) +
                        Record(0x01B6, Le16(0x0212) + std::string(8, '\0') + Le16(15) + Le16(16) + Le32(0)) +
                        Record(0x003C, '\0' + std::string("Note about salt")) + Record(0x000A, "");
    std::string globals = Record(0x0809, bof);
    const std::size_t boundSheetSize = 4 + 8 + name.size();
    const std::size_t sheetOffset = globals.size() + boundSheetSize + sst.size() + 4;
    globals += Record(0x0085, Le32(static_cast<unsigned>(sheetOffset)) + '\0' + '\0' +
                                  static_cast<char>(name.size()) + '\0' + name) +
               sst + Record(0x000A, "");
    return MakeCompoundFile("Workbook", globals + sheet);
}

std::string MakeOdt(const std::string &aBody, const std::string &aFooter)
{
    const std::string ns = "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                           "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
                           "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\"";
    return MakeArchive({
        {"mimetype", "application/vnd.oasis.opendocument.text"},
        {"content.xml", "<office:document-content " + ns +
                            "><office:automatic-styles><text:p>style noise</text:p>"
                            "</office:automatic-styles><office:body><office:text><text:p>" +
                            aBody +
                            "<text:s "
                            "text:c=\"2\"/>spaced<text:tab/>tabbed</text:p></office:text></office:body></"
                            "office:document-content>"},
        {"styles.xml",
         "<office:document-styles " + ns +
             "><office:master-styles><style:master-page><style:footer><text:p>" + aFooter +
             "</text:p></style:footer></style:master-page></office:master-styles></office:document-styles>"},
    });
}

std::string MakeEpub(const std::vector<std::string> &aChapters)
{
    std::string manifest, spine;
    TEntries entries{
        {"mimetype", "application/epub+zip"},
        {"META-INF/container.xml",
         "<?xml version=\"1.0\"?><container xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\">"
         "<rootfiles><rootfile full-path=\"OEBPS/book.opf\"/></rootfiles></container>"}};
    // Stored in reverse, so that only the spine can give the reading order.
    for (std::size_t i = aChapters.size(); i-- > 0;) {
        std::string id = "c" + std::to_string(i);
        entries.push_back({"OEBPS/" + id + ".xhtml",
                           "<?xml version=\"1.0\"?><html xmlns=\"http://www.w3.org/1999/xhtml\"><body><p>" +
                               aChapters[i] + "</p></body></html>"});
    }
    for (std::size_t i = 0; i < aChapters.size(); ++i) {
        std::string id = "c" + std::to_string(i);
        manifest +=
            "<item id=\"" + id + "\" href=\"" + id + ".xhtml\" media-type=\"application/xhtml+xml\"/>";
        spine += "<itemref idref=\"" + id + "\"/>";
    }
    entries.push_back({"OEBPS/book.opf",
                       "<?xml version=\"1.0\"?><package xmlns=\"http://www.idpf.org/2007/opf\"><manifest>" +
                           manifest + "</manifest><spine>" + spine + "</spine></package>"});
    return MakeArchive(entries);
}

std::string MakePdf(const std::string &aText)
{
    std::string stream = "BT /F1 18 Tf 72 720 Td (" + aText + ") Tj ET";
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R /Resources << /Font << /F1 5 0 "
        "R >> >> >>",
        "<< /Length " + std::to_string(stream.size()) + " >>\nstream\n" + stream + "\nendstream",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
    };
    std::string pdf = "%PDF-1.4\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    std::size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t offset : offsets) {
        char line[32];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
        pdf += line;
    }
    pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

std::string MakeEml(const std::string &aPlain, const std::string &aHtml, const std::string &aAttachment)
{
    return "From: Ann Sender <ann@example.org>\r\n"
           "To: Bob Receiver <bob@example.org>\r\n"
           "Subject: =?UTF-8?B?" +
           Base64("Grüße from the fixture") +
           "?=\r\n"
           "MIME-Version: 1.0\r\n"
           "Content-Type: multipart/mixed; boundary=\"outer\"\r\n\r\n"
           "--outer\r\nContent-Type: multipart/alternative; boundary=\"inner\"\r\n\r\n"
           "--inner\r\nContent-Type: text/plain; charset=iso-8859-1\r\nContent-Transfer-Encoding: "
           "quoted-printable\r\n\r\n" +
           aPlain +
           " =E9t=E9\r\n"
           "--inner\r\nContent-Type: text/html; charset=utf-8\r\n\r\n<html><body><p>" +
           aHtml +
           "</p><script>hidden()</script></body></html>\r\n--inner--\r\n"
           "--outer\r\nContent-Type: text/plain\r\nContent-Disposition: attachment; "
           "filename=\"notes.txt\"\r\n"
           "Content-Transfer-Encoding: base64\r\n\r\n" +
           Base64(aAttachment) + "\r\n--outer--\r\n";
}

std::string MakeXps(const std::string &aFirst, const std::string &aSecond, const std::string &aLine)
{
    auto page = [](const std::string &aGlyphs) {
        return "<FixedPage xmlns=\"http://schemas.microsoft.com/xps/2005/06\" Width=\"816\" "
               "Height=\"1056\">" +
               aGlyphs + "</FixedPage>";
    };
    auto glyphs = [](const char *aX, const char *aY, const std::string &aText) {
        return std::string("<Glyphs OriginX=\"") + aX + "\" OriginY=\"" + aY +
               "\" FontUri=\"/f.odttf\" "
               "FontRenderingEmSize=\"12\" UnicodeString=\"" +
               aText + "\"/>";
    };
    // Two runs split at the middle space, as a writer splits a line at a change of font.
    std::size_t half = aLine.find(' ', aLine.size() / 2);
    // The second page is stored first: only the page names give the order.
    return MakeArchive({
        {"[Content_Types].xml", "<?xml version=\"1.0\"?><Types "
                                "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                                "<Default Extension=\"fdseq\" "
                                "ContentType=\"application/vnd.ms-package.xps-fixeddocumentsequence+xml\"/>"
                                "<Default Extension=\"fpage\" "
                                "ContentType=\"application/vnd.ms-package.xps-fixedpage+xml\"/></Types>"},
        {"FixedDocSeq.fdseq",
         "<FixedDocumentSequence xmlns=\"http://schemas.microsoft.com/xps/2005/06\">"
         "<DocumentReference Source=\"Documents/1/FixedDoc.fdoc\"/></FixedDocumentSequence>"},
        {"Documents/1/Pages/2.fpage", page(glyphs("96", "120", aSecond))},
        {"docProps/core.xml", "<cp:coreProperties xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/"
                              "metadata/core-properties\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">"
                              "<dc:title>Xps title</dc:title></cp:coreProperties>"},
        {"Documents/1/Pages/1.fpage",
         page(glyphs("96", "120", "{}" + aFirst) + glyphs("96", "150", aLine.substr(0, half)) +
              glyphs("300", "150", aLine.substr(half + 1)))},
    });
}

std::string MakeVsdx(const std::string &aShapeText)
{
    const std::string ns = "xmlns=\"http://schemas.microsoft.com/office/visio/2012/main\"";
    return MakeArchive({
        {"[Content_Types].xml",
         ContentTypes("application/vnd.ms-visio.drawing.main+xml", "/visio/document.xml")},
        {"_rels/.rels", Rels(Rel("rId1", "document", "visio/document.xml").c_str())},
        {"visio/document.xml", "<VisioDocument " + ns + "/>"},
        {"visio/pages/pages.xml", "<Pages " + ns + "><Page ID=\"0\" Name=\"Page-1\"/></Pages>"},
        {"visio/pages/_rels/pages.xml.rels",
         Rels("<Relationship Id=\"rId1\" Type=\"http://schemas.microsoft.com/visio/2010/relationships/page\" "
              "Target=\"page1.xml\"/>")},
        {"visio/pages/page1.xml", "<PageContents " + ns + "><Shapes><Shape ID=\"1\"><Text><cp IX=\"0\"/>" +
                                      aShapeText + "</Text></Shape></Shapes></PageContents>"},
        {"visio/masters/master1.xml",
         "<MasterContents " + ns +
             "><Shapes><Shape ID=\"5\"><Text>Master placeholder</Text></Shape></Shapes></MasterContents>"},
    });
}

namespace {

std::string Be(std::uint32_t aValue, int aCount)
{
    std::string out;
    for (int i = aCount - 1; i >= 0; --i)
        out += static_cast<char>((aValue >> (8 * i)) & 0xFF);
    return out;
}

// PalmDOC's LZ77: back references of 3 to 10 bytes, a space and a letter in one byte, other
// bytes as they are or, above 0x7F, in a literal run.
std::string PalmDocCompress(const std::string &aText)
{
    std::string out;
    for (std::size_t i = 0; i < aText.size();) {
        std::size_t bestLength = 0, bestDistance = 0;
        for (std::size_t distance = 1; distance <= std::min<std::size_t>(i, 2047); ++distance) {
            std::size_t length = 0;
            while (length < 10 && i + length < aText.size() &&
                   aText[i + length] == aText[i - distance + length])
                ++length;
            if (length > bestLength) {
                bestLength = length;
                bestDistance = distance;
            }
        }
        auto c = static_cast<unsigned char>(aText[i]);
        if (bestLength >= 3) {
            out += Be(0x8000 | (bestDistance << 3) | (bestLength - 3), 2);
            i += bestLength;
        } else if (c == ' ' && i + 1 < aText.size() && static_cast<unsigned char>(aText[i + 1]) >= 0x40 &&
                   static_cast<unsigned char>(aText[i + 1]) <= 0x7F) {
            out += static_cast<char>(aText[i + 1] ^ 0x80);
            i += 2;
        } else if (c == 0 || (c >= 0x09 && c <= 0x7F)) {
            out += aText[i++];
        } else {
            out += '\x01';
            out += aText[i++];
        }
    }
    return out;
}

} // namespace

std::string MakeMobi(const std::string &aTitle, const std::string &aAuthor, const std::string &aHtml,
                     bool aDrm)
{
    std::size_t half = aHtml.size() / 2;
    // Each text record ends with a multibyte byte and one trailing entry ("AB" and its size).
    const std::vector<std::string> text = {PalmDocCompress(aHtml.substr(0, half)) + '\0' + "AB\x83",
                                           PalmDocCompress(aHtml.substr(half)) + '\0' + "AB\x83"};
    const std::uint32_t mobiLength = 0xE8;
    std::string exth =
        "EXTH" + Be(12 + 8 + aAuthor.size(), 4) + Be(1, 4) + Be(100, 4) + Be(8 + aAuthor.size(), 4) + aAuthor;
    while (exth.size() % 4 != 0)
        exth += '\0';
    std::string mobi = "MOBI" + Be(mobiLength, 4) + Be(2, 4) + Be(65001, 4);
    mobi.resize(mobiLength, '\0');
    std::string record0 =
        Be(2, 2) + Be(0, 2) + Be(aHtml.size(), 4) + Be(2, 2) + Be(4096, 2) + Be(0, 2) + Be(0, 2) + mobi;
    const std::size_t nameOffset = record0.size() + exth.size();
    record0.replace(84, 8, Be(nameOffset, 4) + Be(aTitle.size(), 4));
    record0.replace(0x80, 4, Be(0x40, 4));
    record0.replace(0xF2, 2, Be(0x3, 2));
    if (aDrm)
        record0.replace(12, 2, Be(2, 2));
    record0 += exth + aTitle + std::string(2, '\0');
    const std::vector<std::string> records = {record0, text[0], text[1], Be(0xE98E0D0A, 4)};
    std::string book(32, '\0');
    book.replace(0, aTitle.size() < 31 ? aTitle.size() : 31, aTitle);
    book += std::string(28, '\0') + "BOOKMOBI" + std::string(8, '\0') + Be(records.size(), 2);
    std::size_t offset = book.size() + 8 * records.size() + 2;
    for (std::size_t i = 0; i < records.size(); ++i) {
        book += Be(offset, 4) + Be(i, 4);
        offset += records[i].size();
    }
    book += std::string(2, '\0');
    for (const std::string &record : records)
        book += record;
    return book;
}

std::string MakeWordPerfect(const std::string &aText)
{
    std::string header = "\xFFWPC" + Bytes(16, 4) + "\x01\x0A" + std::string(6, '\0');
    std::string body;
    for (char c : aText)
        body += c == '\n' ? '\x0A' : c;
    return header + body;
}
