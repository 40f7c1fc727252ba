#include "automatic/Fft.h"

#include <cmath>
#include <utility>

namespace ditdahl::automatic {

Fft::Fft(std::size_t size) : size_(size), reversed_(size) {
    constexpr double pi = 3.14159265358979323846;
    for (std::size_t half = 1; half < size; half *= 2) {
        for (std::size_t k = 0; k < half; ++k) {
            const double angle = -pi * static_cast<double>(k) / static_cast<double>(half);
            stageCos_.push_back(std::cos(angle));
            stageSin_.push_back(std::sin(angle));
        }
    }
    std::size_t bits = 0;
    while ((std::size_t{1} << bits) < size) ++bits;
    for (std::size_t i = 0; i < size; ++i) {
        std::size_t r = 0;
        for (std::size_t b = 0; b < bits; ++b)
            if (i & (std::size_t{1} << b)) r |= std::size_t{1} << (bits - 1 - b);
        reversed_[i] = r;
    }
}

void Fft::transform(std::vector<std::complex<double>>& data) const {
    for (std::size_t i = 0; i < size_; ++i)
        if (i < reversed_[i]) std::swap(data[i], data[reversed_[i]]);
    // Complex numbers are stored as pairs of doubles (real, imaginary).
    double* x = reinterpret_cast<double*>(data.data());
    std::size_t stage = 0;
    for (std::size_t half = 1; half < size_; half *= 2) {
        const double* wr = stageCos_.data() + stage;
        const double* wi = stageSin_.data() + stage;
        for (std::size_t start = 0; start < size_; start += 2 * half) {
            double* a = x + 2 * start;
            double* b = x + 2 * (start + half);
            for (std::size_t k = 0; k < half; ++k) {
                const double br = wr[k] * b[2 * k] - wi[k] * b[2 * k + 1];
                const double bi = wr[k] * b[2 * k + 1] + wi[k] * b[2 * k];
                const double ar = a[2 * k];
                const double ai = a[2 * k + 1];
                a[2 * k] = ar + br;
                a[2 * k + 1] = ai + bi;
                b[2 * k] = ar - br;
                b[2 * k + 1] = ai - bi;
            }
        }
        stage += half;
    }
}

RealFft::RealFft(std::size_t size) : half_(size / 2), twiddles_(size / 2), packed_(size / 2) {
    constexpr double pi = 3.14159265358979323846;
    for (std::size_t k = 0; k < size / 2; ++k) {
        const double angle = -2.0 * pi * static_cast<double>(k) / static_cast<double>(size);
        twiddles_[k] = {std::cos(angle), std::sin(angle)};
    }
}

void RealFft::transform(const std::vector<double>& input, std::vector<std::complex<double>>& output) {
    const std::size_t n = half_.size();
    // Even samples as the real parts, odd ones as the imaginary parts.
    for (std::size_t i = 0; i < n; ++i) packed_[i] = {input[2 * i], input[2 * i + 1]};
    half_.transform(packed_);
    output.resize(n + 1);
    output[0] = {packed_[0].real() + packed_[0].imag(), 0.0};
    output[n] = {packed_[0].real() - packed_[0].imag(), 0.0};
    for (std::size_t k = 1; k < n; ++k) {
        const std::complex<double> a = packed_[k];
        const std::complex<double> b = std::conj(packed_[n - k]);
        const std::complex<double> even = 0.5 * (a + b);
        const std::complex<double> d = a - b;
        // odd = (a - b) / 2i, turned by the twiddle.
        const std::complex<double> odd{0.5 * d.imag(), -0.5 * d.real()};
        const std::complex<double> w = twiddles_[k];
        output[k] = even + std::complex<double>{w.real() * odd.real() - w.imag() * odd.imag(),
                                                w.real() * odd.imag() + w.imag() * odd.real()};
    }
}

}  // namespace ditdahl::automatic
