// The three process calls, block lengths, call orders, channel connections and
// automation from other threads, through the module's real exports.
//
// Each instance seeds its saturation noise differently, so audio is compared
// across instances with the mix at 0 %: the output is then the delayed,
// high-passed input, the same for every instance.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "ModuleCheck.h"
#include "ModuleSupport.h"

using namespace vst2;

namespace {
constexpr int kFrames = 4096;

std::unique_ptr<Vst2Instance> DryInstance(double rate = 48000.0, int block = 512) {
  auto plug = ReadyInstance(rate, block);
  if (plug) plug->SetParameter(vp::kMix, 0.0f);
  return plug;
}

// Runs the signal through in blocks of `block` frames with the chosen call.
enum class Call { kReplacing, kAccumulating, kDouble };
StereoSignal RunSignal(Vst2Instance& plug, const StereoSignal& in, int block, Call call, float prefill = 0.0f) {
  const int frames = static_cast<int>(in.left.size());
  StereoSignal out;
  out.left.assign(frames, prefill);
  out.right.assign(frames, prefill);
  for (int done = 0; done < frames; done += block) {
    const int n = std::min(block, frames - done);
    if (call == Call::kDouble) {
      DoubleBlock din(n), dout(n, 99.0);
      for (int i = 0; i < n; ++i) {
        din.data[0][i] = in.left[done + i];
        din.data[1][i] = in.right[done + i];
      }
      plug.ProcessDouble(din.ptrs, dout.ptrs, n);
      for (int i = 0; i < n; ++i) {
        out.left[done + i] = static_cast<float>(dout.data[0][i]);
        out.right[done + i] = static_cast<float>(dout.data[1][i]);
      }
    } else {
      float* inputs[2] = {const_cast<float*>(&in.left[done]), const_cast<float*>(&in.right[done])};
      float* outputs[2] = {&out.left[done], &out.right[done]};
      if (call == Call::kReplacing)
        plug.ProcessReplacing(inputs, outputs, n);
      else
        plug.ProcessAccumulating(inputs, outputs, n);
    }
  }
  return out;
}

bool Same(const StereoSignal& a, const StereoSignal& b) { return a.left == b.left && a.right == b.right; }
}  // namespace

// ---------------------------------------------------------------------------
// The three process calls

MODULE_TEST(Vst2Process, ReplacingAccumulatingAndDoubleGiveTheSameAudio) {
  const StereoSignal in = TestSignal(kFrames);
  auto a = DryInstance();
  auto b = DryInstance();
  auto c = DryInstance();
  REQUIRE_TRUE(a && b && c);
  const StereoSignal replaced = RunSignal(*a, in, 512, Call::kReplacing);
  const StereoSignal accumulated = RunSignal(*b, in, 512, Call::kAccumulating, 0.25f);
  const StereoSignal doubled = RunSignal(*c, in, 512, Call::kDouble);
  CHECK_TRUE(Same(replaced, doubled));
  bool sums = true;
  for (int i = 0; i < kFrames; ++i) {
    sums = sums && accumulated.left[i] == 0.25f + replaced.left[i] && accumulated.right[i] == 0.25f + replaced.right[i];
  }
  CHECK_TRUE(sums);
  // The plug-in did something: the dry path delays and high-passes.
  CHECK_TRUE(replaced.left != in.left);
  CHECK_FALSE(AllZero(replaced.left));
  CHECK_TRUE(AllFinite(replaced.left) && AllFinite(replaced.right));
}

MODULE_TEST(Vst2Process, FullyWetOutputIsAliveAndFiniteInEveryForm) {
  const StereoSignal in = TestSignal(kFrames, 7);
  for (Call call : {Call::kReplacing, Call::kAccumulating, Call::kDouble}) {
    auto plug = ReadyInstance();
    REQUIRE_TRUE(plug);
    plug->SetParameter(vp::kDrive, 1.0f);
    const StereoSignal out = RunSignal(*plug, in, 333, call);
    CHECK_TRUE(AllFinite(out.left) && AllFinite(out.right));
    CHECK_FALSE(AllZero(out.left));
    CHECK_FALSE(AllZero(out.right));
  }
}

MODULE_TEST(Vst2Process, BlocksLongerThanAnnouncedAreProcessedWhole) {
  // Block size 64, host blocks of 1000: no overflow, and the same audio as
  // a host that keeps to 64.
  const StereoSignal in = TestSignal(kFrames, 3);
  for (Call call : {Call::kReplacing, Call::kDouble, Call::kAccumulating}) {
    auto longBlocks = DryInstance(44100.0, 64);
    auto shortBlocks = DryInstance(44100.0, 64);
    REQUIRE_TRUE(longBlocks && shortBlocks);
    CHECK_TRUE(Same(RunSignal(*longBlocks, in, 1000, call), RunSignal(*shortBlocks, in, 64, call)));
  }
}

