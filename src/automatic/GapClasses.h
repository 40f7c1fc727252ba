// How long the sender's letter and word gaps are, learnt from the gaps
// seen: many senders stretch them (spacing for learners, beacons, hand
// keys), and a fixed rule of 3 and 7 dots then splits every word into
// letters. The gaps of two dots or more are split in two classes where
// their spread is least; until enough are seen, 3 and 7 dots, or the two
// classes that the first few gaps fall in, as far apart as a letter and a
// word gap. Silences longer than the widest word gap are not counted. Runs on
// whichever thread feeds the automatic receiver.
#pragma once

#include <cstddef>
#include <vector>

namespace ditdahl::automatic {

class GapClasses {
public:
    // Back to 3 and 7 dots, nothing seen.
    void reset();
    // A gap between marks, in dots of the speed followed.
    void take(double dots);

    // Enough gaps were seen to tell the sender's spacing: a few if they fall
    // in two classes, twice as many if in one (the first gaps of "R R FB"
    // are word gaps, not letter gaps).
    bool learnt() const;
    double letterDots() const { return letterDots_; }
    double wordDots() const { return wordDots_; }
    // A gap longer than this ends a word.
    double wordEndDots() const;

private:
    void split();

    std::vector<double> recent_;  // log dots of the last gaps of 2 dots or more
    bool twoClasses_ = false;
    double letterDots_ = 3.0;
    double wordDots_ = 7.0;
};

}  // namespace ditdahl::automatic
