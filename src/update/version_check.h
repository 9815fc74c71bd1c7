// The start-up version check: asks the vendor's web server for the newest and the oldest allowed
// version and builds the new-version dialog's text.
#pragma once

#include "platform/program_info.h"

#include <cstdint>
#include <QString>
#include <QStringList>

// True when the update is required (the oldest allowed version is newer than this one); the
// download sets it too. In a build that updates itself, closing the new-version dialog then ends
// the program; a package only says so.
bool &UpdateRequired();
// The new-version dialog's text, built by CheckForNewVersion.
QString &UpdateMessage();

// This program's version without its dot: 23 for "2.3".
int32_t RunningVersionNumber();

// The version number text with a "." before its last character: "24" gives "2.4", "110" gives
// "11.0", "7" gives ".7".
QString DisplayVersion(const QString &aVersionText);

// Decides from the version page's first line and the changes page's lines. Returns true and fills
// UpdateMessage (and UpdateRequired) when a newer version is announced; false when not. Without
// aUpdatesItself the message also says that the package manager installs the new version. Throws
// std::runtime_error when the line is not two decimal integers separated by "/". UI thread.
bool EvaluateVersionPages(const QString &aVersionLine, const QStringList &aChanges,
                          bool aUpdatesItself = UpdatesItself());

// GETs aBaseUrl + "/download/version/ordwell-version.html" and then
// aBaseUrl + "/download/version/ordwell-changes.html" (User-Agent set, at most 10 redirects, 10 s
// without data ends a request) and evaluates them. Returns true when a newer version was
// announced; false in every other case, errors included, without a message. aBaseUrl must be
// https (or http on the loopback host). aUpdatesItself as for EvaluateVersionPages. Blocks the
// calling thread; UI thread at start-up.
bool CheckForNewVersion(const QString &aBaseUrl, bool aUpdatesItself = UpdatesItself());
