// Reading the request headers a client may add to an extraction request.
#pragma once

#include <string>

// The file name of a Content-Disposition header value (filename="..." or filename*=UTF-8''...),
// without any folder part; "" when there is none.
std::string RequestFileName(const std::string &aContentDisposition);
// The password of the request: the decoded Password_Base64_UTF-8 header when it is valid
// base64, else the Password header; "" when neither is given.
std::string RequestPassword(const std::string &aPlain, const std::string &aBase64);
// aText with every %XX escape replaced by its byte.
std::string PercentDecode(const std::string &aText);
// Decodes standard base64 (padding optional, white space ignored); false on a bad character.
bool DecodeBase64(const std::string &aText, std::string &aOut);
