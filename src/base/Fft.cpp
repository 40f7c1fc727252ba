#include "base/Fft.h"

#include <bit>
#include <cmath>
#include <complex>

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
    // The real samples go in pairs into a complex transform of half the size.
    const int half = n / 2;
    const int bits = std::countr_zero(static_cast<unsigned>(half));
    reversed_.resize(static_cast<std::size_t>(half));
    for (int i = 0; i < half; ++i)
        reversed_[static_cast<std::size_t>(i)] = static_cast<int>(reversedIndex(static_cast<unsigned>(i), bits));
    constexpr double twoPi = 6.283185307179586;
    for (int m = 0; m < half; ++m) {
        cosines_.push_back(std::cos(twoPi * m / n));
        sines_.push_back(std::sin(twoPi * m / n));
    }
}

void FftPlan::transform(const double* input, double* real, double* imaginary) const {
    if (!input || !real || !imaginary || n_ == 0) return;
    // Even samples as the real parts, odd ones as the imaginary parts, of a
    // transform of half the size; the two spectra are then taken apart.
    const int half = n_ / 2;
    for (int t = 0; t < half; ++t) {
        const auto j = static_cast<std::size_t>(reversed_[static_cast<std::size_t>(t)]);
        real[j] = input[2 * t];
        imaginary[j] = input[2 * t + 1];
    }
    for (int span = 1; span < half; span <<= 1) {
        const int stride = n_ / (2 * span);  // of the full size's twiddles
        for (int i = 0; i < half; i += 2 * span) {
            for (int m = 0; m < span; ++m) {
                const auto twiddle = static_cast<std::size_t>(m) * static_cast<std::size_t>(stride);
                butterfly(cosines_[twiddle], sines_[twiddle], i + m, i + m + span, real, imaginary);
            }
        }
    }
    // With Z the half transform: the even samples' spectrum is
    // E[k] = (Z[k] + conj Z[h-k]) / 2, the odd ones' O[k] = (Z[k] - conj Z[h-k]) / 2i,
    // and X[k] = E[k] + w^k O[k], X[h-k] = conj(E[k] - w^k O[k]), w = exp(2 pi i / n).
    const double zeroReal = real[0];
    const double zeroImaginary = imaginary[0];
    real[0] = zeroReal + zeroImaginary;
    imaginary[0] = 0.0;
    real[half] = zeroReal - zeroImaginary;
    imaginary[half] = 0.0;
    for (int k = 1; 2 * k <= half; ++k) {
        const std::complex<double> zk(real[k], imaginary[k]);
        const std::complex<double> mirrored = std::conj(std::complex<double>(real[half - k], imaginary[half - k]));
        const std::complex<double> even = 0.5 * (zk + mirrored);
        const std::complex<double> odd = std::complex<double>(0.0, -0.5) * (zk - mirrored);
        const std::complex<double> turned =
            std::complex<double>(cosines_[static_cast<std::size_t>(k)], sines_[static_cast<std::size_t>(k)]) * odd;
        const std::complex<double> low = even + turned;
        const std::complex<double> high = std::conj(even - turned);
        real[k] = low.real();
        imaginary[k] = low.imag();
        real[half - k] = high.real();
        imaginary[half - k] = high.imag();
    }
    // A real input's spectrum is symmetric.
    for (int k = 1; k < half; ++k) {
        real[n_ - k] = real[k];
        imaginary[n_ - k] = -imaginary[k];
    }
}

}  // namespace ditdahl
