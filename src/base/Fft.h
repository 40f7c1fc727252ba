// The complex spectrum of one block of real samples: an iterative radix-2
// decimation-in-time transform with a positive exponent and no scaling. Runs
// on the capture thread; holds no state and allocates nothing.
#pragma once

namespace ditdahl {

// real[k] + i * imaginary[k] = sum over t of input[t] * exp(+2 pi i t k / n),
// for k = 0 .. n-1. With a missing array, or n below 2 or not a power of two,
// nothing is written.
void fft(int n, const double* input, double* real, double* imaginary);

}  // namespace ditdahl
