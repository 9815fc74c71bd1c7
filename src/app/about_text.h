// The text of the About box, assembled from translated phrases.
#pragma once

#include <functional>
#include <QString>

using TTranslateFunc = std::function<QString(const QString &)>;

// The About box text with CR LF line breaks: title, version, web site host, a legal notice and
// a closing line with aYear and the vendor's name. Every phrase passes through aTranslate except
// the version number, the web address and the vendor's name. Never throws (unless aTranslate does).
QString AboutBoxText(int aYear, const TTranslateFunc &aTranslate);

// The host name of the vendor's web site, without scheme ("ordwell.example").
QString WebSiteHost();
