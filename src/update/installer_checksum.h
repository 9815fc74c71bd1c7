// The SHA-256 the vendor publishes beside the installer: a file at the installer's address with
// ".sha256" added, written as sha256sum writes it.
#pragma once

#include "update/vendor_http.h"

#include <optional>
#include <QByteArray>
#include <QString>

// The 32-byte digest a ".sha256" file starts with: after a UTF-8 byte-order mark and white space,
// if any, 64 hexadecimal digits in either case, followed by the text's end or by anything that is
// not a hexadecimal digit (sha256sum writes two spaces and the file's name). Nothing when the text
// does not start so. Any thread.
std::optional<QByteArray> ParseSha256File(const QByteArray &aText);

// GETs aInstallerUrl + ".sha256" on aClient (redirects not followed, 10 s without data fail) and
// returns its digest. Nothing when the vendor publishes none: a 404 or 410 reply, or a reply that
// does not start with a digest. Throws std::runtime_error as THttpClient::Get does on any other
// failure, a non-empty result of aOnProgress included. Calling thread.
std::optional<QByteArray> FetchPublishedSha256(THttpClient &aClient, const QString &aInstallerUrl,
                                               const THttpClient::TProgressSink &aOnProgress);
