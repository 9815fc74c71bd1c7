// Limits against hostile documents, shared by the server and every extractor.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ExtractLimits {
// Embedded documents (archive entries, attachments) are followed at most this deep.
constexpr int MaxNestingDepth = 10;
// XML element nesting beyond this is treated as a bomb.
constexpr int MaxXmlDepth = 100;
// Output beyond MinBombChars characters that is also more than OutputRatio times the input
// is treated as a decompression bomb.
constexpr std::uint64_t MinBombChars = 1000000;
constexpr std::uint64_t OutputRatio = 100;
// No single entry of an archive is inflated into memory beyond this many bytes.
constexpr std::uint64_t MaxEntryBytes = 512ull * 1024 * 1024;
} // namespace ExtractLimits
