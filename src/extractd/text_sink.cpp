// Collects the UTF-8 text of a document, counts its characters and stops a decompression bomb.
#include "extractd/text_sink.h"

#include "extractd/extract_error.h"
#include "extractd/extract_limits.h"

#include <cerrno>
#include <stdexcept>
#include <unistd.h>

namespace {
constexpr std::size_t FlushBytes = 64 * 1024;
}

TTextSink::TTextSink(std::uint64_t aInputBytes, int aFd) : fInputBytes(aInputBytes), fFd(aFd) {}

TTextSink::~TTextSink()
{
    try {
        Flush();
    } catch (...) {
    }
}

void TTextSink::Append(std::string_view aUtf8)
{
    if (aUtf8.empty())
        return;
    for (char c : aUtf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++fCharacters;
    if (fCharacters > ExtractLimits::MinBombChars && fCharacters > ExtractLimits::OutputRatio * fInputBytes)
        ThrowBomb("output exceeds " + std::to_string(ExtractLimits::OutputRatio) + " times the input");
    fBuffer.append(aUtf8);
    fLast = aUtf8.back();
    if (fFd >= 0 && fBuffer.size() >= FlushBytes)
        Flush();
}

void TTextSink::EndLine()
{
    if (fLast != '\n')
        Append("\n");
}

void TTextSink::Flush()
{
    if (fFd < 0)
        return;
    std::size_t done = 0;
    while (done < fBuffer.size()) {
        ssize_t n = ::write(fFd, fBuffer.data() + done, fBuffer.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw std::runtime_error("cannot write the extracted text");
        done += static_cast<std::size_t>(n);
    }
    fBuffer.clear();
}
