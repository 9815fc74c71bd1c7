// The text of the About box, assembled from translated phrases.
#include "app/about_text.h"

#include "platform/program_info.h"

#include <QUrl>

namespace {
const QString kVendorName = QStringLiteral("The Ordwell developers");
}

QString WebSiteHost()
{
    const QString host = QUrl(VendorBaseUrl()).host();
    return host.isEmpty() ? VendorBaseUrl() : host;
}

QString AboutBoxText(int aYear, const TTranslateFunc &aTranslate)
{
    const QString lineBreak = QStringLiteral("\r\n");
    const QString legal = QStringList{aTranslate(QStringLiteral("This program is provided as is,")),
                                      aTranslate(QStringLiteral("without warranty of any kind.")),
                                      aTranslate(QStringLiteral("You use it at your own risk.")),
                                      aTranslate(QStringLiteral("All rights reserved."))}
                              .join(u' ');
    return aTranslate(ApplicationTitle()) + lineBreak                             //
           + aTranslate(QStringLiteral("Version:")) + u' ' + ApplicationVersion() //
           + lineBreak + lineBreak                                                //
           + aTranslate(QStringLiteral("Website:")) + u' ' + WebSiteHost()        //
           + lineBreak + lineBreak                                                //
           + legal + lineBreak + lineBreak                                        //
           + QStringLiteral("\u00A9 ") + QString::number(aYear) + u' ' + kVendorName;
}
