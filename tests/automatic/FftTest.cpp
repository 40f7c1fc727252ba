#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

#include "automatic/Fft.h"
#include "synthesis/Synth.h"

namespace ditdahl::automatic {
namespace {

std::vector<std::complex<double>> directDft(const std::vector<std::complex<double>>& x) {
    const double pi = 3.14159265358979323846;
    const std::size_t n = x.size();
    std::vector<std::complex<double>> out(n);
    for (std::size_t k = 0; k < n; ++k)
        for (std::size_t j = 0; j < n; ++j)
            out[k] += x[j] * std::polar(1.0, -2.0 * pi * static_cast<double>(j * k % n) / static_cast<double>(n));
    return out;
}

TEST(Fft, MatchesTheDirectTransformAtEverySize) {
    synthesis::NoiseGenerator noise(3);
    for (std::size_t n : {2u, 4u, 8u, 64u, 256u}) {
        std::vector<std::complex<double>> x(n);
        for (auto& v : x) v = {noise.gaussian(), noise.gaussian()};
        const auto expected = directDft(x);
        Fft fft(n);
        fft.transform(x);
        for (std::size_t k = 0; k < n; ++k) {
            EXPECT_NEAR(x[k].real(), expected[k].real(), 1e-9) << "size " << n << " bin " << k;
            EXPECT_NEAR(x[k].imag(), expected[k].imag(), 1e-9) << "size " << n << " bin " << k;
        }
    }
}

TEST(Fft, RealSpectrumEqualsTheComplexOneUpToHalfTheSize) {
    synthesis::NoiseGenerator noise(4);
    for (std::size_t n : {4u, 16u, 512u}) {
        std::vector<double> x(n);
        std::vector<std::complex<double>> asComplex(n);
        for (std::size_t i = 0; i < n; ++i) {
            x[i] = noise.gaussian();
            asComplex[i] = {x[i], 0.0};
        }
        const auto expected = directDft(asComplex);
        RealFft fft(n);
        std::vector<std::complex<double>> out;
        fft.transform(x, out);
        ASSERT_EQ(out.size(), n / 2 + 1);
        for (std::size_t k = 0; k <= n / 2; ++k) {
            EXPECT_NEAR(out[k].real(), expected[k].real(), 1e-9) << "size " << n << " bin " << k;
            EXPECT_NEAR(out[k].imag(), expected[k].imag(), 1e-9) << "size " << n << " bin " << k;
        }
    }
}

}  // namespace
}  // namespace ditdahl::automatic
