#pragma once
// The free-system-resources probe: the percentage of the system's window and drawing
// heaps that is free. Callers compare it with their own thresholds and drop cached
// drawing objects, frames or sprites when it runs low. Only old systems with small
// shared heaps ever answer less than 100; on this system the raw query answers 100.
// Answers are cached: one raw query serves up to five calls within 200 milliseconds.
#include <cstdint>
#include <functional>

namespace velquora {

inline constexpr int kSystemResources = 0;  // the kind of resources the probe asks about

// The uncached figure, 0-100.
int FreeSystemResourcesRaw(int kind);
// The cached figure, 0-100.
int FreeSystemResources();

// Start-up initialisation: no cached answers, cached figure 100.
void InitializeResourceProbe();

// Replacements for the raw query and the tick count, for tests that need low figures or
// control over time. An empty function keeps the system's own.
struct ResourceProbeHooks {
  std::function<int(int kind)> RawQuery;
  std::function<std::uint32_t()> TickCount;
};

// Installs hooks and empties the cache for the lifetime of this object.
class ScopedResourceProbeHooks {
public:
  explicit ScopedResourceProbeHooks(ResourceProbeHooks hooks);
  ~ScopedResourceProbeHooks();
  ScopedResourceProbeHooks(const ScopedResourceProbeHooks&) = delete;
  ScopedResourceProbeHooks& operator=(const ScopedResourceProbeHooks&) = delete;

private:
  ResourceProbeHooks previous_;
};

// Makes the raw query answer a fixed figure for the lifetime of this object.
class ScopedResourceFigure {
public:
  explicit ScopedResourceFigure(int percent) : hooks_({[percent](int) { return percent; }, {}}) {}

private:
  ScopedResourceProbeHooks hooks_;
};

}  // namespace velquora
