// Buffer attachment, 32/64-bit conversion, pass-through with latency, and
// blocks longer than the announced block size.

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "TestBinding.h"

namespace {
// Output = 2 x input + the sample's index within the block, so piecewise
// processing shows in the result unless the pieces are stitched correctly.
class Doubler : public TestBinding {
 public:
  explicit Doubler(const char* io = "1-1 2-2") : TestBinding(1, io, 1, "T", "", "M", 1, 1, 1, 0, 0) {}
  std::vector<int> blockLengths;
  long long position = 0;
  void ProcessDouble(double** in, double** out, int frames) override {
    blockLengths.push_back(frames);
    for (int i = 0; i < frames; ++i) {
      for (int c = 0; c < NumOutputs(); ++c) out[c][i] = 2.0 * in[c][i] + 0.001 * (position + i);
    }
    position += frames;
  }
};

std::vector<float> Ramp(int n, float start) {
  std::vector<float> v(n);
  for (int i = 0; i < n; ++i) v[i] = start + 0.5f * i;
  return v;
}
}  // namespace

TEST(ProcessingEntry, ThirtyTwoBitBlocksAreConvertedBothWaysAndCanAccumulate) {
  Doubler fx;
  fx.SetBlockSize(64);
  fx.SetInputConnections(0, 2, true);
  fx.SetOutputConnections(0, 2, true);
  std::vector<float> inL = Ramp(64, 1.0f), inR = Ramp(64, -3.0f);
  std::vector<float> outL(64, 100.0f), outR(64, 100.0f);
  float* ins[] = {inL.data(), inR.data()};
  float* outs[] = {outL.data(), outR.data()};

  fx.AttachInputs(0, 2, ins, 64);
  fx.AttachOutputs(0, 2, outs);
  fx.RunBlockReplacing32(64);
  for (int i = 0; i < 64; ++i) {
    EXPECT_FLOAT_EQ(outL[i], 2.0f * inL[i] + 0.001f * i);
    EXPECT_FLOAT_EQ(outR[i], 2.0f * inR[i] + 0.001f * i);
  }

  std::vector<float> before = outL;
  fx.AttachInputs(0, 2, ins, 64);
  fx.AttachOutputs(0, 2, outs);
  fx.RunBlockAccumulating32(64);
  for (int i = 0; i < 64; ++i)
    EXPECT_FLOAT_EQ(outL[i], before[i] + static_cast<float>(2.0 * inL[i] + 0.001 * (64 + i)));
}

TEST(ProcessingEntry, SixtyFourBitHostBlocksAreUsedInPlace) {
  Doubler fx;
  fx.SetBlockSize(16);
  fx.SetInputConnections(0, 2, true);
  fx.SetOutputConnections(0, 2, true);
  std::vector<double> inL(16, 1.0), inR(16, 2.0), outL(16), outR(16);
  double* ins[] = {inL.data(), inR.data()};
  double* outs[] = {outL.data(), outR.data()};
  fx.AttachInputs(0, 2, ins);
  fx.AttachOutputs(0, 2, outs);
  EXPECT_EQ(fx.InputPointers()[1], inR.data());
  EXPECT_EQ(fx.OutputPointers()[0], outL.data());
  fx.RunBlock(16);
  EXPECT_DOUBLE_EQ(outR[3], 4.003);
}

TEST(ProcessingEntry, AnUnconnectedInputConsumesNoHostBlockAndReadsSilence) {
  Doubler fx;
  fx.SetBlockSize(8);
  fx.SetInputConnections(0, 1, true);
  fx.SetInputConnections(1, 1, false);
  fx.SetOutputConnections(0, 2, true);
  std::vector<float> mono = Ramp(8, 1.0f), never(8, 99.0f);
  std::vector<float> outL(8), outR(8);
  float* ins[] = {mono.data(), never.data()};
  float* outs[] = {outL.data(), outR.data()};
  fx.AttachInputs(0, 2, ins, 8);
  fx.AttachOutputs(0, 2, outs);
  fx.RunBlockReplacing32(8);
  EXPECT_FLOAT_EQ(outL[2], 2.0f * mono[2] + 0.002f);
  EXPECT_FLOAT_EQ(outR[2], 0.002f);  // scratch silence, not the second host block
}

TEST(ProcessingEntry, DisconnectingAnInputSilencesWhatItLastConverted) {
  Doubler fx;
  fx.SetBlockSize(4);
  fx.SetInputConnections(0, 2, true);
  fx.SetOutputConnections(0, 2, true);
  std::vector<float> a(4, 1.0f), b(4, 1.0f), oa(4), ob(4);
  float* ins[] = {a.data(), b.data()};
  float* outs[] = {oa.data(), ob.data()};
  fx.AttachInputs(0, 2, ins, 4);
  fx.AttachOutputs(0, 2, outs);
  fx.RunBlockReplacing32(4);
  fx.SetInputConnections(1, 1, false);
  fx.AttachInputs(0, 2, ins, 4);
  fx.AttachOutputs(0, 2, outs);
  fx.RunBlockReplacing32(4);
  EXPECT_FLOAT_EQ(ob[0], 0.004f);
}

