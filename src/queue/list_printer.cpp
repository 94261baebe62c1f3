#include "list_printer.h"

#include "printer.h"

#include <QFontMetricsF>
#include <QPainter>

namespace qm {

namespace {

QFont listFont(bool bold) {
    QFont font(QStringLiteral("Lucida Console"), 10);
    // Another fixed-pitch face stands in where that one is missing, so columns still line up.
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setBold(bold);
    return font;
}

// Lines of text down the page, in the printer's own units.
class PageWriter {
  public:
    PageWriter(QPagedPaintDevice& device, QPainter& painter)
        : device_(device), painter_(painter), dpi_(device.logicalDpiY()) {
        painter_.setFont(listFont(false));
        lineHeight_ = QFontMetricsF(painter_.font(), &device_).lineSpacing();
    }

    void line(const QString& text = QString(), bool bold = false) {
        if (y_ + lineHeight_ > device_.height()) {
            device_.newPage();
            y_ = 0;
        }
        painter_.setFont(listFont(bold));
        painter_.drawText(QPointF(0, y_ + QFontMetricsF(painter_.font(), &device_).ascent()),
                          text);
        painter_.setFont(listFont(false));
        y_ += lineHeight_;
    }

    // A rule at the current height, from `from` to `to` inches across.
    void rule(double from, double to) {
        const double right = std::min(to * dpi_, static_cast<double>(device_.width()));
        painter_.drawLine(QPointF(from * dpi_, y_), QPointF(right, y_));
    }

  private:
    QPagedPaintDevice& device_;
    QPainter& painter_;
    double dpi_;
    double lineHeight_ = 0;
    double y_ = 0;
};

template <typename Draw>
bool printDocument(PrinterService& printer, QPageLayout::Orientation orientation, Draw draw) {
    std::unique_ptr<QPagedPaintDevice> device = printer.open(orientation);
    if (!device)
        return false;
    QPainter painter;
    if (!painter.begin(device.get()))
        return false;
    PageWriter writer(*device, painter);
    draw(writer);
    return painter.end();
}

} // namespace

bool printDetail(PrinterService& printer, const std::vector<QueueCells>& rows,
                 const QString& detailsText, bool singleWithDetails) {
    if (singleWithDetails)
        return printDocument(printer, QPageLayout::Portrait, [&](PageWriter& page) {
            page.line();
            for (const QString& line : detailsText.split(QStringLiteral("\r\n")))
                page.line(line);
        });
    return printDocument(printer, QPageLayout::Landscape, [&](PageWriter& page) {
        page.line();
        page.line();
        page.line(detailHeading(), true);
        page.rule(0.25, 10);
        page.line();
        for (const QueueCells& row : rows) {
            page.line(printedDetailLine(row));
            page.line();
        }
    });
}

bool printList(PrinterService& printer, const std::vector<QueueCells>& rows,
               const QStringList& townItems) {
    return printDocument(printer, QPageLayout::Portrait, [&](PageWriter& page) {
        page.line();
        page.line();
        page.line(workListHeading(), true);
        page.rule(0.25, 8);
        page.line();
        for (const QueueCells& row : workListOrder(rows, townItems)) {
            page.line(printedWorkListLine(row));
            page.line();
        }
    });
}

} // namespace qm