MODULE_TEST(Vst2Process, NullBuffersAndOddFrameCountsAreSafe) {
  auto plug = ReadyInstance(44100.0, 256);
  REQUIRE_TRUE(plug);
  FloatBlock in(512, 0.3f), out(512, 7.0f);
  DoubleBlock din(512, 0.3), dout(512, 7.0);
  // Nothing is written for zero or negative frame counts.
  for (int frames : {0, -1, -100000}) {
    plug->ProcessReplacing(in.ptrs, out.ptrs, frames);
    plug->ProcessAccumulating(in.ptrs, out.ptrs, frames);
    plug->ProcessDouble(din.ptrs, dout.ptrs, frames);
  }
  CHECK_EQ(out.data[0][0], 7.0f);
  CHECK_EQ(dout.data[1][0], 7.0);
  // Null arrays and null channel pointers.
  plug->ProcessReplacing(nullptr, nullptr, 512);
  plug->ProcessReplacing(in.ptrs, nullptr, 512);
  plug->ProcessReplacing(nullptr, out.ptrs, 512);
  plug->ProcessAccumulating(nullptr, nullptr, 512);
  plug->ProcessDouble(nullptr, nullptr, 512);
  plug->ProcessDouble(din.ptrs, nullptr, 512);
  plug->ProcessDouble(nullptr, dout.ptrs, 512);
  float* halfIn[2] = {in.ptrs[0], nullptr};
  float* halfOut[2] = {nullptr, out.ptrs[1]};
  plug->ProcessReplacing(halfIn, halfOut, 512);
  double* halfDin[2] = {nullptr, din.ptrs[1]};
  double* halfDout[2] = {dout.ptrs[0], nullptr};
  plug->ProcessDouble(halfDin, halfDout, 512);
  CHECK_TRUE(AllFinite(out.data[0]) && AllFinite(out.data[1]));
  // And it still processes normally afterwards.
  FloatBlock again(512);
  plug->ProcessReplacing(in.ptrs, again.ptrs, 512);
  CHECK_TRUE(AllFinite(again.data[0]));
  CHECK_FALSE(AllZero(again.data[0]));
}

MODULE_TEST(Vst2Process, SameAudioWhateverTheCallOrder) {
  // One popular host sends effOpen before rate and block size; others after;
  // some toggle the mains on the way. Every order ends in the same state.
  const StereoSignal in = TestSignal(48000, 5);
  std::vector<StereoSignal> results;
  for (int order = 0; order < 4; ++order) {
    auto plug = NewInstance();
    REQUIRE_TRUE(plug);
    auto open = [&] { plug->Dispatch(effOpen); };
    auto rate = [&] { plug->Dispatch(effSetSampleRate, 0, 0, nullptr, 96000.0f); };
    auto block = [&] { plug->Dispatch(effSetBlockSize, 0, 256); };
    auto mains = [&](int on) { plug->Dispatch(effMainsChanged, 0, on); };
    switch (order) {
      case 0: open(); rate(); block(); mains(1); break;
      case 1: rate(); block(); open(); mains(1); break;
      case 2: block(); open(); mains(1); mains(0); rate(); mains(1); break;
      case 3: mains(1); rate(); open(); block(); mains(0); mains(1); break;
    }
    plug->SetParameter(vp::kMix, 0.0f);
    results.push_back(RunSignal(*plug, in, 256, Call::kReplacing));
  }
  // The start-up fade may differ in length (effOpen re-runs every parameter
  // reaction after the reset, or not); once it is over the audio is the same.
  const size_t settled = 30000;  // 0.31 s at 96 kHz
  for (size_t i = 1; i < results.size(); ++i) {
    CHECK_TRUE(std::equal(results[i].left.begin() + settled, results[i].left.end(), results[0].left.begin() + settled));
    CHECK_TRUE(std::equal(results[i].right.begin() + settled, results[i].right.end(), results[0].right.begin() + settled));
  }
}

MODULE_TEST(Vst2Process, ProcessingBeforeAnySetupIsSafe) {
  const StereoSignal in = TestSignal(2048, 9);
  for (Call call : {Call::kReplacing, Call::kAccumulating, Call::kDouble}) {
    auto plug = NewInstance();  // no effOpen, no rate, no block size, mains off
    REQUIRE_TRUE(plug);
    const StereoSignal out = RunSignal(*plug, in, 2048, call);
    CHECK_TRUE(AllFinite(out.left) && AllFinite(out.right));
  }
}

// ---------------------------------------------------------------------------
// Channel connections

