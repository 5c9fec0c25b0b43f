// The delay the module reports against the delay it has: impulses through
// the processed path and through the plug-in's own bypass, at several rates,
// through the module's real exports.

#include <algorithm>
#include <cmath>
#include <vector>

#include "ModuleCheck.h"
#include "ModuleSupport.h"

using namespace vst2;

namespace {
// Runs `frames` samples of `in` (both channels) through processReplacing in
// blocks of `block`; returns the left output.
std::vector<float> RunMono(Vst2Instance& plug, const std::vector<float>& in, int block) {
  const int frames = static_cast<int>(in.size());
  std::vector<float> outL(frames), outR(frames);
  for (int done = 0; done < frames; done += block) {
    const int n = std::min(block, frames - done);
    float* inputs[2] = {const_cast<float*>(&in[done]), const_cast<float*>(&in[done])};
    float* outputs[2] = {&outL[done], &outR[done]};
    plug.ProcessReplacing(inputs, outputs, n);
  }
  return outL;
}

int LoudestSample(const std::vector<float>& v, int from) {
  int best = from;
  for (int i = from; i < static_cast<int>(v.size()); ++i)
    if (std::fabs(v[i]) > std::fabs(v[best])) best = i;
  return best;
}

// Past every fade (the longest is 0.2 s) at `rate`.
int SettledFrames(double rate) { return static_cast<int>(rate * 0.25) + 1; }
}  // namespace

MODULE_TEST(Vst2Latency, TheReportedDelayIsWhereAnImpulseComesOutAtEveryRate) {
  for (double rate : {44100.0, 48000.0, 96000.0, 192000.0}) {
    auto plug = ReadyInstance(rate, 256);
    REQUIRE_TRUE(plug);
    const int delay = plug->Effect()->initialDelay;
    CHECK_EQ(delay, 31);
    const int at = SettledFrames(rate);
    std::vector<float> in(at + 2048, 0.0f);
    in[at] = 0.5f;
    const std::vector<float> out = RunMono(*plug, in, 256);
    CHECK_EQ(LoudestSample(out, at - 64) - at, delay);
  }
}

MODULE_TEST(Vst2Latency, TheOwnBypassIsTheInputDelayedByTheReportedLatency) {
  auto plug = ReadyInstance(48000.0, 512);
  REQUIRE_TRUE(plug);
  const int delay = plug->Effect()->initialDelay;
  plug->SetParameter(vp::kBypass, 1.0f);
  const int at = SettledFrames(48000.0);
  const StereoSignal noise = TestSignal(at + 4096, 5);
  const std::vector<float> out = RunMono(*plug, noise.left, 512);
  bool exact = true;
  for (int i = at; i < static_cast<int>(out.size()); ++i) exact = exact && out[i] == noise.left[i - delay];
  CHECK_TRUE(exact);
}

MODULE_TEST(Vst2Latency, SwitchingTheBypassKeepsAnImpulseInItsPlace) {
  // The dry path alone (mix 0, no high-pass) is the input delayed; bypassed,
  // the same. An impulse right after each switch, once its fade has run, sits
  // at the same place in both states, and the samples before it are silent.
  auto plug = ReadyInstance(44100.0, 128);
  REQUIRE_TRUE(plug);
  plug->SetParameter(vp::kMix, 0.0f);
  plug->SetParameter(vp::kHPON, 0.0f);
  const int delay = plug->Effect()->initialDelay;
  const int settle = SettledFrames(44100.0);
  for (float bypass : {1.0f, 0.0f, 1.0f}) {
    plug->SetParameter(vp::kBypass, bypass);
    std::vector<float> in(settle + 512, 0.0f);
    in[settle - 10] = 1.0f;  // written into the dry line before the fade ends
    const std::vector<float> out = RunMono(*plug, in, 128);
    CHECK_EQ(LoudestSample(out, settle - 64), settle - 10 + delay);
    CHECK_EQ(out[settle - 10 + delay], 1.0f);
  }
}
