// Chooses the extractor for a document by its detected type and runs it.
#pragma once

#include "extractd/doc_type.h"
#include "extractd/extractor.h"

#include <memory>

// The extractor for aType, or null for a type without text (unknown binary data).
std::unique_ptr<IExtractor> MakeExtractor(TDocType aType);

// Extracts the request's document aDocument into aSink with aPassword ("" for none). The detected
// type is passed to aOnDetected (may be empty) before the extraction starts. Runs in the
// sandboxed child. Throws TExtractError for a corrupt, encrypted or hostile document,
// std::bad_alloc when memory runs out.
void ExtractDocument(const TDocument &aDocument, TTextSink &aSink, const std::string &aPassword,
                     const std::function<void(TDocType)> &aOnDetected = {});
