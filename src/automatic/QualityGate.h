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

    // How far the durations may stray from the classes (root mean square of
    // the log deviations) for the gate to open, and to shut once open.
    struct Limits {
        double openBelow;
        double closeAbove;
    };
    // The threshold decision's durations as they come: Morse sent by hand
    // stays well below the first, noise lies well above the second.
    static constexpr Limits thresholdLimits{0.27, 0.32};
    // The likelihood decision draws its durations towards the classes (its
    // priors do), noise's too: they must fit much closer.
    static constexpr Limits likelihoodLimits{0.15, 0.25};

    explicit QualityGate(Limits limits = thresholdLimits) : limits_(limits) {}

    void reset();
    void add(double durationMs, bool mark, double dotMs);
    bool open() const { return open_; }
    // Too few durations yet to judge.
    bool undecided() const;
    // Root mean square of the log deviations from the nearest class.
    double deviation() const;

private:
    Limits limits_;
    std::vector<double> squares_;
    std::size_t next_ = 0;
    bool open_ = false;
};

}  // namespace ditdahl::automatic
