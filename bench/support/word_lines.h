// Benchmark input: lines of words drawn from a vocabulary by a fixed-seed
// generator, so that every run, build and machine gets the same bytes and
// figures stay comparable across changes.
#pragma once

#include <cstddef>
#include <string>

namespace bench {

// Lines of 1 to maxWords words; where numbers is not 0, each line ends with
// a number below it.
template <std::size_t N>
std::string MakeWordLines(const char* const (&words)[N], unsigned seed, int lines, unsigned maxWords,
                          unsigned numbers = 0) {
    std::string out;
    out.reserve(std::size_t(lines) * 48);
    auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    for (int i = 0; i < lines; ++i) {
        const int n = 1 + int(next() % maxWords);
        for (int w = 0; w < n; ++w) out += words[next() % N];
        if (numbers) out += std::to_string(next() % numbers);
        out += '\n';
    }
    return out;
}

}  // namespace bench
