// The program's millisecond tick counter: a 32-bit count from the monotonic clock that wraps
// after about 49.7 days. Elapsed times are unsigned 32-bit differences, so a wrap stalls nothing.
#pragma once

#include <cstdint>
#include <functional>

// Milliseconds of the monotonic clock, truncated to 32 bits. Any thread; never fails.
uint32_t GetTickCount();

// Milliseconds of the monotonic clock, not truncated. Any thread; never fails.
uint64_t GetTickCount64();

// Milliseconds from pThen to pNow as an unsigned 32-bit difference (correct across one wrap).
inline uint32_t TicksBetween(uint32_t pThen, uint32_t pNow)
{
    return pNow - pThen;
}

// A source of tick counts: GetTickCount in the program, a clock the test moves by hand in tests.
// Called from whichever thread measures time, so a replacement must be safe on any thread.
using TTickClock = std::function<uint32_t()>;
