// Families of test signals that show what real bands do to Morse: each a
// name, the ranges its parameters are drawn from, and what it changes in a
// scene of clean machine keying. A signal is a deterministic function of
// the family, a seed, the SNR and the texts to draw from, so a receiver can
// be measured on many signals of each kind and every machine gets the same.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "synthesis/Noise.h"
#include "synthesis/Scene.h"

namespace ditdahl::synthesis {

struct Family {
    std::string_view name;
    std::string_view ranges;  // what the seed draws, and from where
    // Changes the clean scene (one station, machine keying) into the
    // family's, drawing from random; texts holds at least two.
    void (*draw)(NoiseGenerator& random, std::span<const std::string> texts, Scene& scene);
};

std::span<const Family> signalFamilies();
// The family of that name; none if there is no such family.
const Family* familyNamed(std::string_view name);

// One signal of the family: text (texts[seed % size]), speed, tone and the
// family's parameters drawn from the seed, rendered at the SNR.
TestSignal makeSignal(const Family& family, std::uint64_t seed, double snrDb, std::span<const std::string> texts,
                      Content content = Content::Keyed);

}  // namespace ditdahl::synthesis
