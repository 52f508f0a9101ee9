#pragma once
// A small deterministic random source (splitmix64): the same seed gives the
// same data on every machine and standard library.

#include <cstddef>

namespace pelmora::refgen {

class Random {
  public:
    explicit Random(unsigned long long seed) : state_(seed) {}
    unsigned long long next() {
        unsigned long long z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // 0 <= result < bound
    int below(int bound) { return static_cast<int>(next() % static_cast<unsigned long long>(bound)); }
    bool chance(int percent) { return below(100) < percent; }
    template <class T, std::size_t N> const T& pick(const T (&items)[N]) {
        return items[below(static_cast<int>(N))];
    }

  private:
    unsigned long long state_;
};

} // namespace pelmora::refgen