MODULE_TEST(Vst2Process, OneInputArrangementReadsSilenceOnTheSecondInput) {
  const StereoSignal in = TestSignal(kFrames, 11);
  auto plug = DryInstance();
  REQUIRE_TRUE(plug);
  VstSpeakerArrangement mono = {};
  mono.type = kSpeakerArrMono;
  mono.numChannels = 1;
  CHECK_EQ(plug->Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&mono), nullptr), 1);
  // The host still hands a loud second buffer; the plug-in must not read it.
  const StereoSignal out = RunSignal(*plug, in, 512, Call::kReplacing);
  CHECK_TRUE(AllZero(out.right));
  CHECK_FALSE(AllZero(out.left));
  // Left matches a full stereo instance.
  auto stereo = DryInstance();
  REQUIRE_TRUE(stereo);
  CHECK_TRUE(RunSignal(*stereo, in, 512, Call::kReplacing).left == out.left);

  // Back to two inputs: the second one is heard again.
  VstSpeakerArrangement two = {};
  two.type = kSpeakerArrStereo;
  two.numChannels = 2;
  plug->Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&two), &two);
  CHECK_FALSE(AllZero(RunSignal(*plug, in, 512, Call::kDouble).right));
}

MODULE_TEST(Vst2Process, OneOutputArrangementLeavesTheSecondHostBufferAlone) {
  const StereoSignal in = TestSignal(1024, 13);
  auto plug = DryInstance();
  REQUIRE_TRUE(plug);
  VstSpeakerArrangement mono = {};
  mono.type = kSpeakerArrMono;
  mono.numChannels = 1;
  plug->Dispatch(effSetSpeakerArrangement, 0, 0, &mono);
  const StereoSignal out = RunSignal(*plug, in, 512, Call::kReplacing, 0.5f);
  bool untouched = true;
  for (float x : out.right) untouched = untouched && x == 0.5f;
  CHECK_TRUE(untouched);
  CHECK_TRUE(out.left != std::vector<float>(1024, 0.5f));
}

// ---------------------------------------------------------------------------
// Threads

MODULE_TEST(Vst2Threads, AutomationAndStateWhileProcessing) {
  auto plug = ReadyInstance(48000.0, 256);
  REQUIRE_TRUE(plug);
  // Two complete states; a reader must only ever see one or the other.
  plug->SetParameter(vp::kInGain, 0.2f);
  plug->SetParameter(vp::kMeterScale, 0.1f);
  const std::vector<uint8_t> stateA = GetChunk(*plug, 1);
  plug->SetParameter(vp::kInGain, 0.9f);
  plug->SetParameter(vp::kMeterScale, 0.8f);
  const std::vector<uint8_t> stateB = GetChunk(*plug, 1);
  REQUIRE_TRUE(stateA.size() == 168u && stateB.size() == 168u && stateA != stateB);

  std::atomic<bool> stop(false);
  std::atomic<int> torn(0), blocks(0), nonFinite(0);
  auto audio = std::async(std::launch::async, [&] {
    FloatBlock in(256, 0.2f), out(256);
    while (!stop) {
      plug->ProcessReplacing(in.ptrs, out.ptrs, 256);
      if (!AllFinite(out.data[0])) ++nonFinite;
      ++blocks;
    }
  });
  auto loader = std::async(std::launch::async, [&] {
    for (int i = 0; !stop; ++i) SetChunk(*plug, 1, i % 2 ? stateA : stateB);
  });
  auto automation = std::async(std::launch::async, [&] {
    // The model selector is outside the stored state.
    for (int i = 0; !stop; ++i) {
      plug->SetParameter(vp::kModel, (i % 3) * 0.5f);
      plug->GetParameter(vp::kInGain);
      char text[64];
      plug->Dispatch(effGetParamDisplay, vp::kMeterScale, 0, text);
    }
  });
  auto reader = std::async(std::launch::async, [&] {
    while (!stop) {
      const std::vector<uint8_t> now = GetChunk(*plug, 1);
      if (now != stateA && now != stateB) ++torn;
    }
  });

  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  stop = true;
  bool finished = true;
  for (std::future<void>* f : {&audio, &loader, &automation, &reader})
    finished = finished && f->wait_for(std::chrono::seconds(20)) == std::future_status::ready;
  if (!finished) {
    // A deadlock: the threads cannot be joined, so the run ends here.
    std::printf("FAILED Vst2Threads.AutomationAndStateWhileProcessing: threads did not finish\n");
    std::fflush(stdout);
    std::_Exit(1);
  }
  CHECK_EQ(torn.load(), 0);
  CHECK_EQ(nonFinite.load(), 0);
  CHECK_TRUE(blocks.load() > 10);
}
