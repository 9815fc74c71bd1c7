// Cancellation tokens.
#include "threads/cancellation.h"

void TCustomCancellationToken::Cancel()
{
    fCancellationRequested.store(true);
}

bool TCustomCancellationToken::IsCancellationRequested() const
{
    return fCancellationRequested.load();
}

TCancellationToken::TCancellationToken(const TCancellationToken &aOther) : fToken(aOther.fToken.load()) {}

TCancellationToken &TCancellationToken::operator=(const TCancellationToken &aOther)
{
    if (this != &aOther)
        fToken.store(aOther.fToken.load());
    return *this;
}

std::shared_ptr<ICancellationToken> TCancellationToken::Token()
{
    std::shared_ptr<ICancellationToken> lToken = fToken.load();
    if (lToken)
        return lToken;
    std::shared_ptr<ICancellationToken> lNew = std::make_shared<TCustomCancellationToken>();
    // On failure lToken receives the token another thread installed first.
    if (fToken.compare_exchange_strong(lToken, lNew))
        return lNew;
    return lToken;
}

void TCancellationToken::Cancel()
{
    Token()->Cancel();
}

void TCancellationToken::Reset()
{
    if (std::shared_ptr<ICancellationToken> lOld = fToken.exchange(nullptr))
        lOld->Cancel();
}

bool TCancellationToken::IsCancellationRequested() const
{
    const std::shared_ptr<ICancellationToken> lToken = fToken.load();
    return lToken && lToken->IsCancellationRequested();
}
