// Cancellation indicators and tokens: a flag that one side sets and a worker reads per step.
// Tokens are shared by reference counting (std::shared_ptr); all operations are thread-safe.
#pragma once

#include <atomic>
#include <memory>

// Answers whether the work it belongs to should stop.
class ICancellationIndicator
{
public:
    virtual ~ICancellationIndicator() = default;
    // Any thread; never fails.
    virtual bool IsCancellationRequested() const = 0;
};

// An indicator that can itself be cancelled.
class ICancellationToken : public ICancellationIndicator
{
public:
    // Any thread; never fails. Cancellation sticks: it cannot be undone.
    virtual void Cancel() = 0;
};

// The plain token: one flag, false at creation.
class TCustomCancellationToken : public ICancellationToken
{
public:
    void Cancel() override;
    bool IsCancellationRequested() const override;

private:
    std::atomic<bool> fCancellationRequested{false};
};

// A value holding one token that is created on first use. Two threads racing to create it end
// up with the same token (compare-and-exchange). Copies made after the first use share the
// token; copies made before it get their own. All members may be called from any thread.
class TCancellationToken
{
public:
    TCancellationToken() = default;
    TCancellationToken(const TCancellationToken &aOther);
    TCancellationToken &operator=(const TCancellationToken &aOther);

    // The held token, created when there is none yet. Hand it to work items as their token.
    std::shared_ptr<ICancellationToken> Token();
    // Cancels the held token (creating it first, so the cancellation is seen by later users).
    void Cancel();
    // Cancels the held token and drops it in one step; the next use creates a fresh one.
    void Reset();
    // True when the held token has been cancelled; false while there is none.
    bool IsCancellationRequested() const;

private:
    std::atomic<std::shared_ptr<ICancellationToken>> fToken;
};
