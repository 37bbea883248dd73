#include "graphics/vector_unit.h"

#include <atomic>

#include "foundation/debug_trace.h"

namespace vorn {
namespace {

struct ProbeResult {
  bool vector = false;
  bool wide = false;
};

ProbeResult Probe() {
  DebugTrace("DIBX");
  ProbeResult result;
#if defined(__x86_64__) || defined(__i386__)
  __builtin_cpu_init();
  result.vector = __builtin_cpu_supports("sse2");
  result.wide = result.vector && __builtin_cpu_supports("avx2");
#endif
  return result;
}

const ProbeResult& Probed() {
  static const ProbeResult result = Probe();
  return result;
}

// -1: no override; 0: plain loops forced; 1: vector loops forced (where the processor has them).
std::atomic<int> g_override{-1};

}  // namespace

void InitSurfaceUnit() { (void)Probed(); }

bool VectorUnitDetected() { return Probed().vector; }

bool VectorUnitAvailable() {
  const int forced = g_override.load(std::memory_order_relaxed);
  if (forced == 0) return false;
  return Probed().vector;
}

bool VectorUnitWideAvailable() { return VectorUnitAvailable() && Probed().wide; }

ScopedVectorUnitOverride::ScopedVectorUnitOverride(bool available)
    : previous_(g_override.exchange(available ? 1 : 0)) {}

ScopedVectorUnitOverride::~ScopedVectorUnitOverride() { g_override.store(previous_); }

}  // namespace vorn
