// Collects the UTF-8 text of a document, counts its characters and stops a decompression bomb.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class TTextSink
{
public:
    // aInputBytes is the size of the request body, the measure of the output ratio. With
    // aFd >= 0 the text is written to that descriptor in chunks, else it is kept in Text().
    explicit TTextSink(std::uint64_t aInputBytes, int aFd = -1);
    ~TTextSink();
    TTextSink(const TTextSink &) = delete;
    TTextSink &operator=(const TTextSink &) = delete;

    // Appends UTF-8 text. Throws TExtractError(ekBomb) when the output grows beyond the
    // limits of ExtractLimits, std::runtime_error when the descriptor cannot be written.
    void Append(std::string_view aUtf8);
    // Ends the current line unless the text is empty or already ends with a line break.
    void EndLine();
    // Writes what is buffered to the descriptor (no-op without one).
    void Flush();

    std::uint64_t Characters() const { return fCharacters; }
    // The collected text when no descriptor was given.
    const std::string &Text() const { return fBuffer; }

private:
    std::uint64_t fInputBytes;
    int fFd;
    std::string fBuffer;
    std::uint64_t fCharacters = 0;
    char fLast = '\n';
};
