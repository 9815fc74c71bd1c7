// Errors an extractor raises inside the sandboxed child; each one ends the request with 422.
#pragma once

#include <stdexcept>
#include <string>

enum class TExtractErrorKind
{
    ekCorrupt,
    ekEncrypted,
    ekBomb
};

class TExtractError : public std::runtime_error
{
public:
    TExtractError(TExtractErrorKind aKind, const std::string &aMessage)
        : std::runtime_error(aMessage), fKind(aKind)
    {
    }
    TExtractErrorKind Kind() const { return fKind; }

private:
    TExtractErrorKind fKind;
};

// Shorthands used by the extractors.
[[noreturn]] inline void ThrowCorrupt(const std::string &aMessage)
{
    throw TExtractError(TExtractErrorKind::ekCorrupt, aMessage);
}
[[noreturn]] inline void ThrowEncrypted(const std::string &aMessage)
{
    throw TExtractError(TExtractErrorKind::ekEncrypted, aMessage);
}
[[noreturn]] inline void ThrowBomb(const std::string &aMessage)
{
    throw TExtractError(TExtractErrorKind::ekBomb, aMessage);
}
