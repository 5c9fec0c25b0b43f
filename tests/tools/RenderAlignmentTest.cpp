// velto-render's output against its input, through the real executable: full
// level from the first sample, the input's length, and sample-for-sample
// alignment with the latency compensated (or the raw stream without).

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "RunRender.h"

namespace {
constexpr double kRate = 44100.0;

struct Rendered {
  std::vector<std::vector<double>> in, out;
  RenderRun run;
};

// Renders half a second of the test signal with the given options.
Rendered RenderSignal(const TempFolder& dir, int channels, const std::string& options) {
  Rendered r;
  WriteTestSignal(dir.Path("in.wav"), channels, SF_FORMAT_WAV | SF_FORMAT_FLOAT, kRate, 22050);
  r.in = ReadChannels(dir.Path("in.wav"));
  r.run = RunRender(options + " " + dir.Path("in.wav") + " " + dir.Path("out.wav"));
  r.out = ReadChannels(dir.Path("out.wav"));
  return r;
}

int ReportedLatency(const std::string& summary) {
  const size_t at = summary.find("latency ");
  return at == std::string::npos ? -1 : std::atoi(summary.c_str() + at + 8);
}
}  // namespace

TEST(RenderAlignment, BypassAndTheDryPathGiveTheInputBackFromTheFirstSample) {
  // A drum-like burst right at 0 s: a fade at the start of the render would
  // take it down by tens of dB.
  TempFolder dir;
  for (const char* settings : {"--set kBypass=on", "--set kMix=0 --set kHPON=off"}) {
    SCOPED_TRACE(settings);
    const Rendered r = RenderSignal(dir, 2, std::string("--quiet ") + settings);
    ASSERT_EQ(r.run.status, 0) << r.run.output;
    ASSERT_EQ(r.out.size(), 2u);
    for (int c = 0; c < 2; ++c) EXPECT_EQ(MaxDifference(r.in[c], r.out[c]), 0.0) << "channel " << c;
  }
}

TEST(RenderAlignment, TheWetPathStartsAtFullLevelAndLinesUpWithTheInput) {
  TempFolder dir;
  const Rendered r = RenderSignal(dir, 2, "--seed 4");
  ASSERT_EQ(r.run.status, 0) << r.run.output;
  ASSERT_EQ(r.out.size(), 2u);
  for (int c = 0; c < 2; ++c) {
    EXPECT_EQ(r.out[c].size(), r.in[c].size());
    // The first burst (within 20 ms) comes out at the level of the input, not faded in.
    const double inPeak = Peak(r.in[c], 0, 882), outPeak = Peak(r.out[c], 0, 882);
    EXPECT_NEAR(20.0 * std::log10(outPeak / inPeak), 0.0, 3.0) << "channel " << c;
    EXPECT_EQ(BestLag(r.in[c], r.out[c], 100), 0) << "channel " << c;
  }
}

TEST(RenderAlignment, WithoutCompensationTheRawStreamIsLateAndLongerByTheReportedLatency) {
  TempFolder dir;
  const Rendered r = RenderSignal(dir, 1, "--seed 4 --no-latency-compensation");
  ASSERT_EQ(r.run.status, 0) << r.run.output;
  const int latency = ReportedLatency(r.run.output);
  ASSERT_GT(latency, 0) << r.run.output;
  ASSERT_EQ(r.out.size(), 1u);
  EXPECT_EQ(r.out[0].size(), r.in[0].size() + latency);
  EXPECT_EQ(BestLag(r.in[0], r.out[0], 100), latency);
}

TEST(RenderAlignment, AnyLengthAndBlockSizeKeepsTheInputLength) {
  // Shorter than the latency, shorter than a block, and an uneven block.
  TempFolder dir;
  for (int frames : {1, 10, 1000}) {
    for (const char* block : {"7", "512"}) {
      SCOPED_TRACE(std::to_string(frames) + " frames, block " + block);
      WriteTestSignal(dir.Path("in.wav"), 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, kRate, frames);
      const RenderRun r =
          RunRender(std::string("--quiet --set kBypass=on --block ") + block + " " + dir.Path("in.wav") + " " + dir.Path("o.wav"));
      ASSERT_EQ(r.status, 0) << r.output;
      const auto in = ReadChannels(dir.Path("in.wav"));
      const auto out = ReadChannels(dir.Path("o.wav"));
      ASSERT_EQ(out.size(), 1u);
      EXPECT_EQ(out[0], in[0]);
    }
  }
}
