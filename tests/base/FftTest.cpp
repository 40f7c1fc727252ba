#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

#include "base/Fft.h"
#include "synthesis/KeyedTone.h"
#include "synthesis/Noise.h"

namespace ditdahl {
namespace {

constexpr double pi = 3.14159265358979323846;

TEST(Fft, RefusesBadSizesAndMissingArraysWithoutWriting) {
    struct Case {
        int n;
        bool nullInput, nullReal, nullImaginary;
    };
    const Case cases[] = {{0, false, false, false},  {1, false, false, false},  {96, false, false, false},
                          {-4, false, false, false}, {64, true, false, false},  {64, false, true, false},
                          {64, false, false, true},  {12, false, false, false}, {3, false, false, false}};
    for (const Case& c : cases) {
        std::vector<double> input(128, 1.0), real(128, 7.0), imaginary(128, 9.0);
        fft(c.n, c.nullInput ? nullptr : input.data(), c.nullReal ? nullptr : real.data(),
            c.nullImaginary ? nullptr : imaginary.data());
        FftPlan(c.n).transform(c.nullInput ? nullptr : input.data(), c.nullReal ? nullptr : real.data(),
                               c.nullImaginary ? nullptr : imaginary.data());
        for (int k = 0; k < 128; ++k) {
            ASSERT_EQ(real[k], 7.0) << "n=" << c.n << " k=" << k;
            ASSERT_EQ(imaginary[k], 9.0) << "n=" << c.n << " k=" << k;
        }
    }
}

// The plain transform (trial 0 to 4) and a plan of the same size (5 to 9).
TEST(Fft, AgreesWithTheDirectSumWithPositiveExponent) {
    synthesis::NoiseGenerator noise(42);
    for (int n = 2; n <= 128; n *= 2) {
        const FftPlan plan(n);
        for (int trial = 0; trial < 10; ++trial) {
            std::vector<double> input(n), real(n), imaginary(n);
            for (double& x : input) x = 65536.0 * noise.uniform() - 32768.0;
            const std::vector<double> kept = input;
            if (trial < 5) {
                fft(n, input.data(), real.data(), imaginary.data());
            } else {
                plan.transform(input.data(), real.data(), imaginary.data());
            }
            ASSERT_EQ(input, kept) << "input changed";
            for (int k = 0; k < n; ++k) {
                std::complex<double> sum = 0.0;
                for (int t = 0; t < n; ++t) sum += input[t] * std::polar(1.0, 2.0 * pi * t * k / n);
                ASSERT_NEAR(real[k], sum.real(), 1e-7 * 32768.0 * n) << "n=" << n << " k=" << k;
                ASSERT_NEAR(imaginary[k], sum.imag(), 1e-7 * 32768.0 * n) << "n=" << n << " k=" << k;
            }
        }
    }
}

TEST(Fft, KnownSpectra) {
    constexpr int n = 64;
    constexpr int k0 = 5;
    struct Case {
        const char* name;
        double (*sample)(int t);
        std::vector<std::pair<int, std::complex<double>>> peaks;  // all other bins zero
    };
    const Case cases[] = {
        {"constant", [](int) { return 3.0; }, {{0, 3.0 * n}}},
        {"impulse", [](int t) { return t == 0 ? 1.0 : 0.0; }, {}},
        {"sine", [](int t) { return std::sin(2.0 * pi * k0 * t / n); }, {{k0, {0, n / 2.0}}, {n - k0, {0, -n / 2.0}}}},
        {"cosine", [](int t) { return std::cos(2.0 * pi * k0 * t / n); }, {{k0, n / 2.0}, {n - k0, n / 2.0}}},
    };
    for (const Case& c : cases) {
        std::vector<double> input(n), real(n), imaginary(n);
        for (int t = 0; t < n; ++t) input[t] = c.sample(t);
        fft(n, input.data(), real.data(), imaginary.data());
        for (int k = 0; k < n; ++k) {
            std::complex<double> expected = std::string_view(c.name) == "impulse" ? 1.0 : 0.0;
            for (const auto& [bin, value] : c.peaks) {
                if (bin == k) expected = value;
            }
            EXPECT_NEAR(real[k], expected.real(), 1e-9) << c.name << " k=" << k;
            EXPECT_NEAR(imaginary[k], expected.imag(), 1e-9) << c.name << " k=" << k;
        }
    }
}

}  // namespace
}  // namespace ditdahl
