// File names as the system has them: bytes. The program carries paths as QString; a name that is
// not valid UTF-8 is carried losslessly, each byte that is not part of a valid UTF-8 sequence
// becoming the lone surrogate U+DC00 + byte, and is turned back into that byte wherever the path
// goes to the system. Two different names therefore never share one QString.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <QUrl>

// The bytes of aPath for a system call: UTF-8, with U+DC80..U+DCFF given back as the bytes they
// stand for (any other lone surrogate becomes U+FFFD's UTF-8). Pure.
QByteArray FileNameBytes(QStringView aPath);

// The program's text for a name or path the system gave: valid UTF-8 decoded, every other byte
// as U+DC00 + byte. FileNameBytes gives the same bytes back. Pure.
QString FileNameText(QByteArrayView aBytes);

// aPath as the user sees it: each byte that is not valid UTF-8 shown as the replacement mark
// U+FFFD. For display only, never for a system call. Pure.
QString DisplayFileName(QStringView aPath);

// True when aPath holds a byte that is not valid UTF-8 (such a name cannot be given to Qt's own
// file classes, which would change it). Pure.
bool HasRawBytes(QStringView aPath);

// The file:// URL of a local path, its bytes percent-encoded as they are. Pure.
QUrl FileUrl(const QString &aPath);

// The local path of a file:// URL, its percent-encoded bytes decoded by FileNameText; empty for
// any other URL. Pure.
QString PathOfFileUrl(const QUrl &aUrl);
