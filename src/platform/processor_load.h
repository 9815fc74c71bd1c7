// The system's processor load in percent over all processors, from the deltas of the first
// line of /proc/stat between two measurements. The worker pool asks it before adding threads.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <QByteArray>

// Cumulative busy and total jiffies of all processors, as the "cpu" line of /proc/stat has them.
struct TCpuTimes
{
    uint64_t Busy = 0;
    uint64_t Total = 0;
};

class TProcessorLoad
{
public:
    // Parses the "cpu" line (the first one) of a /proc/stat text; idle and iowait count as idle.
    // Returns nothing when the text has no such line or it holds fewer than four numbers.
    static std::optional<TCpuTimes> ParseProcStat(const QByteArray &aText);

    // Percent of time not spent idle between two samples, rounded, in 0..100; 0 when no time passed.
    static int LoadBetween(const TCpuTimes &aOlder, const TCpuTimes &aNewer);

    // The load since the previous measurement (since boot for the first one); a result is reused
    // for 200 ms. Any thread. Returns 0 when /proc/stat cannot be read.
    int Current();

private:
    std::mutex fLock;
    std::optional<TCpuTimes> fLastTimes;
    uint32_t fLastTick = 0;
    int fLastLoad = 0;
};
