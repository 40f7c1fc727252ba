// Time as the program sees it: a 32-bit millisecond tick count that wraps
// (differences are taken modulo 2^32), sleeping, and the UTC wall clock.
#pragma once

#include <cstdint>

namespace ditdahl {

struct UtcTime {
    int year = 1970;  // full year, e.g. 2013
    int month = 1;    // 1..12
    int day = 1;      // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    friend bool operator==(const UtcTime&, const UtcTime&) = default;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint32_t tickCount() = 0;
    virtual void sleepMs(std::uint32_t milliseconds) = 0;
    // Sleeps until tickCount() - deadline, taken as a signed 32-bit
    // difference, is no longer negative; returns at once when already there.
    virtual void sleepUntil(std::uint32_t deadline) = 0;
    virtual UtcTime utcNow() = 0;
};

// Days since 1970-01-01 and back, for the proleptic Gregorian calendar.
long long daysFromCivil(int year, int month, int day);
UtcTime utcFromMilliseconds(long long millisecondsSinceEpoch);

}  // namespace ditdahl
