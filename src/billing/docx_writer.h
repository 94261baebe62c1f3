#pragma once
// Writes a document as a DOCX package: the WordprocessingML parts zipped with libzip.

#include "docx_document.h"
#include "result.h"
#include "staged_file.h"

#include <string>

namespace qm::docx {

// The package's bytes.
Result<std::string> packageBytes(const Document& document);

// The package written and synced under a temporary name beside finalPath; the caller commits it
// once everything that goes with it has succeeded.
Result<StagedFile> stageDocument(const Document& document, const std::string& finalPath);

} // namespace qm::docx
