// The generator's only source of chance: xoshiro256** seeded through splitmix64. Everything the
// sample-log generator writes is a pure function of the seed, so the same seed gives the same
// bytes on every machine: no std:: distributions (their output differs between standard
// libraries). The few libm calls (pow, log1p) feed only coarse decisions, rounded to whole
// seconds or indices.
#pragma once

#include <cmath>
#include <cstdint>

namespace velmora::loggen {

// splitmix64's finaliser: a good 64-bit mix, used to seed and to hash ids into stable variety.
constexpr uint64_t Mix64(uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

class Random {
 public:
  explicit Random(uint64_t seed) {
    for (uint64_t& word : s_) {
      seed += 0x9E3779B97F4A7C15ull;
      word = Mix64(seed);
    }
  }

  uint64_t Next() {
    const uint64_t result = Rotl(s_[1] * 5, 7) * 9;
    const uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = Rotl(s_[3], 45);
    return result;
  }

  // Uniform in [0, n); 0 when n is 0. Multiply-shift: the bias is below 2^-32 for our n.
  uint32_t Below(uint32_t n) {
    return static_cast<uint32_t>(((Next() >> 32) * static_cast<uint64_t>(n)) >> 32);
  }
  // Uniform in [lo, hi]; lo when hi < lo.
  uint32_t Between(uint32_t lo, uint32_t hi) { return hi < lo ? lo : lo + Below(hi - lo + 1); }
  // Uniform in [0, 1) with 53 random bits.
  double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
  bool Chance(double p) { return Unit() < p; }

  // An index in [0, n) that favours small values: n * u^power. power 1 is uniform; 3 puts about
  // 46% of the picks into the first tenth, a popularity curve like that of real sites.
  uint32_t Skewed(uint32_t n, double power) {
    const uint32_t i = static_cast<uint32_t>(static_cast<double>(n) * std::pow(Unit(), power));
    return i < n ? i : (n == 0 ? 0 : n - 1);
  }

  // Exponentially distributed with the given mean (think times, arrival gaps).
  double Exponential(double mean) { return -mean * std::log1p(-Unit()); }

  // A separate, reproducible stream for one purpose, so that adding draws to one part of the
  // model does not shift every later decision of another.
  Random Fork(uint64_t stream) { return Random(Next() ^ Mix64(stream)); }

 private:
  static constexpr uint64_t Rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
  uint64_t s_[4];
};

// Picks an index by integer weights from a table of `count` entries.
template <class Table, class WeightOf>
uint32_t PickWeighted(Random& rng, const Table& table, WeightOf weight_of) {
  uint32_t total = 0;
  for (const auto& row : table) total += weight_of(row);
  uint32_t x = rng.Below(total);
  uint32_t i = 0;
  for (const auto& row : table) {
    const uint32_t w = weight_of(row);
    if (x < w) return i;
    x -= w;
    ++i;
  }
  return i == 0 ? 0 : i - 1;
}

}  // namespace velmora::loggen
