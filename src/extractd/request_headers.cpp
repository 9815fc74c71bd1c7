// Reading the request headers a client may add to an extraction request.
#include "extractd/request_headers.h"

#include <cctype>
#include <strings.h>

std::string PercentDecode(const std::string &aText)
{
    std::string out;
    for (std::size_t i = 0; i < aText.size(); ++i) {
        if (aText[i] == '%' && i + 2 < aText.size() &&
            std::isxdigit(static_cast<unsigned char>(aText[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(aText[i + 2]))) {
            out += static_cast<char>(std::stoi(aText.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += aText[i];
        }
    }
    return out;
}

namespace {

// The value of parameter aName (e.g. "filename") in a header value, quotes removed.
std::string Parameter(const std::string &aHeader, const std::string &aName)
{
    std::size_t pos = 0;
    while (pos < aHeader.size()) {
        std::size_t semi = aHeader.find(';', pos);
        std::string part = aHeader.substr(pos, semi == std::string::npos ? std::string::npos : semi - pos);
        pos = semi == std::string::npos ? aHeader.size() : semi + 1;
        std::size_t first = part.find_first_not_of(" \t");
        if (first == std::string::npos)
            continue;
        part = part.substr(first);
        std::size_t eq = part.find('=');
        if (eq == std::string::npos)
            continue;
        std::string key = part.substr(0, eq);
        while (!key.empty() && (key.back() == ' ' || key.back() == '\t'))
            key.pop_back();
        if (strcasecmp(key.c_str(), aName.c_str()) != 0)
            continue;
        std::string value = part.substr(eq + 1);
        std::size_t start = value.find_first_not_of(" \t");
        value = start == std::string::npos ? std::string() : value.substr(start);
        if (value.size() >= 2 && value.front() == '"') {
            std::size_t close = value.find('"', 1);
            value = value.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        } else {
            while (!value.empty() && (value.back() == ' ' || value.back() == '\t'))
                value.pop_back();
        }
        return value;
    }
    return {};
}

} // namespace

std::string RequestFileName(const std::string &aContentDisposition)
{
    std::string name;
    std::string extended = Parameter(aContentDisposition, "filename*");
    if (std::size_t quote = extended.find("''"); quote != std::string::npos)
        name = PercentDecode(extended.substr(quote + 2));
    if (name.empty())
        name = Parameter(aContentDisposition, "filename");
    if (std::size_t slash = name.find_last_of("/\\"); slash != std::string::npos)
        name = name.substr(slash + 1);
    return name;
}

bool DecodeBase64(const std::string &aText, std::string &aOut)
{
    aOut.clear();
    unsigned buffer = 0;
    int bits = 0;
    for (char c : aText) {
        int value;
        if (c >= 'A' && c <= 'Z')
            value = c - 'A';
        else if (c >= 'a' && c <= 'z')
            value = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            value = c - '0' + 52;
        else if (c == '+')
            value = 62;
        else if (c == '/')
            value = 63;
        else if (c == '=' || std::isspace(static_cast<unsigned char>(c)))
            continue;
        else
            return false;
        buffer = (buffer << 6) | static_cast<unsigned>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            aOut += static_cast<char>((buffer >> bits) & 0xFF);
        }
    }
    return true;
}

std::string RequestPassword(const std::string &aPlain, const std::string &aBase64)
{
    std::string decoded;
    if (!aBase64.empty() && DecodeBase64(aBase64, decoded))
        return decoded;
    return aPlain;
}
