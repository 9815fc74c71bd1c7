// Fuzz target: the check of a request head that ordwell-extractd makes before the HTTP library
// reads the request.
#include "extractd/http_connection.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *aData, std::size_t aSize)
{
    constexpr std::uint64_t maxBody = 1 << 20;
    const THeadCheck check =
        CheckRequestHead(std::string_view(reinterpret_cast<const char *>(aData), aSize), maxBody);
    // A head let through frames its body one way only: by a length within the limit, or chunked.
    if (check.Status == 0 && (check.ContentLength > maxBody || (check.Chunked && check.ContentLength != 0)))
        __builtin_trap();
    if (check.Status != 0 && *check.Note == '\0')
        __builtin_trap();
    return 0;
}
