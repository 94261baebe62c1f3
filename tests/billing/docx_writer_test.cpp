// The DOCX writer: escaping, package structure, staging, and the package opened by LibreOffice.
#include "docx_parts.h"
#include "docx_writer.h"
#include "files.h"
#include "office_text.h"
#include "test_support.h"

#include <QXmlStreamReader>
#include <gtest/gtest.h>
#include <map>
#include <zip.h>

namespace qm::docx {
namespace {

using test::TempFolder;

TEST(DocxText, EscapesMarkupDropsControlsAndConvertsToUtf8) {
    struct Case {
        std::string cp1252;
        std::string xml;
    };
    const Case cases[] = {
        {"Smith & Jones", "Smith &amp; Jones"},
        {"<b>\"x\"</b>", "&lt;b&gt;&quot;x&quot;&lt;/b&gt;"},
        {"a\x01"
         "b\x0B"
         "c\x1F"
         "d\x7F",
         "abcd"},
        {"Caf\xE9 \x80"
         "5 \x93q\x94",
         "Caf\xC3\xA9 \xE2\x82\xAC"
         "5 \xE2\x80\x9Cq\xE2\x80\x9D"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(xmlCharacterData(c.cp1252), c.xml) << c.cp1252;
}

TEST(DocxText, BlanksArePreservedWhereXmlWouldLoseThem) {
    const std::pair<std::string, bool> cases[] = {
        {"", false},      {"plain", false},   {"two words", false}, {" lead", true},
        {"trail ", true}, {"in  side", true}, {"   12.50", true},
    };
    for (const auto& [text, preserve] : cases)
        EXPECT_EQ(blanksNeedPreserving(text), preserve) << '"' << text << '"';
}

std::map<std::string, std::string> unzip(const std::string& path) {
    std::map<std::string, std::string> parts;
    int err = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &err);
    if (!archive)
        return parts;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        zip_stat_t st;
        zip_stat_index(archive, index, 0, &st);
        std::string bytes(st.size, '\0');
        zip_file_t* file = zip_fopen_index(archive, index, 0);
        zip_fread(file, bytes.data(), st.size);
        zip_fclose(file);
        parts[st.name] = bytes;
    }
    zip_close(archive);
    return parts;
}

bool wellFormed(const std::string& xml, std::string& why) {
    QXmlStreamReader reader(QByteArray::fromStdString(xml));
    while (!reader.atEnd())
        reader.readNext();
    why = reader.errorString().toStdString();
    return !reader.hasError();
}

Run text(std::string t, Font font = {}) {
    return Run{RunKind::Text, std::move(t), std::move(font)};
}

// Every feature of the model once, with text that needs escaping.
Document sampleDocument() {
    const Font arial{"Arial", 20};
    Font bold = arial;
    bold.bold = true;
    Document d;
    d.defaultFont = arial;
    Paragraph title;
    title.align = Align::Center;
    title.runs = {text("Smith & Jones <Title>", bold)};
    Paragraph dots;
    dots.tabs = {{inchesToTwips(5), TabAlign::Right, TabLeader::Dots}};
    dots.runs = {text("Searches\t1,234.50", arial)};
    Paragraph rule;
    rule.bottomBorder = {LineStyle::Single, 16, 1};
    // Monospaced, so that the PDF's text keeps every blank.
    rule.runs = {text("  two  blanks  ", Font{"Courier New", 20})};
    d.body = {title, dots, rule};

    Table table;
    table.indent = inchesToTwips(0.25);
    table.columnWidths = {inchesToTwips(1.5), inchesToTwips(3)};
    table.outside = {LineStyle::Double, 4, 0};
    table.inside = {LineStyle::Single, 4, 0};
    auto cell = [&](std::string t) {
        Paragraph p;
        p.runs = {text(std::move(t), arial)};
        return Cell{{p}, std::nullopt, std::nullopt};
    };
    TableRow header{{cell("FILE NO."), cell("AMOUNT")}, true};
    for (Cell& c : header.cells)
        c.shading = 0xB3B3B3;
    table.rows = {
        header, {{cell("QM00001"), cell("  150.00")}}, {{cell("A&B-7"), cell("   12.50")}}};
    d.body.push_back(table);

    Paragraph footer;
    footer.align = Align::Center;
    footer.runs = {text("Page ", arial), Run{RunKind::PageNumber, {}, arial}, text(" of ", arial),
                   Run{RunKind::PageCount, {}, arial}};
    d.footer = {footer};
    d.protectForms = true;
    return d;
}

TEST(DocxPackage, HoldsEveryPartWellFormed) {
    TempFolder folder;
    Document d = sampleDocument();
    // Every byte value once: escaping and control removal must keep every part well formed.
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    d.body.push_back(Paragraph{Align::Left, 0, 0, 0, 0, {}, {}, {text(all)}});
    Result<std::string> bytes = packageBytes(d);
    ASSERT_TRUE(bytes) << bytes.error().describe();
    const std::string path = folder.file("p.docx");
    ASSERT_TRUE(writeWholeFile(path, bytes.value()));

    const auto parts = unzip(path);
    for (const char* name :
         {"[Content_Types].xml", "_rels/.rels", "word/_rels/document.xml.rels", "word/document.xml",
          "word/settings.xml", "word/styles.xml", "word/footer1.xml"}) {
        ASSERT_TRUE(parts.count(name)) << name;
        std::string why;
        EXPECT_TRUE(wellFormed(parts.at(name), why)) << name << ": " << why;
    }
    EXPECT_EQ(parts.size(), 7u);
    EXPECT_NE(parts.at("word/settings.xml").find("w:edit=\"forms\""), std::string::npos);
}

TEST(DocxPackage, WithoutFooterHasNoFooterPart) {
    Document d;
    Result<std::string> bytes = packageBytes(d);
    ASSERT_TRUE(bytes);
    TempFolder folder;
    ASSERT_TRUE(writeWholeFile(folder.file("a.docx"), bytes.value()));
    const auto parts = unzip(folder.file("a.docx"));
    EXPECT_EQ(parts.count("word/footer1.xml"), 0u);
    EXPECT_EQ(parts.at("word/document.xml").find("footerReference"), std::string::npos);
    EXPECT_EQ(parts.at("[Content_Types].xml").find("footer"), std::string::npos);
}

TEST(StagedFile, AppearsOnlyWhenCommitted) {
    TempFolder folder;
    const std::string target = folder.file("Statement_1.docx");
    ASSERT_TRUE(writeWholeFile(target, "older"));
    std::string dropped;
    {
        Result<StagedFile> staged = StagedFile::write(target, "newer");
        ASSERT_TRUE(staged);
        dropped = staged->temporaryPath();
        EXPECT_EQ(test::contentOf(dropped), "newer");
        EXPECT_EQ(test::contentOf(target), "older");
    }
    // Dropped without commit: the temporary file goes, the old file stays.
    EXPECT_FALSE(fileExists(dropped));
    EXPECT_EQ(test::contentOf(target), "older");
    {
        Result<StagedFile> staged = StagedFile::write(target, "again");
        ASSERT_TRUE(staged);
        ASSERT_TRUE(staged->commit());
    }
    EXPECT_EQ(test::contentOf(target), "again");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(StagedFile, FailsInAMissingFolder) {
    TempFolder folder;
    Result<StagedFile> staged = StagedFile::write(folder.file("no/such/x.docx"), "x");
    ASSERT_FALSE(staged);
    EXPECT_EQ(staged.error().sysErrno, ENOENT);
}

TEST(DocxInOffice, LibreOfficeShowsTextTableAndPageFooter) {
    TempFolder folder;
    const std::string path = folder.file("sample.docx");
    Result<StagedFile> staged = stageDocument(sampleDocument(), path);
    ASSERT_TRUE(staged) << staged.error().describe();
    ASSERT_TRUE(staged->commit());

    const test::OfficePdf office(path);
    ASSERT_TRUE(office.converted()) << office.diagnostics();
    const std::string t = office.text();
    EXPECT_NE(t.find("Smith & Jones <Title>"), std::string::npos) << t;
    EXPECT_NE(t.find("Searches"), std::string::npos) << t;
    EXPECT_NE(t.find("1,234.50"), std::string::npos) << t;
    // 10-point Courier is 6 points a character.
    EXPECT_NE(office.text(6).find("  two  blanks"), std::string::npos) << office.text(6);
    EXPECT_NE(t.find("A&B-7"), std::string::npos) << t;
    EXPECT_NE(t.find("12.50"), std::string::npos) << t;
    EXPECT_NE(t.find("Page 1 of 1"), std::string::npos) << t;
}

} // namespace
} // namespace qm::docx
