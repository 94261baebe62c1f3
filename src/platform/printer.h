#pragma once
// The default printer, or a PDF file in its place, as one service: printing code draws on the
// device it is given and never asks which one it is.

#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QString>
#include <memory>

namespace qm {

class PrinterService {
  public:
    virtual ~PrinterService() = default;
    // A device for one document in that orientation; nullptr when there is no printer.
    virtual std::unique_ptr<QPagedPaintDevice> open(QPageLayout::Orientation orientation) = 0;
};

// The workstation's default printer (CUPS).
class DefaultPrinter final : public PrinterService {
  public:
    std::unique_ptr<QPagedPaintDevice> open(QPageLayout::Orientation orientation) override;
};

// Letter pages into one PDF file, replaced by each document.
class PdfPrinter final : public PrinterService {
  public:
    explicit PdfPrinter(QString path) : path_(std::move(path)) {}
    std::unique_ptr<QPagedPaintDevice> open(QPageLayout::Orientation orientation) override;

  private:
    QString path_;
};

} // namespace qm
