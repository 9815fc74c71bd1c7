// Why a document could not be read, and the list a search keeps of the documents it could not
// read, so that none of them is left out silently.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <QString>
#include <vector>

// The kinds of failure a user is told about.
enum class TDocumentProblem : uint8_t
{
    None,
    NoServer,         // nothing answers at the extraction server's address
    ServerNotStarted, // the program's own extraction server could not be started
    Encrypted,        // refused as encrypted or protected by a password
    Corrupt,          // refused as damaged, or of a kind that cannot be read
    TimedOut,         // the server took too long
    TooLarge,         // the file or its text is larger than the limits
    UnreadableFile,   // the file itself cannot be opened or read
    ServerError       // any other failure of the exchange
};

struct TDocumentFailure
{
    TDocumentProblem fProblem = TDocumentProblem::None;
    // The technical detail (an error message, the server's reason), in English; may be empty.
    QString fDetail;
};

// The English sentence for aProblem, as the translation table knows it; empty for None. Pure.
QString DocumentProblemPhrase(TDocumentProblem aProblem);

// A document a search could not read.
struct TUnreadDocument
{
    QString fPath;
    TDocumentFailure fFailure;
};

// The documents one search could not read, filled by its check threads. Thread-safe.
class TUnreadDocuments
{
public:
    // Notes a failure; one with the problem None is ignored.
    void Add(const QString &aPath, const TDocumentFailure &aFailure);
    int32_t Count() const;
    // True once a failure of the kind ServerNotStarted has been added.
    bool ServerNotStarted() const { return fServerNotStarted.load(); }
    // The documents sorted by path, the first failure of each.
    std::vector<TUnreadDocument> Entries() const;

private:
    mutable std::mutex fLock;
    std::vector<TUnreadDocument> fEntries;
    std::atomic<bool> fServerNotStarted{false};
};
