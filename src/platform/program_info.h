// The program's name, version and the vendor's web address, fixed at build time.
#pragma once

#include <QString>

// "Ordwell"
QString ApplicationTitle();
// "2.3"
QString ApplicationVersion();
// Base URL of the vendor's web server, without a trailing "/".
QString VendorBaseUrl();