TEST(ProcessingEntry, BlocksLongerThanTheBlockSizeRunInPiecesWithTheSameResult) {
  const int n = 1000;
  std::vector<float> inL = Ramp(n, 0.0f), inR = Ramp(n, 5.0f);
  auto render = [&](int blockSize, bool thirtyTwo) {
    Doubler fx;
    fx.SetBlockSize(blockSize);
    fx.SetInputConnections(0, 2, true);
    fx.SetOutputConnections(0, 2, true);
    std::vector<double> result(2 * n);
    if (thirtyTwo) {
      std::vector<float> outL(n), outR(n);
      float* ins[] = {inL.data(), inR.data()};
      float* outs[] = {outL.data(), outR.data()};
      fx.AttachInputs(0, 2, ins, n);
      fx.AttachOutputs(0, 2, outs);
      fx.RunBlockReplacing32(n);
      for (int i = 0; i < n; ++i) result[i] = outL[i], result[n + i] = outR[i];
    } else {
      std::vector<double> dl(inL.begin(), inL.end()), dr(inR.begin(), inR.end());
      double* ins[] = {dl.data(), dr.data()};
      double* outs[] = {result.data(), result.data() + n};
      fx.SetInputConnections(1, 1, false);  // one channel on scratch forces pieces
      fx.AttachInputs(0, 2, ins);
      fx.AttachOutputs(0, 2, outs);
      fx.RunBlock(n);
    }
    for (int len : fx.blockLengths) EXPECT_LE(len, std::max(blockSize, 1));
    return result;
  };
  EXPECT_EQ(render(128, true), render(1024, true));
  std::vector<double> pieces = render(100, false), whole = render(1024, false);
  EXPECT_EQ(pieces, whole);
  EXPECT_DOUBLE_EQ(whole[n + 999], 0.999);  // right input reads silence
}

TEST(ProcessingEntry, WithoutABlockSizeScratchChannelsGiveSilenceInsteadOfOverflowing) {
  Doubler fx;
  fx.SetInputConnections(0, 2, true);
  fx.SetOutputConnections(0, 2, true);
  std::vector<float> in(32, 1.0f), outL(32, 7.0f), outR(32, 7.0f);
  float* ins[] = {in.data(), in.data()};
  float* outs[] = {outL.data(), outR.data()};
  fx.AttachInputs(0, 2, ins, 32);
  fx.AttachOutputs(0, 2, outs);
  fx.RunBlockReplacing32(32);
  EXPECT_TRUE(fx.blockLengths.empty());
  EXPECT_FLOAT_EQ(outL[31], 0.0f);
  fx.RunBlockReplacing32(-5);  // a negative count is an empty block
  fx.SetBlockSize(-20);
  EXPECT_EQ(fx.GetBlockSize(), 0);
}

TEST(ProcessingEntry, SetBlockSizeWithTheSameSizeKeepsScratchContents) {
  Doubler fx;
  fx.SetBlockSize(8);
  fx.SetInputConnections(0, 2, true);
  fx.SetOutputConnections(0, 2, false);
  std::vector<double> in(8, 1.0);
  double* ins[] = {in.data(), in.data()};
  fx.AttachInputs(0, 2, ins);
  fx.RunBlock(8);  // writes into the unconnected outputs' scratch
  double* scratch = fx.OutputPointers()[0];
  EXPECT_DOUBLE_EQ(scratch[1], 2.001);
  fx.SetBlockSize(8);
  EXPECT_DOUBLE_EQ(fx.OutputPointers()[0][1], 2.001);
  fx.ZeroScratchBuffers();
  EXPECT_DOUBLE_EQ(fx.OutputPointers()[0][1], 0.0);
}

TEST(PassThrough, CopiesWithoutLatencyAndZeroesOutputsWithoutAnInput) {
  Doubler fx("1-2");
  fx.SetBlockSize(4);
  fx.SetInputConnections(0, 1, true);
  fx.SetOutputConnections(0, 2, true);
  std::vector<double> in = {1, 2, 3, 4}, o0(4, 9), o1(4, 9);
  double* ins[] = {in.data()};
  double* outs[] = {o0.data(), o1.data()};
  fx.AttachInputs(0, 1, ins);
  fx.AttachOutputs(0, 2, outs);
  fx.PassThroughBlock(4);
  EXPECT_EQ(o0, in);
  EXPECT_EQ(o1, std::vector<double>(4, 0.0));
  EXPECT_TRUE(fx.blockLengths.empty());  // the plug-in's processing is not called
}

TEST(PassThrough, DelaysByTheReportedLatencyAcrossBlocks) {
  Doubler fx("2-2");
  fx.CreateDelayLine();
  fx.SetLatency(3);
  fx.SetBlockSize(5);
  fx.SetInputConnections(0, 2, true);
  fx.SetOutputConnections(0, 2, true);
  std::vector<float> collected;
  for (int block = 0; block < 2; ++block) {
    std::vector<float> l(5), r(5), ol(5), orr(5);
    for (int i = 0; i < 5; ++i) l[i] = 1.0f + block * 5 + i, r[i] = -l[i];
    float* ins[] = {l.data(), r.data()};
    float* outs[] = {ol.data(), orr.data()};
    fx.AttachInputs(0, 2, ins, 5);
    fx.AttachOutputs(0, 2, outs);
    fx.PassThroughBlock32(5);
    collected.insert(collected.end(), ol.begin(), ol.end());
    EXPECT_FLOAT_EQ(orr[4], -ol[4]);
  }
  const std::vector<float> expected = {0, 0, 0, 1, 2, 3, 4, 5, 6, 7};
  EXPECT_EQ(collected, expected);
}
