// The sentences of the document failures and the per-search list of unread documents.
#include "content/document_failure.h"

#include <algorithm>

QString DocumentProblemPhrase(TDocumentProblem aProblem)
{
    switch (aProblem) {
    case TDocumentProblem::None:
        return {};
    case TDocumentProblem::NoServer:
        return QStringLiteral("The text-extraction server does not answer.");
    case TDocumentProblem::ServerNotStarted:
        return QStringLiteral("The text-extraction server could not be started.");
    case TDocumentProblem::Encrypted:
        return QStringLiteral("The document is encrypted or protected by a password.");
    case TDocumentProblem::Corrupt:
        return QStringLiteral("The document is damaged or cannot be read.");
    case TDocumentProblem::TimedOut:
        return QStringLiteral("Reading the document took too long.");
    case TDocumentProblem::TooLarge:
        return QStringLiteral("The document is too large to be read.");
    case TDocumentProblem::UnreadableFile:
        return QStringLiteral("The file cannot be opened.");
    case TDocumentProblem::ServerError:
        return QStringLiteral("The text-extraction server reported an error.");
    }
    return {};
}

void TUnreadDocuments::Add(const QString &aPath, const TDocumentFailure &aFailure)
{
    if (aFailure.fProblem == TDocumentProblem::None)
        return;
    if (aFailure.fProblem == TDocumentProblem::ServerNotStarted)
        fServerNotStarted = true;
    std::lock_guard lock(fLock);
    fEntries.push_back({aPath, aFailure});
}

int32_t TUnreadDocuments::Count() const
{
    std::lock_guard lock(fLock);
    return int32_t(fEntries.size());
}

std::vector<TUnreadDocument> TUnreadDocuments::Entries() const
{
    std::vector<TUnreadDocument> entries;
    {
        std::lock_guard lock(fLock);
        entries = fEntries;
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const TUnreadDocument &a, const TUnreadDocument &b) { return a.fPath < b.fPath; });
    return entries;
}
