// The program's name, version, the vendor's web address and whether it updates itself, fixed at
// build time.
#pragma once

#include <QString>

// "Ordwell"
QString ApplicationTitle();
// "2.3"
QString ApplicationVersion();
// Base URL of the vendor's web server, without a trailing "/".
QString VendorBaseUrl();

// True when this build downloads and starts the installer of a newer version itself (CMake option
// ORDWELL_SELF_UPDATE, on for a build from source); false in a distribution package, which the
// system's package manager updates. Pure.
bool UpdatesItself();
