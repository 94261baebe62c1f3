#include "list_printer.h"

#include "printer.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QRegularExpression>

#include <algorithm>

namespace qm {

namespace {

QFont listFont(bool bold) {
    QFont font(QStringLiteral("Lucida Console"), 10);
    // Another fixed-pitch face stands in where that one is missing, so columns still line up.
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    if (!QFontInfo(font).fixedPitch()) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPointSize(10);
    }
    font.setBold(bold);
    return font;
}

// Lines of text down the page from its top left, in the device's own units.
class PageWriter {
  public:
    PageWriter(QPagedPaintDevice& device, QPainter& painter)
        : device_(device), painter_(painter), regular_(listFont(false)), bold_(listFont(true)),
          lineHeight_(QFontMetricsF(regular_, &device).lineSpacing()) {}

    void line(const QString& text = QString(), bool bold = false) {
        if (y_ > 0 && y_ + lineHeight_ > device_.height()) {
            ok_ = device_.newPage() && ok_;
            y_ = 0;
        }
        const QFont& font = bold ? bold_ : regular_;
        painter_.setFont(font);
        painter_.drawText(QPointF(0, y_ + QFontMetricsF(font, &device_).ascent()), text);
        y_ += lineHeight_;
    }

    // A rule at the current height, from `from` to `to` inches across.
    void rule(double from, double to) {
        const double dpi = device_.logicalDpiX();
        const double right = std::min(to * dpi, static_cast<double>(device_.width()));
        painter_.drawLine(QPointF(from * dpi, y_), QPointF(right, y_));
    }

    bool ok() const { return ok_ && painter_.isActive(); }

  private:
    QPagedPaintDevice& device_;
    QPainter& painter_;
    QFont regular_;
    QFont bold_;
    double lineHeight_;
    double y_ = 0;
    bool ok_ = true;
};

template <typename Draw>
bool printDocument(PrinterService& printer, QPageLayout::Orientation orientation, Draw draw) {
    std::unique_ptr<QPagedPaintDevice> device = printer.open(orientation);
    if (!device)
        return false;
    QPainter painter;
    if (!painter.begin(device.get()))
        return false;
    PageWriter page(*device, painter);
    draw(page);
    const bool drawn = page.ok();
    return painter.end() && drawn;
}

// The heading block both lists open with: two empty lines, the bold heading, the rule under
// it and an empty line.
void headingBlock(PageWriter& page, const QString& heading, double ruleEnd) {
    page.line();
    page.line();
    page.line(heading, true);
    page.rule(0.25, ruleEnd);
    page.line();
}

} // namespace

bool printDetail(PrinterService& printer, const std::vector<QueueCells>& rows,
                 const QString& detailsText, bool singleWithDetails) {
    if (singleWithDetails)
        return printDocument(printer, QPageLayout::Portrait, [&](PageWriter& page) {
            page.line();
            static const QRegularExpression lineBreak(QStringLiteral("\r\n|\n|\r"));
            for (const QString& text : detailsText.split(lineBreak))
                page.line(text);
        });
    return printDocument(printer, QPageLayout::Landscape, [&](PageWriter& page) {
        headingBlock(page, detailHeading(), 10);
        for (const QueueCells& row : rows) {
            page.line(printedDetailLine(row));
            page.line();
        }
    });
}

bool printList(PrinterService& printer, const std::vector<QueueCells>& rows,
               const QStringList& townItems) {
    return printDocument(printer, QPageLayout::Portrait, [&](PageWriter& page) {
        headingBlock(page, workListHeading(), 8);
        for (const QueueCells& row : workListOrder(rows, townItems)) {
            page.line(printedWorkListLine(row));
            page.line();
        }
    });
}

} // namespace qm
