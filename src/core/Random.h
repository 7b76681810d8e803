#pragma once

#include <cstdint>
#include <memory>

namespace volmar {

// Where the shared generator takes its seed from.
class SeedSource {
 public:
  virtual ~SeedSource() = default;
  virtual std::uint32_t nextSeed() = 0;
};

// Low 32 bits of the high-resolution clock (the default).
class ClockSeedSource final : public SeedSource {
 public:
  std::uint32_t nextSeed() override;
};

// Deterministic seeds for repeatable runs: the k-th request (k = 0, 1, ...)
// returns base + k modulo 2^32.
class FixedSeedSource final : public SeedSource {
 public:
  explicit FixedSeedSource(std::uint32_t base) : next_(base) {}
  std::uint32_t nextSeed() override { return next_++; }

 private:
  std::uint32_t next_;
};

// The process-wide linear congruential generator:
// state := state * 134775813 + 1 (mod 2^32), value = state / 2^32 in [0, 1).
class RandomGenerator {
 public:
  RandomGenerator();

  // Seeds the state from the installed seed source.
  void seedFromClock();
  void setSeed(std::uint32_t s) { state_ = s; }
  std::uint32_t state() const { return state_; }

  double next() {
    state_ = state_ * 134775813u + 1u;
    return static_cast<double>(state_) * (1.0 / 4294967296.0);
  }

  // Replaces the seed source (tests, the batch front end's --seed).
  void setSeedSource(std::unique_ptr<SeedSource> source);

 private:
  std::uint32_t state_ = 0;
  std::unique_ptr<SeedSource> source_;
};

}  // namespace volmar
