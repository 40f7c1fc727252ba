// Levels for decoding audio that is already buffered: the dot-long sum's
// power at every buffered step, and levels taken from 6 s around each step
// rather than from the past only. All of it is in the past already, and a
// transmission that began within the buffer gets the levels of the signal,
// not of the noise before it. Runs on whichever thread feeds the automatic
// receiver.
#pragma once

#include <complex>
#include <cstddef>
#include <vector>

#include "automatic/Levels.h"

namespace ditdahl::automatic {

// The power (dB) of the sum over filterSteps steps, at every one of the
// steps: worked out once, for levels taken again and again from a window
// that moves over them.
std::vector<double> matchedPowersDb(const std::vector<std::complex<double>>& steps, int filterSteps);

class BufferedLevels {
public:
    // Primes the levels with all the powers (dB); renewed every `every` steps.
    BufferedLevels(Levels& levels, const std::vector<double>& powersDb, std::size_t every = Levels::renewSteps);
    // Renews the levels for this step when due.
    void renewAt(std::size_t step);
    // From here on the levels follow the last 6 s.
    void finish();

private:
    Levels& levels_;
    const std::vector<double>& powersDb_;
    std::size_t every_;
    double recentMarkDb_ = 0.0;
};

}  // namespace ditdahl::automatic
