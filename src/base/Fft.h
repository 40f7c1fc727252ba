// The complex spectrum of one block of real samples: an iterative radix-2
// decimation-in-time transform with a positive exponent and no scaling. Runs
// on the capture thread; fft() holds no state and allocates nothing, a plan
// holds the tables of one size for a caller that transforms it over and over.
#pragma once

#include <vector>

namespace ditdahl {

// real[k] + i * imaginary[k] = sum over t of input[t] * exp(+2 pi i t k / n),
// for k = 0 .. n-1. With a missing array, or n below 2 or not a power of two,
// nothing is written.
void fft(int n, const double* input, double* real, double* imaginary);

// The same transform of one size, its bit reversal and twiddles worked out
// once (a third of the cost), and the real samples taken in pairs through a
// complex transform of half the size (some two fifths less again): for a
// spectrum every few milliseconds.
class FftPlan {
public:
    // n must be a power of two from 2 on; for any other the plan transforms
    // nothing.
    explicit FftPlan(int n);
    // As fft(n, ...); with a missing array nothing is written.
    void transform(const double* input, double* real, double* imaginary) const;

private:
    int n_ = 0;
    std::vector<int> reversed_;    // where each pair of input samples goes
    std::vector<double> cosines_;  // of 2 pi m / n, m < n / 2
    std::vector<double> sines_;
};

}  // namespace ditdahl
