#include "ResultList.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace orvane::sim {

namespace {

constexpr int kSharedPool = 60;  // documents every engine may list in its top 100
constexpr int kSharedPercent = 45;

uint64_t Slot(uint64_t seed, int engine, int position, uint64_t salt) {
  return Mix(Mix(seed, salt), (static_cast<uint64_t>(engine) << 32) | static_cast<uint32_t>(position));
}

bool SharedSlot(uint64_t seed, int engine, int position) {
  return position < 100 && Slot(seed, engine, position, 11) % 100 < kSharedPercent;
}

bool DuplicateSlot(uint64_t seed, int engine, int position) {
  return position >= 5 && !SharedSlot(seed, engine, position) && Slot(seed, engine, position, 12) % 37 == 0;
}

bool SiblingCandidate(uint64_t seed, int engine, int position) {
  return engine == 0 && position % 100 != 0 && !SharedSlot(seed, engine, position) &&
         !DuplicateSlot(seed, engine, position) && Slot(seed, engine, position, 13) % 9 == 0;
}

// A site never gets more than two results in a row.
bool SiblingSlot(uint64_t seed, int engine, int position) {
  return SiblingCandidate(seed, engine, position) && !SiblingCandidate(seed, engine, position - 1);
}

TDocRef SharedDoc(uint64_t seed, int engine, int position) {
  int nth = 0;
  for (int p = 0; p < position; ++p) nth += SharedSlot(seed, engine, p) ? 1 : 0;
  std::array<int, kSharedPool> order;
  for (int i = 0; i < kSharedPool; ++i) order[i] = i;
  TRng rng(Mix(seed, 700 + static_cast<uint64_t>(engine)));
  for (int i = kSharedPool - 1; i > 0; --i) std::swap(order[i], order[rng.Below(i + 1)]);
  const uint64_t id = static_cast<uint64_t>(order[nth % kSharedPool]);
  return {Mix(seed, 5000 + id), Mix(seed, 6000 + id)};
}

uint64_t QuerySeed(const TSimQuery& query) { return HashText(query.Seed); }

}  // namespace

TEngineTotal TotalFor(const TSimQuery& query, int engine, int64_t defaultTotal) {
  TEngineTotal total;
  const int64_t fixed = query.Controls.Total >= 0 ? query.Controls.Total : defaultTotal;
  if (fixed >= 0) {
    total.Claimed = fixed;
  } else if (!query.Empty()) {
    const uint64_t seed = QuerySeed(query);
    TRng rng(Mix(seed, 99));
    TRng own(Mix(seed, 100 + static_cast<uint64_t>(engine)));
    const int bucket = rng.Below(100);
    const double spread = 0.8 + 0.4 * own.Unit();
    if (bucket < 68) {
      const double base = 2000.0 * std::pow(10.0, rng.Unit() * 4.3);
      total.Claimed = static_cast<int64_t>(base * (0.6 + 0.8 * own.Unit()));
    } else if (bucket < 88) {
      total.Claimed = static_cast<int64_t>((100 + rng.Below(900)) * spread);
    } else {
      total.Claimed = std::max<int64_t>(1, static_cast<int64_t>((1 + rng.Below(99)) * spread));
    }
  }
  total.Served = static_cast<int>(std::min<int64_t>(total.Claimed, kMaxServed));
  total.About = total.Claimed > total.Served;
  return total;
}

TDocRef DocAt(const TSimQuery& query, int engine, int position) {
  const uint64_t seed = QuerySeed(query);
  if (SharedSlot(seed, engine, position)) return SharedDoc(seed, engine, position);
  if (DuplicateSlot(seed, engine, position)) {
    const int back = 1 + static_cast<int>(Slot(seed, engine, position, 14) % std::min(25, position));
    return DocAt(query, engine, position - back);
  }
  const uint64_t own = Slot(seed, engine, position, 15);
  if (SiblingSlot(seed, engine, position)) return {DocAt(query, engine, position - 1).HostSeed, own};
  return {Mix(own, 1), own};
}

bool NestedAt(const TSimQuery& query, int engine, int position) {
  return SiblingSlot(QuerySeed(query), engine, position);
}

}  // namespace orvane::sim
