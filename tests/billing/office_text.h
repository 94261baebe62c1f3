#pragma once
// Opens a DOCX in a real word processor: LibreOffice converts it to PDF, pdftotext reads the PDF
// back with its layout kept.

#include <string>

namespace qm::test {

struct OfficeText {
    bool converted = false; // the PDF exists
    std::string text;       // its text, pages separated by form feeds
    std::string diagnostics;
};

// Converts with a profile of its own, so runs never share one.
OfficeText officeTextOf(const std::string& docxPath);

} // namespace qm::test
