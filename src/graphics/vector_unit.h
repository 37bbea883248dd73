#pragma once

namespace vorn {

// True when the processor has the vector instructions that the drawing operations' fast inner
// loops use. Probed once, on first use, from the processor's feature bits; never cleared. The
// flag selects speed only: every loop has a plain twin that draws the same pixels.
bool VectorUnitAvailable();
// True when, in addition, the wider (AVX2) variants of the loops may run.
bool VectorUnitWideAvailable();

// Runs the probe if it has not run yet. Start-up calls it so that the probe names itself to the
// trace routine at a known point.
void InitSurfaceUnit();

// What the processor itself reports, regardless of any override.
bool VectorUnitDetected();

// Forces the vector or the plain loops for as long as it lives (tests and benchmarks).
class ScopedVectorUnitOverride {
 public:
  explicit ScopedVectorUnitOverride(bool available);
  ~ScopedVectorUnitOverride();
  ScopedVectorUnitOverride(const ScopedVectorUnitOverride&) = delete;
  ScopedVectorUnitOverride& operator=(const ScopedVectorUnitOverride&) = delete;

 private:
  int previous_;
};

}  // namespace vorn
