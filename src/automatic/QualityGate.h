// Keeps the automatic receiver quiet while what it hears is not Morse: the
// recent mark and gap durations must fit the Morse classes (1 and 3 dots,
// 1, 3 and 7 dots) well, or nothing is written. Noise keyed through the
// decision gives durations spread evenly between the classes, which never
// fit. Runs on whichever thread feeds the automatic receiver.
#pragma once

#include <cstddef>
#include <vector>

namespace ditdahl::automatic {

class QualityGate {
public:
    static constexpr std::size_t window = 64;  // durations judged

    void reset();
    void add(double durationMs, bool mark, double dotMs);
    bool open() const { return open_; }
    // Too few durations yet to judge.
    bool undecided() const;
    // Root mean square of the log deviations from the nearest class.
    double deviation() const;

private:
    std::vector<double> squares_;
    std::size_t next_ = 0;
    bool open_ = false;
};

}  // namespace ditdahl::automatic
