// Sharper mark edges than the dot-long filter can give: around each edge
// the key decision found, the change point is sought on the raw 4 ms steps
// of the mixer, projected onto the mark's own complex amplitude (the tone is
// coherent over a mark). Keeps the last few seconds of steps. Runs on
// whichever thread feeds the automatic receiver.
#pragma once

#include <complex>
#include <cstdint>
#include <vector>

namespace ditdahl::automatic {

class EdgeRefiner {
public:
    static constexpr std::size_t keptSteps = 1024;  // about 4 s

    void clear();
    // The raw step with this absolute index (indices must follow each other).
    void push(std::int64_t index, std::complex<double> step);

    // A mark that the key decision put at [start, end) in raw steps (edges
    // may be off by up to searchSteps): its edges refined, in raw steps with
    // fractions, the start no earlier than earliest and the end no later
    // than latest (the middles of the gaps around it).
    struct Edges {
        double start;
        double end;
    };
    Edges refine(double start, double end, double searchSteps, double earliest, double latest) const;

private:
    std::complex<double> at(std::int64_t index) const;
    bool holds(std::int64_t index) const;

    std::vector<std::complex<double>> ring_ = std::vector<std::complex<double>>(keptSteps);
    std::int64_t newest_ = -1;
};

}  // namespace ditdahl::automatic
