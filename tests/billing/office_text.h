#pragma once
// Opens a DOCX in a real word processor: LibreOffice converts it to PDF, pdftotext reads the PDF
// back with its layout kept.

#include <QTemporaryDir>
#include <string>

namespace qm::test {

class OfficePdf {
  public:
    // Converts with a profile of its own, so runs never share one.
    explicit OfficePdf(const std::string& docxPath);

    bool converted() const { return converted_; } // the PDF exists
    const std::string& diagnostics() const { return diagnostics_; }
    // The PDF's text, pages separated by form feeds. With a pitch (points per character) the
    // columns are that fixed width, which keeps every blank of monospaced text.
    std::string text(double fixedPitch = 0) const;

  private:
    QTemporaryDir work_;
    QString pdf_;
    bool converted_ = false;
    mutable std::string diagnostics_;
};

} // namespace qm::test
