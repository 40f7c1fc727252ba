// A radix-2 complex FFT of any power-of-two size, with its twiddle factors
// and bit-reversal order computed once, and the spectrum of real samples
// through one of half the size. Used by the automatic receiver's tone
// search; runs on whichever thread feeds that receiver.
#pragma once

#include <complex>
#include <cstddef>
#include <vector>

namespace ditdahl::automatic {

class Fft {
public:
    // size must be a power of two, at least 2.
    explicit Fft(std::size_t size);

    std::size_t size() const { return size_; }

    // In place, forward (e^-i), unscaled. data.size() must equal size().
    void transform(std::vector<std::complex<double>>& data) const;

private:
    friend class RealFft;
    std::size_t size_;
    // For each stage of half-length h (1, 2, 4, ...), its h twiddles
    // e^(-i pi k / h) one after the other, so that a butterfly pass reads
    // them in order.
    std::vector<double> stageCos_;
    std::vector<double> stageSin_;
    std::vector<std::size_t> reversed_;
};

// The spectrum of real samples of a power-of-two size (at least 4), by one
// complex FFT of half that size: bins 0 to size / 2.
class RealFft {
public:
    explicit RealFft(std::size_t size);

    std::size_t size() const { return 2 * half_.size(); }
    // input.size() must equal size(); output gets size() / 2 + 1 bins.
    void transform(const std::vector<double>& input, std::vector<std::complex<double>>& output);

private:
    Fft half_;
    std::vector<std::complex<double>> twiddles_;  // e^(-2 pi i k / size), k <= size / 4
    std::vector<std::complex<double>> packed_;
};

}  // namespace ditdahl::automatic
