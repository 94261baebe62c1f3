#pragma once
// The WordprocessingML parts of a document, as the package holds them.

#include "docx_document.h"

#include <string>
#include <string_view>
#include <vector>

namespace qm::docx {

struct PackagePart {
    std::string name; // path inside the package, "word/document.xml"
    std::string xml;  // UTF-8
};

// Windows-1252 bytes as XML character data in UTF-8: markup characters escaped (the double quote
// too, so the result also serves in attribute values) and control characters, which XML cannot
// hold, removed.
std::string xmlCharacterData(std::string_view cp1252);

// Whether XML would lose blanks of the text unless told to keep them: a blank at either end or
// two in a row.
bool blanksNeedPreserving(std::string_view text);

// [Content_Types].xml first, then the relationships, the document, settings, styles and, when
// the document has one, the footer.
std::vector<PackagePart> packageParts(const Document& document);

} // namespace qm::docx
