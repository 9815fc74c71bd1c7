// The millisecond tick counter over CLOCK_MONOTONIC.
#include "platform/tick_count.h"

#include <ctime>

uint64_t GetTickCount64()
{
    timespec lNow{};
    clock_gettime(CLOCK_MONOTONIC, &lNow);
    return uint64_t(lNow.tv_sec) * 1000u + uint64_t(lNow.tv_nsec) / 1000000u;
}

uint32_t GetTickCount()
{
    return uint32_t(GetTickCount64());
}
