// Objects embedded in office documents as OLE compound files: a packaged file (Ole10Native),
// an embedded package ("Package") or raw contents ("CONTENTS"); the inner file is extracted.
#include "extractd/ole_package_extractor.h"

#include "extractd/ole_file.h"

#include <cstdint>

bool ParseOle10Native(const std::string &aStream, std::string &aName, std::string &aData)
{
    std::size_t at = 0;
    auto u16 = [&](std::uint32_t &aValue) {
        if (at + 2 > aStream.size())
            return false;
        aValue = ReadLe16(aStream, at);
        at += 2;
        return true;
    };
    auto u32 = [&](std::uint32_t &aValue) {
        if (at + 4 > aStream.size())
            return false;
        aValue = ReadLe32(aStream, at);
        at += 4;
        return true;
    };
    auto cstr = [&](std::string &aValue) {
        std::size_t end = aStream.find('\0', at);
        if (end == std::string::npos)
            return false;
        aValue = aStream.substr(at, end - at);
        at = end + 1;
        return true;
    };
    std::uint32_t size = 0, flags = 0, unknown = 0, pathLength = 0, dataLength = 0;
    std::string label, path;
    if (!u32(size) || !u16(flags) || !cstr(label) || !cstr(path) || !u16(unknown) || !u16(unknown) ||
        !u32(pathLength) || pathLength > aStream.size() - at)
        return false;
    at += pathLength;
    if (!u32(dataLength) || dataLength > aStream.size() - at)
        return false;
    aData = aStream.substr(at, dataLength);
    std::string name = label.empty() ? path : label;
    aName = name.substr(name.find_last_of("/\\") == std::string::npos ? 0 : name.find_last_of("/\\") + 1);
    return true;
}

void TOlePackageExtractor::Extract(const TDocument &aDocument, TExtractContext &aContext)
{
    TOleFile ole(aDocument.Bytes);
    if (std::optional<std::string> native = ole.ReadStream("\x01Ole10Native", 256ull << 20)) {
        std::string name, data;
        if (ParseOle10Native(*native, name, data))
            aContext.ExtractEmbedded(data, name);
        return;
    }
    for (const char *stream : {"Package", "CONTENTS"})
        if (std::optional<std::string> data = ole.ReadStream(stream, 256ull << 20)) {
            aContext.ExtractEmbedded(*data, "");
            return;
        }
}
