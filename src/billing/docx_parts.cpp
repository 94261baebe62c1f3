#include "docx_parts.h"

#include "cp1252.h"

#include <cstdio>
#include <numeric>

namespace qm::docx {

namespace {

constexpr const char* kXmlHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
constexpr const char* kMainNs = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr const char* kRelNs =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr const char* kRelTypeBase =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
constexpr const char* kTypeBase = "application/vnd.openxmlformats-officedocument.wordprocessingml.";

constexpr const char* kSettingsId = "rId1";
constexpr const char* kStylesId = "rId2";
constexpr const char* kFooterId = "rId3";

std::string rootOpen(const char* element) {
    return std::string(kXmlHeader) + "<w:" + element + " xmlns:w=\"" + kMainNs + "\" xmlns:r=\"" +
           kRelNs + "\">";
}

std::string attr(const char* name, int value) {
    return std::string(" ") + name + "=\"" + std::to_string(value) + "\"";
}

std::string attr(const char* name, std::string_view value) {
    return std::string(" ") + name + "=\"" + xmlCharacterData(value) + "\"";
}

const char* lineStyleName(LineStyle style) {
    switch (style) {
    case LineStyle::Single:
        return "single";
    case LineStyle::Double:
        return "double";
    case LineStyle::None:
        break;
    }
    return "nil";
}

std::string borderElement(const char* side, const Border& border) {
    std::string out = std::string("<w:") + side + " w:val=\"" + lineStyleName(border.style) + "\"";
    if (border.style != LineStyle::None) {
        out += attr("w:sz", border.eighthPoints) + attr("w:space", border.spacePoints) +
               " w:color=\"000000\"";
    }
    return out + "/>";
}

std::string runProperties(const Font& font) {
    std::string out;
    if (!font.name.empty()) {
        out += "<w:rFonts" + attr("w:ascii", font.name) + attr("w:hAnsi", font.name) +
               attr("w:cs", font.name) + attr("w:eastAsia", font.name) + "/>";
    }
    if (font.bold)
        out += "<w:b/><w:bCs/>";
    if (font.italic)
        out += "<w:i/><w:iCs/>";
    if (font.halfPoints > 0)
        out += "<w:sz" + attr("w:val", font.halfPoints) + "/><w:szCs" +
               attr("w:val", font.halfPoints) + "/>";
    if (font.underline)
        out += "<w:u w:val=\"single\"/>";
    return out.empty() ? out : "<w:rPr>" + out + "</w:rPr>";
}

std::string textElement(std::string_view segment) {
    if (segment.empty())
        return {};
    return std::string(blanksNeedPreserving(segment) ? "<w:t xml:space=\"preserve\">" : "<w:t>") +
           xmlCharacterData(segment) + "</w:t>";
}

// A text run: tabs and line feeds become their own run content between the text pieces.
std::string textRun(const Run& run) {
    std::string body;
    std::string_view rest = run.text;
    while (!rest.empty()) {
        const size_t stop = rest.find_first_of("\t\n");
        body += textElement(rest.substr(0, stop));
        if (stop == std::string_view::npos)
            break;
        body += rest[stop] == '\t' ? "<w:tab/>" : "<w:br/>";
        rest.remove_prefix(stop + 1);
    }
    return "<w:r>" + runProperties(run.font) + body + "</w:r>";
}

// A field the reader computes; "1" stands in until it does.
std::string fieldRuns(const Run& run, const char* instruction) {
    const std::string props = runProperties(run.font);
    return "<w:r>" + props + "<w:fldChar w:fldCharType=\"begin\"/></w:r><w:r>" + props +
           "<w:instrText xml:space=\"preserve\"> " + instruction + " </w:instrText></w:r><w:r>" +
           props + "<w:fldChar w:fldCharType=\"separate\"/></w:r><w:r>" + props +
           "<w:t>1</w:t></w:r><w:r>" + props + "<w:fldChar w:fldCharType=\"end\"/></w:r>";
}

std::string runXml(const Run& run) {
    switch (run.kind) {
    case RunKind::PageNumber:
        return fieldRuns(run, "PAGE");
    case RunKind::PageCount:
        return fieldRuns(run, "NUMPAGES");
    case RunKind::Text:
        break;
    }
    return textRun(run);
}

std::string paragraphXml(const Paragraph& p) {
    std::string props;
    if (p.bottomBorder.style != LineStyle::None)
        props += "<w:pBdr>" + borderElement("bottom", p.bottomBorder) + "</w:pBdr>";
    if (!p.tabs.empty()) {
        props += "<w:tabs>";
        for (const TabStop& tab : p.tabs) {
            props += std::string("<w:tab w:val=\"") +
                     (tab.align == TabAlign::Right ? "right" : "left") + "\"" +
                     (tab.leader == TabLeader::Dots ? " w:leader=\"dot\"" : "") +
                     attr("w:pos", tab.position) + "/>";
        }
        props += "</w:tabs>";
    }
    props += "<w:spacing w:before=\"0\"" + attr("w:after", p.spaceAfter);
    props += p.lineHeight > 0 ? attr("w:line", p.lineHeight) + " w:lineRule=\"atLeast\"/>"
                              : std::string(" w:line=\"240\" w:lineRule=\"auto\"/>");
    if (p.indentLeft != 0 || p.indentRight != 0)
        props += "<w:ind" + attr("w:left", p.indentLeft) + attr("w:right", p.indentRight) + "/>";
    if (p.align != Align::Left)
        props += std::string("<w:jc w:val=\"") + (p.align == Align::Center ? "center" : "right") +
                 "\"/>";
    // The paragraph mark takes the font of the last run, so an empty line is as high as its text.
    if (!p.runs.empty())
        props += runProperties(p.runs.back().font);

    std::string out = "<w:p><w:pPr>" + props + "</w:pPr>";
    for (const Run& run : p.runs)
        out += runXml(run);
    return out + "</w:p>";
}

std::string tableXml(const Table& t) {
    const int width = std::accumulate(t.columnWidths.begin(), t.columnWidths.end(), 0);
    std::string out = "<w:tbl><w:tblPr><w:tblW" + attr("w:w", width) +
                      " w:type=\"dxa\"/><w:tblInd" + attr("w:w", t.indent) +
                      " w:type=\"dxa\"/><w:tblBorders>";
    for (const char* side : {"top", "left", "bottom", "right"})
        out += borderElement(side, t.outside);
    out += borderElement("insideH", t.inside) + borderElement("insideV", t.inside);
    out += "</w:tblBorders><w:tblLayout w:type=\"fixed\"/><w:tblCellMar>"
           "<w:left w:w=\"108\" w:type=\"dxa\"/><w:right w:w=\"108\" w:type=\"dxa\"/>"
           "</w:tblCellMar></w:tblPr><w:tblGrid>";
    for (int column : t.columnWidths)
        out += "<w:gridCol" + attr("w:w", column) + "/>";
    out += "</w:tblGrid>";
    for (const TableRow& row : t.rows) {
        out += "<w:tr>";
        if (row.repeatAsHeader)
            out += "<w:trPr><w:tblHeader/></w:trPr>";
        for (size_t c = 0; c < row.cells.size(); ++c) {
            const Cell& cell = row.cells[c];
            const int cellWidth = c < t.columnWidths.size() ? t.columnWidths[c] : 0;
            out += "<w:tc><w:tcPr><w:tcW" + attr("w:w", cellWidth) + " w:type=\"dxa\"/>";
            if (cell.shading) {
                char fill[8];
                std::snprintf(fill, sizeof fill, "%06X", *cell.shading & 0xFFFFFFu);
                out += std::string("<w:shd w:val=\"clear\" w:color=\"auto\" w:fill=\"") + fill +
                       "\"/>";
            }
            if (cell.leftPadding)
                out += "<w:tcMar><w:left" + attr("w:w", *cell.leftPadding) +
                       " w:type=\"dxa\"/></w:tcMar>";
            out += "</w:tcPr>";
            if (cell.paragraphs.empty())
                out += paragraphXml(Paragraph{});
            for (const Paragraph& p : cell.paragraphs)
                out += paragraphXml(p);
            out += "</w:tc>";
        }
        out += "</w:tr>";
    }
    return out + "</w:tbl>";
}

std::string documentXml(const Document& d) {
    std::string out = rootOpen("document") + "<w:body>";
    for (const Block& block : d.body) {
        if (const auto* p = std::get_if<Paragraph>(&block))
            out += paragraphXml(*p);
        else
            out += tableXml(std::get<Table>(block));
    }
    // A table may not end the body: the section properties need a paragraph before them.
    if (d.body.empty() || std::holds_alternative<Table>(d.body.back()))
        out += paragraphXml(Paragraph{});

    const PageSetup& pg = d.page;
    out += "<w:sectPr>";
    if (!d.footer.empty())
        out += std::string("<w:footerReference w:type=\"default\" r:id=\"") + kFooterId + "\"/>";
    out += "<w:pgSz" + attr("w:w", pg.width) + attr("w:h", pg.height) +
           (pg.landscape ? " w:orient=\"landscape\"" : "") + "/>";
    out += "<w:pgMar" + attr("w:top", pg.marginTop) + attr("w:right", pg.marginRight) +
           attr("w:bottom", pg.marginBottom) + attr("w:left", pg.marginLeft) +
           attr("w:header", pg.headerDistance) + attr("w:footer", pg.footerDistance) +
           " w:gutter=\"0\"/>";
    return out + "</w:sectPr></w:body></w:document>";
}

std::string footerXml(const Document& d) {
    std::string out = rootOpen("ftr");
    for (const Paragraph& p : d.footer)
        out += paragraphXml(p);
    return out + "</w:ftr>";
}

std::string settingsXml(const Document& d) {
    std::string out = rootOpen("settings");
    if (d.protectForms)
        out += "<w:documentProtection w:edit=\"forms\" w:enforcement=\"1\"/>";
    out += "<w:defaultTabStop" + attr("w:val", d.defaultTabStop) + "/>";
    out += "<w:compat><w:compatSetting w:name=\"compatibilityMode\" "
           "w:uri=\"http://schemas.microsoft.com/office/word\" w:val=\"15\"/></w:compat>";
    return out + "</w:settings>";
}

std::string stylesXml(const Document& d) {
    return rootOpen("styles") + "<w:docDefaults><w:rPrDefault>" + runProperties(d.defaultFont) +
           "</w:rPrDefault><w:pPrDefault><w:pPr><w:spacing w:after=\"0\" w:line=\"240\" "
           "w:lineRule=\"auto\"/></w:pPr></w:pPrDefault></w:docDefaults>"
           "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\">"
           "<w:name w:val=\"Normal\"/></w:style></w:styles>";
}

std::string relationship(const char* id, const char* type, const char* target) {
    return std::string("<Relationship Id=\"") + id + "\" Type=\"" + kRelTypeBase + type +
           "\" Target=\"" + target + "\"/>";
}

std::string contentTypesXml(bool withFooter) {
    auto override = [](const char* part, const char* type) {
        return std::string("<Override PartName=\"") + part + "\" ContentType=\"" + kTypeBase +
               type + "\"/>";
    };
    std::string out =
        std::string(kXmlHeader) +
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" "
        "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>" +
        override("/word/document.xml", "document.main+xml") +
        override("/word/settings.xml", "settings+xml") + override("/word/styles.xml", "styles+xml");
    if (withFooter)
        out += override("/word/footer1.xml", "footer+xml");
    return out + "</Types>";
}

} // namespace

std::string xmlCharacterData(std::string_view cp1252) {
    std::string escaped;
    escaped.reserve(cp1252.size());
    for (char ch : cp1252) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x20 || b == 0x7F)
            continue;
        switch (ch) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        default:
            escaped += ch;
        }
    }
    return cp1252ToUtf8(escaped);
}

bool blanksNeedPreserving(std::string_view text) {
    return !text.empty() &&
           (text.front() == ' ' || text.back() == ' ' || text.find("  ") != std::string_view::npos);
}

std::vector<PackagePart> packageParts(const Document& document) {
    const bool withFooter = !document.footer.empty();
    std::string rels = std::string(kXmlHeader) +
                       "<Relationships "
                       "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    std::string documentRels = rels + relationship(kSettingsId, "settings", "settings.xml") +
                               relationship(kStylesId, "styles", "styles.xml");
    if (withFooter)
        documentRels += relationship(kFooterId, "footer", "footer1.xml");

    std::vector<PackagePart> parts{
        {"[Content_Types].xml", contentTypesXml(withFooter)},
        {"_rels/.rels",
         rels + relationship("rId1", "officeDocument", "word/document.xml") + "</Relationships>"},
        {"word/_rels/document.xml.rels", documentRels + "</Relationships>"},
        {"word/document.xml", documentXml(document)},
        {"word/settings.xml", settingsXml(document)},
        {"word/styles.xml", stylesXml(document)},
    };
    if (withFooter)
        parts.push_back({"word/footer1.xml", footerXml(document)});
    return parts;
}

} // namespace qm::docx
