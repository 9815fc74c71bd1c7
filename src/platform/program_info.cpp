// The program's name, version, the vendor's web address and whether it updates itself, fixed at
// build time.
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

bool UpdatesItself()
{
    return ORDWELL_SELF_UPDATE != 0;
}
