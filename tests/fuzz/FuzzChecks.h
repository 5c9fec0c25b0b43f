#pragma once
// What must hold after every fuzz input, whatever the bytes were: every
// parameter finite and inside its range, and audio out finite. A broken
// invariant stops the run at once (libFuzzer keeps the input that did it).

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "IEffectBase.h"

namespace fuzzcheck {

[[noreturn]] inline void Fail(const char* what, int index, double value) {
  std::fprintf(stderr, "fuzz invariant broken: %s (index %d, value %.17g)\n", what, index, value);
  std::abort();
}

inline void Require(bool ok, const char* what, int index = -1, double value = 0.0) {
  if (!ok) Fail(what, index, value);
}

// Every parameter of the plug-in object: finite, within [min, max]. [any thread, takes the lock]
inline void ParamsInRange(IEffectBase& fx) {
  IEffectLock lock(fx.Mutex());
  for (int i = 0; i < fx.NumParams(); ++i) {
    const IEffectParam* p = fx.GetParam(i);
    const double v = p->Value();
    Require(std::isfinite(v), "parameter not finite", i, v);
    Require(v >= p->Min() && v <= p->Max(), "parameter outside its range", i, v);
  }
}

template <class T>
void AllFinite(const T* samples, int count, const char* what) {
  for (int i = 0; i < count; ++i) Require(std::isfinite(static_cast<double>(samples[i])), what, i, samples[i]);
}

// A short stereo test block: a loud chord, the same every call.
template <class T>
void FillTestBlock(T* left, T* right, int frames) {
  for (int i = 0; i < frames; ++i) {
    left[i] = static_cast<T>(0.8 * std::sin(0.05 * i) + 0.1 * std::sin(0.71 * i));
    right[i] = static_cast<T>(0.6 * std::sin(0.031 * i));
  }
}

// One short block through an offline plug-in; every output sample finite.
template <class Plugin>
void ProcessFinite(Plugin& fx) {
  constexpr int kFrames = 8;
  double l[kFrames], r[kFrames], ol[kFrames], orr[kFrames];
  FillTestBlock(l, r, kFrames);
  double* in[] = {l, r};
  double* out[] = {ol, orr};
  fx.Process(in, out, kFrames);
  AllFinite(ol, kFrames, "left output not finite");
  AllFinite(orr, kFrames, "right output not finite");
}

}  // namespace fuzzcheck
