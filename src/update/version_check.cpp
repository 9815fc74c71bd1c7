// The start-up version check.
#include "update/version_check.h"

#include "i18n/translation.h"
#include "platform/program_info.h"
#include "threads/run_context.h"
#include "update/vendor_http.h"

#include <QRegularExpression>
#include <stdexcept>

bool &UpdateRequired()
{
    return RunContext().UpdateRequired;
}

QString &UpdateMessage()
{
    return RunContext().UpdateMessage;
}

namespace {

// Both pages are a few lines; a longer reply is not one of them.
constexpr qsizetype kMaxPageBytes = 1024 * 1024;
constexpr int kReadTimeoutMs = 10000;
constexpr long kMaxRedirects = 10;

QStringList PageLines(const QByteArray &aBody)
{
    static const QRegularExpression kLineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = QString::fromUtf8(aBody).split(kLineBreak);
    // A break at the very end does not start another line.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

int32_t ParseVersionNumber(const QString &aText)
{
    bool ok = false;
    const int value = aText.toInt(&ok, 10);
    if (!ok)
        throw std::runtime_error("Not a version number: " + aText.toStdString());
    return value;
}

} // namespace

int32_t RunningVersionNumber()
{
    return ApplicationVersion().remove(u'.').toInt();
}

QString DisplayVersion(const QString &aVersionText)
{
    if (aVersionText.isEmpty())
        return aVersionText;
    QString text = aVersionText + aVersionText.back();
    text[text.size() - 2] = u'.';
    return text;
}

bool EvaluateVersionPages(const QString &aVersionLine, const QStringList &aChanges, bool aUpdatesItself)
{
    const qsizetype slash = aVersionLine.indexOf(u'/');
    if (slash < 0)
        throw std::runtime_error("The version line has no \"/\"");
    // Spaces around a number are tolerated, and kept out of the version shown.
    const QString newestText = aVersionLine.left(slash).trimmed();
    const int32_t newest = ParseVersionNumber(newestText);
    const int32_t oldestAllowed = ParseVersionNumber(aVersionLine.mid(slash + 1));
    const QString version = DisplayVersion(newestText);

    QString offer;
    if (oldestAllowed > RunningVersionNumber()) {
        UpdateRequired() = true;
        offer = Translate(QStringLiteral("This version of the software is out of date. You must download the "
                                         "current version %s to continue using the software."));
    } else if (newest > RunningVersionNumber()) {
        offer = Translate(QStringLiteral("The new version %s is available"));
    } else {
        return false;
    }
    offer.replace(QStringLiteral("%s"), version);
    // A package is updated by the system's package manager, never by the program.
    if (!aUpdatesItself)
        offer += QStringLiteral("\n\n") +
                 Translate(QStringLiteral("Install it with your system's package manager."));
    QString message = offer + QStringLiteral("\n\n") + Translate(QStringLiteral("What's new:")) + u'\n';
    for (const QString &line : aChanges)
        message += line + u'\n';
    UpdateMessage() = message;
    return true;
}

bool CheckForNewVersion(const QString &aBaseUrl, bool aUpdatesItself)
{
    UpdateRequired() = false;
    UpdateMessage().clear();
    try {
        CheckVendorBaseUrl(aBaseUrl);
        THttpOptions options;
        options.fFollowRedirects = true;
        options.fMaxRedirects = kMaxRedirects;
        options.fReadTimeoutMs = kReadTimeoutMs;
        QStringList versionLines;
        QStringList changes;
        {
            THttpClient client;
            versionLines = PageLines(client.GetBody(
                aBaseUrl + QStringLiteral("/download/version/ordwell-version.html"), options, kMaxPageBytes));
            changes = PageLines(client.GetBody(
                aBaseUrl + QStringLiteral("/download/version/ordwell-changes.html"), options, kMaxPageBytes));
        }
        changes.removeAll(QString());
        if (versionLines.isEmpty())
            throw std::runtime_error("The version page is empty");
        return EvaluateVersionPages(versionLines.first(), changes, aUpdatesItself);
    } catch (const std::exception &) {
        // The check is housekeeping: without an answer the program simply starts.
        return false;
    }
}
