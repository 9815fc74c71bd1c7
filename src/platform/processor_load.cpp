// Processor load from /proc/stat deltas, measured at most every 200 ms.
#include "platform/processor_load.h"

#include "platform/tick_count.h"

#include <algorithm>
#include <QFile>
#include <QList>

namespace {

constexpr uint32_t cMeasureInterval = 200;

std::optional<TCpuTimes> ReadProcStat()
{
    QFile lFile(QStringLiteral("/proc/stat"));
    if (!lFile.open(QIODevice::ReadOnly))
        return std::nullopt;
    return TProcessorLoad::ParseProcStat(lFile.readLine(4096));
}

} // namespace

std::optional<TCpuTimes> TProcessorLoad::ParseProcStat(const QByteArray &aText)
{
    const qsizetype lEnd = aText.indexOf('\n');
    const QList<QByteArray> lFields = aText.left(lEnd < 0 ? aText.size() : lEnd).simplified().split(' ');
    if (lFields.size() < 5 || lFields[0] != "cpu")
        return std::nullopt;
    TCpuTimes lTimes;
    // user nice system idle iowait irq softirq steal (guest times are already inside user/nice)
    for (qsizetype i = 1; i < lFields.size() && i <= 8; ++i) {
        bool lOk = false;
        const uint64_t lValue = lFields[i].toULongLong(&lOk);
        if (!lOk)
            return std::nullopt;
        lTimes.Total += lValue;
        if (i != 4 && i != 5)
            lTimes.Busy += lValue;
    }
    return lTimes;
}

int TProcessorLoad::LoadBetween(const TCpuTimes &aOlder, const TCpuTimes &aNewer)
{
    if (aNewer.Total <= aOlder.Total || aNewer.Busy < aOlder.Busy)
        return 0;
    const uint64_t lTotal = aNewer.Total - aOlder.Total;
    const uint64_t lBusy = std::min(aNewer.Busy - aOlder.Busy, lTotal);
    return int((lBusy * 100 + lTotal / 2) / lTotal);
}

int TProcessorLoad::Current()
{
    std::lock_guard lGuard(fLock);
    const uint32_t lNow = GetTickCount();
    if (fLastTimes && TicksBetween(fLastTick, lNow) < cMeasureInterval)
        return fLastLoad;
    const std::optional<TCpuTimes> lTimes = ReadProcStat();
    if (!lTimes)
        return 0;
    fLastLoad = LoadBetween(fLastTimes.value_or(TCpuTimes{}), *lTimes);
    fLastTimes = lTimes;
    fLastTick = lNow;
    return fLastLoad;
}
