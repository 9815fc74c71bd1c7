// The update download: fetches the new installer from the vendor's web server into the user's
// private temporary folder with progress and cancel, checks it against the SHA-256 the vendor
// publishes beside it, and starts it.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <QString>

// Set by the dialog's "Abort" button; the transfer stops at its next progress report. Cleared
// when a download starts.
std::atomic<bool> &DownloadCancelled();

// Called at each progress report with the bytes received so far and the progress bar's new
// position (0 to 100), or -1 when the bar stays as it is (no Content-Length, a chunked reply).
// The dialog repaints the bar and processes pending events here, which keeps it responsive.
using TDownloadProgress = std::function<void(int64_t aCount, int aPercent)>;

// Count x 100 div Content-Length in 64 bits, at most 100; -1 when the Transfer-Encoding contains
// "chunked" (any case) or the Content-Length is not above 0.
int DownloadPercent(int64_t aCount, int64_t aContentLength, const QString &aTransferEncoding);

// The user's own folder for the installer, QDir::tempPath() + "/ordwell-<uid>" (TMPDIR is
// honoured), and the installer's path in it.
QString InstallerFolder();
QString InstallerFileName();

// A downloaded installer and whether it matched the SHA-256 the vendor publishes beside it.
struct TDownloadedInstaller
{
    QString fFileName;
    // False when the vendor publishes no checksum for the installer: the caller asks the user
    // before starting it.
    bool fVerified = false;
};

// The whole download on the calling thread: UpdateRequired := true, DownloadCancelled := false,
// then GET of the published checksum aBaseUrl + "/download/ordwell.exe.sha256" (see
// FetchPublishedSha256; aOnProgress is called with 0 and -1 meanwhile) and GET of aBaseUrl +
// "/download/ordwell.exe" (User-Agent set, redirects not followed, no read time-out) into
// InstallerFileName(), replacing an older file without following a link planted under its name,
// and made executable for the user. The file's SHA-256 is computed as it is written. Throws
// std::runtime_error with the text for the error box's second part: the client's error, the
// status line, a file error, the translation of "Download is cancelled. Please download
// manually." after an abort, of "Cannot find downloaded file.", or of "The downloaded file does
// not match the checksum published by the vendor. It has been removed and was not started.", in
// UTF-8. The file is removed on every failure, so no partial or refused installer stays behind.
// aBaseUrl must be https (or http on the loopback host).
TDownloadedInstaller DownloadUpdate(const QString &aBaseUrl, const TDownloadProgress &aOnProgress);

// Removes a downloaded installer that the user chose not to start. Any thread.
void RemoveInstaller(const QString &aFileName);

// Starts the installer detached from this program. Returns false when it could not be started;
// the caller does not report it.
bool StartInstaller(const QString &aFileName);

// The error box's text: the translation of "Failed to download update. Please download manually
// on website.", an empty line, then aError. UI thread.
QString DownloadFailureText(const QString &aError);
