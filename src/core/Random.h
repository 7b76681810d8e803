#pragma once

#include <cstdint>
#include <memory>
#include <vector>

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

// Hands out a list of seeds taken earlier from another source, in order.
// Lets work moved to another thread take exactly the seeds it would have
// taken in turn; asking for more than the list holds is a logic error.
class SeedList final : public SeedSource {
 public:
  explicit SeedList(std::vector<std::uint32_t> seeds) : seeds_(std::move(seeds)) {}
  std::uint32_t nextSeed() override;

 private:
  std::vector<std::uint32_t> seeds_;
  std::size_t next_ = 0;
};

// The generator's state after `draws` draws from `state`, without drawing:
// a draw is the affine map x -> a*x + 1 (mod 2^32), and the map of 2^i
// draws is squared from that of 2^(i-1), so the cost is O(log draws). Lets
// the start state of a later part of a run be known before the earlier
// parts have drawn.
constexpr std::uint32_t JumpAhead(std::uint32_t state, std::uint64_t draws) {
  std::uint32_t mulAcc = 1, addAcc = 0;  // the map of the draws taken so far
  std::uint32_t mul = 134775813u, add = 1u;  // the map of 2^i draws
  for (; draws != 0; draws >>= 1) {
    if (draws & 1) {
      mulAcc *= mul;
      addAcc = addAcc * mul + add;
    }
    add *= mul + 1u;
    mul *= mul;
  }
  return mulAcc * state + addAcc;
}

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
