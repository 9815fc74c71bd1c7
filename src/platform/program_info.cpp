// The program's name, version and the vendor's web address, fixed at build time.
#include "platform/program_info.h"

QString ApplicationTitle()
{
    return QStringLiteral("Ordwell");
}

QString ApplicationVersion()
{
    return QStringLiteral(ORDWELL_VERSION);
}

QString VendorBaseUrl()
{
    QString url = QStringLiteral(ORDWELL_VENDOR_URL);
    while (url.endsWith(u'/'))
        url.chop(1);
    return url;
}
