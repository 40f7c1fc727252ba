// A sine source whose frequency may change from one sample to the next and
// whose phase may be set anew: what a transmitter's oscillator does when it
// chirps, drifts or restarts at each key-down.
#pragma once

namespace ditdahl::synthesis {

class Oscillator {
public:
    explicit Oscillator(int sampleRate, double phase = 0.0);

    // The sine at the current phase; the phase then advances by one sample
    // of hz. Changing hz bends the wave without a step, as a real VFO would.
    double next(double hz);

    // Moves the phase by the given radians, at once: a carrier that does not
    // keep its phase across a key-up.
    void shiftPhase(double radians);

    double phase() const { return phase_; }

private:
    double radiansPerHz_;
    double phase_;  // kept in [0, 2 pi) so that long signals lose no precision
};

}  // namespace ditdahl::synthesis
