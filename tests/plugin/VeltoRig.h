#pragma once
// Drives a Velto object through the offline binding the way a host does.

#include <cmath>
#include <memory>
#include <vector>

#include "Velto.h"

struct VeltoRig {
  std::unique_ptr<Velto> fx;
  std::vector<double> outL, outR;

  explicit VeltoRig(double rate = 44100.0, int block = 512, unsigned seed = 7) {
    VeltoRandomSeed::UseFixedSeed(seed);
    fx.reset(static_cast<Velto*>(CreatePlugin(IEffectOffline::InstanceInfo{})));
    fx->Prepare(rate, block);
  }

  void Set(int idx, double plain) { fx->SetParameterValue(idx, plain); }

  // Runs the inputs in blocks of `block` frames; returns the outputs.
  void Run(const std::vector<double>& inL, const std::vector<double>& inR, int block = 512) {
    outL.assign(inL.size(), 0.0);
    outR.assign(inR.size(), 0.0);
    for (size_t start = 0; start < inL.size(); start += block) {
      const int n = static_cast<int>(std::min<size_t>(block, inL.size() - start));
      double* in[] = {const_cast<double*>(inL.data()) + start, const_cast<double*>(inR.data()) + start};
      double* out[] = {outL.data() + start, outR.data() + start};
      fx->Process(in, out, n);
    }
  }

  // Runs silence until no fade is active.
  void SettleFade() {
    std::vector<double> zero(4096, 0.0);
    for (int i = 0; i < 100 && fx->FadeActive(); ++i) Run(zero, zero);
  }
};

inline std::vector<double> Sine(double freq, double rate, int n, double amp, double phase = 0.0) {
  std::vector<double> v(n);
  for (int i = 0; i < n; ++i) v[i] = amp * std::sin(6.283185307179586 * freq * i / rate + phase);
  return v;
}

inline std::vector<double> Noise(int n, double amp, unsigned seed) {
  std::vector<double> v(n);
  unsigned s = seed;
  for (int i = 0; i < n; ++i) {
    s = s * 1664525u + 1013904223u;
    v[i] = amp * (static_cast<int>(s) / 2147483648.0);
  }
  return v;
}

inline double Peak(const std::vector<double>& v) {
  double p = 0.0;
  for (double x : v) p = std::max(p, std::fabs(x));
  return p;
}
