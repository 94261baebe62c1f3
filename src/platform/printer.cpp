#include "printer.h"

#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

namespace qm {

std::unique_ptr<QPagedPaintDevice> DefaultPrinter::open(QPageLayout::Orientation orientation) {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return nullptr;
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    if (!printer->isValid())
        return nullptr;
    printer->setPageOrientation(orientation);
    return printer;
}

std::unique_ptr<QPagedPaintDevice> PdfPrinter::open(QPageLayout::Orientation orientation) {
    auto writer = std::make_unique<QPdfWriter>(path_);
    writer->setResolution(600);
    // A quarter inch all round, like a printer's unprintable edge: the 10-inch rule of a
    // landscape page and the 8-inch rule of a portrait page both fit.
    writer->setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), orientation,
                                      QMarginsF(0.25, 0.25, 0.25, 0.25), QPageLayout::Inch));
    return writer;
}

} // namespace qm
