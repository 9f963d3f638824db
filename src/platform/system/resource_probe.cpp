#include "platform/system/resource_probe.h"

#include <utility>

#include "platform/system/tick_count.h"

namespace velquora {

namespace {
constexpr int kAllFree = 100;
constexpr std::uint32_t kCacheMilliseconds = 200;
constexpr int kAnswersPerQuery = 5;

struct ProbeCache {
  int figure = kAllFree;
  std::uint32_t taken_at = 0;
  int answers_left = 0;
};

ProbeCache& Cache() {
  static ProbeCache cache;
  return cache;
}

ResourceProbeHooks& Hooks() {
  static ResourceProbeHooks hooks;
  return hooks;
}

std::uint32_t Now() {
  const auto& hooks = Hooks();
  return hooks.TickCount ? hooks.TickCount() : TickCount();
}
}  // namespace

int FreeSystemResourcesRaw(int kind) {
  const auto& hooks = Hooks();
  // Current systems have no small shared heaps: nothing is ever low.
  return hooks.RawQuery ? hooks.RawQuery(kind) : kAllFree;
}

int FreeSystemResources() {
  ProbeCache& cache = Cache();
  const std::uint32_t now = Now();
  if (cache.answers_left > 0 && now - cache.taken_at <= kCacheMilliseconds) {
    --cache.answers_left;
    return cache.figure;
  }
  cache.figure = FreeSystemResourcesRaw(kSystemResources);
  cache.taken_at = now;
  cache.answers_left = kAnswersPerQuery - 1;
  return cache.figure;
}

void InitializeResourceProbe() { Cache() = ProbeCache{}; }

ScopedResourceProbeHooks::ScopedResourceProbeHooks(ResourceProbeHooks hooks)
    : previous_(std::exchange(Hooks(), std::move(hooks))) {
  InitializeResourceProbe();
}

ScopedResourceProbeHooks::~ScopedResourceProbeHooks() {
  Hooks() = std::move(previous_);
  InitializeResourceProbe();
}

}  // namespace velquora
