#include "core/Random.h"

#include <chrono>
#include <stdexcept>

namespace volmar {

std::uint32_t ClockSeedSource::nextSeed() {
  const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ticks) & 0xFFFFFFFFu);
}

std::uint32_t SeedList::nextSeed() {
  if (next_ >= seeds_.size()) throw std::logic_error("more seeds asked for than were set aside");
  return seeds_[next_++];
}

RandomGenerator::RandomGenerator() : source_(std::make_unique<ClockSeedSource>()) {}

void RandomGenerator::seedFromClock() { state_ = source_->nextSeed(); }

void RandomGenerator::setSeedSource(std::unique_ptr<SeedSource> source) {
  source_ = source ? std::move(source) : std::make_unique<ClockSeedSource>();
}

}  // namespace volmar
