#pragma once
// A small word-processor document: paragraphs of runs, tables, page setup and one footer. Just
// what statements need, written out as WordprocessingML by docx_writer.h.
//
// All text is Windows-1252 bytes, as the data files hold it. In a text run a TAB moves to the next
// tab stop and a line feed breaks the line; other control characters are dropped.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace qm::docx {

// Lengths are twips (1/20 point); font sizes are half points.
constexpr int pointsToTwips(double points) {
    return static_cast<int>(points * 20.0 + (points < 0 ? -0.5 : 0.5));
}
constexpr int inchesToTwips(double inches) {
    return pointsToTwips(inches * 72.0);
}
constexpr int pointsToHalfPoints(double points) {
    return static_cast<int>(points * 2.0 + 0.5);
}

enum class Align { Left, Center, Right };

struct Font {
    std::string name;   // empty: the document's default font
    int halfPoints = 0; // 0: the document's default size
    bool bold = false;
    bool italic = false;
    bool underline = false;

    bool operator==(const Font&) const = default;
};

enum class RunKind {
    Text,
    PageNumber, // the number of the page the run is on
    PageCount,  // the number of pages of the document
};

struct Run {
    RunKind kind = RunKind::Text;
    std::string text;
    Font font;

    bool operator==(const Run&) const = default;
};

enum class TabAlign { Left, Right };
enum class TabLeader { None, Dots };

struct TabStop {
    int position = 0; // from the left margin
    TabAlign align = TabAlign::Left;
    TabLeader leader = TabLeader::None;

    bool operator==(const TabStop&) const = default;
};

enum class LineStyle { None, Single, Double };

struct Border {
    LineStyle style = LineStyle::None;
    int eighthPoints = 4; // line weight
    int spacePoints = 1;  // distance from the text

    bool operator==(const Border&) const = default;
};

struct Paragraph {
    Align align = Align::Left;
    int spaceAfter = 0;  // twips
    int lineHeight = 0;  // twips, at least this high; 0: single spacing
    int indentLeft = 0;  // twips, negative reaches into the margin
    int indentRight = 0; // twips
    std::vector<TabStop> tabs;
    Border bottomBorder; // a rule under the paragraph
    std::vector<Run> runs;

    bool operator==(const Paragraph&) const = default;
};

struct Cell {
    std::vector<Paragraph> paragraphs;    // an empty cell still gets one empty paragraph
    std::optional<std::uint32_t> shading; // background 0xRRGGBB
    std::optional<int> leftPadding;       // twips; the table's default otherwise

    bool operator==(const Cell&) const = default;
};

struct TableRow {
    std::vector<Cell> cells;
    bool repeatAsHeader = false; // repeated at the top of every page the table runs onto

    bool operator==(const TableRow&) const = default;
};

struct Table {
    int indent = 0;                // twips from the left margin
    std::vector<int> columnWidths; // twips, fixed
    Border outside;                // the four outer edges
    Border inside;                 // lines between rows and columns
    std::vector<TableRow> rows;    // each with as many cells as there are columns

    bool operator==(const Table&) const = default;
};

using Block = std::variant<Paragraph, Table>;

struct PageSetup {
    int width = 12240; // US Letter
    int height = 15840;
    bool landscape = false;
    int marginLeft = 1440;
    int marginRight = 1440;
    int marginTop = 1440;
    int marginBottom = 1440;
    int headerDistance = 720;
    int footerDistance = 720;

    bool operator==(const PageSetup&) const = default;
};

struct Document {
    PageSetup page;
    int defaultTabStop = 720;
    Font defaultFont{"Times New Roman", 24};
    std::vector<Block> body;
    std::vector<Paragraph> footer; // none: the document has no footer
    // Only form fields may be edited; the protection has no key, so any reader can lift it.
    bool protectForms = false;

    bool operator==(const Document&) const = default;
};

} // namespace qm::docx
