// The SHA-256 the vendor publishes beside the installer.
#include "update/installer_checksum.h"

#include <algorithm>
#include <stdexcept>

namespace {

constexpr qsizetype kSha256HexDigits = 64;
// Only the start of the file counts; the rest of a longer reply is not fetched.
constexpr qsizetype kMaxChecksumBytes = 4096;
constexpr int kReadTimeoutMs = 10000;

bool IsHexDigit(char aChar)
{
    return (aChar >= '0' && aChar <= '9') || (aChar >= 'a' && aChar <= 'f') || (aChar >= 'A' && aChar <= 'F');
}

bool IsSpace(char aChar)
{
    return aChar == ' ' || aChar == '\t' || aChar == '\r' || aChar == '\n' || aChar == '\f' || aChar == '\v';
}

} // namespace

std::optional<QByteArray> ParseSha256File(const QByteArray &aText)
{
    QByteArrayView text(aText);
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    while (!text.isEmpty() && IsSpace(text.front()))
        text = text.sliced(1);
    if (text.size() < kSha256HexDigits)
        return std::nullopt;
    const QByteArrayView digits = text.first(kSha256HexDigits);
    if (!std::all_of(digits.begin(), digits.end(), IsHexDigit))
        return std::nullopt;
    // A longer run of digits is another kind of digest, not this one.
    if (text.size() > kSha256HexDigits && IsHexDigit(text.at(kSha256HexDigits)))
        return std::nullopt;
    return QByteArray::fromHex(digits.toByteArray());
}

std::optional<QByteArray> FetchPublishedSha256(THttpClient &aClient, const QString &aInstallerUrl,
                                               const THttpClient::TProgressSink &aOnProgress)
{
    QByteArray text;
    bool enough = false;
    auto onData = [&text, &enough](const char *aData, size_t aSize) {
        text.append(aData, std::min(qsizetype(aSize), kMaxChecksumBytes - text.size()));
        if (text.size() < kMaxChecksumBytes)
            return QString();
        enough = true;
        return QStringLiteral("The checksum file is longer than its start that is read");
    };
    THttpOptions options;
    options.fReadTimeoutMs = kReadTimeoutMs;
    try {
        aClient.Get(aInstallerUrl + QStringLiteral(".sha256"), options, onData, aOnProgress);
    } catch (const std::runtime_error &) {
        const long status = aClient.Status();
        if (status == 404 || status == 410)
            return std::nullopt;
        if (!enough || status < 200 || status > 299)
            throw;
    }
    return ParseSha256File(text);
}
