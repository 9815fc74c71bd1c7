// Objects embedded in office documents as OLE compound files: a packaged file (Ole10Native),
// an embedded package ("Package") or raw contents ("CONTENTS"); the inner file is extracted.
#pragma once

#include "extractd/extractor.h"

class TOlePackageExtractor : public IExtractor
{
public:
    void Extract(const TDocument &aDocument, TExtractContext &aContext) override;
};

// The packaged file inside an Ole10Native stream: its name and bytes; false when the stream
// does not have the expected layout.
bool ParseOle10Native(const std::string &aStream, std::string &aName, std::string &aData);
