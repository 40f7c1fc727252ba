#include "base/Fft.h"

#include <bit>
#include <cmath>

namespace ditdahl {
namespace {

// i with its lowest bits in reverse order: where sample i goes before the
// stages.
unsigned reversedIndex(unsigned i, int bits) {
    unsigned j = 0;
    for (int b = 0; b < bits; ++b) j |= ((i >> b) & 1u) << (bits - 1 - b);
    return j;
}

// One butterfly: the element at k turned by the twiddle a + ib, added to and
// taken from the element at j.
void butterfly(double a, double b, int j, int k, double* real, double* imaginary) {
    const double tr = a * real[k] - b * imaginary[k];
    const double ti = a * imaginary[k] + b * real[k];
    real[k] = real[j] - tr;
    imaginary[k] = imaginary[j] - ti;
    real[j] += tr;
    imaginary[j] += ti;
}

}  // namespace

void fft(int n, const double* input, double* real, double* imaginary) {
    if (!input || !real || !imaginary || n < 2 || (n & (n - 1)) != 0) return;

    const int bits = std::countr_zero(static_cast<unsigned>(n));
    for (int i = 0; i < n; ++i) {
        const unsigned j = reversedIndex(static_cast<unsigned>(i), bits);
        real[j] = input[i];
        imaginary[j] = 0.0;
    }

    constexpr double twoPi = 6.283185307179586;
    int blockEnd = 1;
    for (int blockSize = 2; blockSize <= n; blockSize <<= 1) {
        // The twiddles come from the Chebyshev recurrence
        // cos((k+1)d) = 2 cos d cos(kd) - cos((k-1)d), started at -2d and -d,
        // so each stage needs only these four trigonometric values.
        const double delta = twoPi / blockSize;
        const double s2 = std::sin(-2.0 * delta);
        const double s1 = std::sin(-delta);
        const double c2 = std::cos(-2.0 * delta);
        const double c1 = std::cos(-delta);
        const double w = 2.0 * c1;
        for (int i = 0; i < n; i += blockSize) {
            double a2 = c2, a1 = c1, b2 = s2, b1 = s1;
            for (int m = 0; m < blockEnd; ++m) {
                const double a0 = w * a1 - a2;
                a2 = a1;
                a1 = a0;
                const double b0 = w * b1 - b2;
                b2 = b1;
                b1 = b0;
                butterfly(a0, b0, i + m, i + m + blockEnd, real, imaginary);
            }
        }
        blockEnd = blockSize;
    }
}

FftPlan::FftPlan(int n) {
    if (n < 2 || (n & (n - 1)) != 0) return;
    n_ = n;
    const int bits = std::countr_zero(static_cast<unsigned>(n));
    reversed_.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        reversed_[static_cast<std::size_t>(i)] = static_cast<int>(reversedIndex(static_cast<unsigned>(i), bits));
    constexpr double twoPi = 6.283185307179586;
    for (int m = 0; m < n / 2; ++m) {
        cosines_.push_back(std::cos(twoPi * m / n));
        sines_.push_back(std::sin(twoPi * m / n));
    }
}

void FftPlan::transform(const double* input, double* real, double* imaginary) const {
    if (!input || !real || !imaginary || n_ == 0) return;
    for (int i = 0; i < n_; ++i) {
        real[reversed_[static_cast<std::size_t>(i)]] = input[i];
        imaginary[reversed_[static_cast<std::size_t>(i)]] = 0.0;
    }
    for (int half = 1; half < n_; half <<= 1) {
        const int stride = n_ / (2 * half);
        for (int i = 0; i < n_; i += 2 * half) {
            for (int m = 0; m < half; ++m) {
                const auto twiddle = static_cast<std::size_t>(m) * static_cast<std::size_t>(stride);
                butterfly(cosines_[twiddle], sines_[twiddle], i + m, i + m + half, real, imaginary);
            }
        }
    }
}

}  // namespace ditdahl
