// Takes steady carriers (a birdie, a station tuning up) out of the audio the
// automatic receiver decodes: a notch 10 Hz wide on each, which a keyed tone
// 30 Hz away passes almost whole, while the carrier would fill every gap of
// it with a tone that beats against the noise. Runs on whichever thread
// feeds the automatic receiver.
#pragma once

#include <cstddef>
#include <vector>

namespace ditdahl::automatic {

class CarrierNotches {
public:
    // The carriers to take out now, in Hz; a notch already within 3 Hz of one
    // stays as it is, so that its filter does not ring afresh.
    void set(const std::vector<double>& carriersHz);
    void clear() { notches_.clear(); }
    bool empty() const { return notches_.empty(); }
    // Filters the samples in place.
    void filter(double* samples, std::size_t count);

private:
    struct Notch {
        double hz = 0.0;
        double b0 = 1.0;  // b2 is b0, a1 is b1
        double b1 = 0.0;
        double a2 = 0.0;
        double z1 = 0.0;
        double z2 = 0.0;
    };
    static Notch notchAt(double hz);

    std::vector<Notch> notches_;
};

}  // namespace ditdahl::automatic
