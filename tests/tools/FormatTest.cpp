// The files velto-render writes: the container named by the extension or
// --type, the sample format asked for or a warning, and a word on clipping.

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <cstdio>

#include "RunRender.h"

namespace fs = std::filesystem;

TEST(OutputFormats, TheContainerFollowsTheNameOrTypeAndOnlyWritableOnesAreAccepted) {
  TempFolder dir;
  WriteTestSignal(dir.Path("in48.wav"), 2, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48000.0, 4800);
  struct Case {
    std::string args;  // before INPUT and OUTPUT
    std::string output;
    int format;  // major | subtype read back
    const char* warning;  // expected in the messages, or null for none
  };
  const Case cases[] = {
      {"", "o.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, nullptr},
      {"", "o.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, nullptr},
      {"", "o.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, nullptr},
      {"", "o.AIFF", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, nullptr},
      {"", "o.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, nullptr},
      {"--type flac", "o.dat", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, nullptr},
      {"--format float", "f.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, nullptr},
      {"--format float", "f.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, "FLAC cannot hold 32-bit float samples; writing 24-bit"},
      {"--format pcm24", "p.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, "--format is ignored"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args + " " + c.output);
    const RenderRun r = RunRender("--quiet " + c.args + " " + dir.Path("in48.wav") + " " + dir.Path(c.output));
    ASSERT_EQ(r.status, 0) << r.output;
    SF_INFO info{};
    ASSERT_EQ(ReadChannels(dir.Path(c.output), &info).size(), 2u);
    EXPECT_EQ(info.format & (SF_FORMAT_TYPEMASK | SF_FORMAT_SUBMASK), c.format);
    if (c.warning)
      EXPECT_NE(r.output.find(c.warning), std::string::npos) << r.output;
    else
      EXPECT_EQ(r.output, "");
  }

  // Names that say nothing writable, and what libsndfile refuses.
  WriteTestSignal(dir.Path("in44.wav"), 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100.0, 4410);
  const size_t entries = dir.Names().size();
  struct Refusal {
    std::string args;
    int status;
    const char* says;
  };
  const Refusal refusals[] = {
      {dir.Path("in44.wav") + " " + dir.Path("o.txt"), 2, "\".txt\" is not one velto-render writes"},
      {dir.Path("in44.wav") + " " + dir.Path("noext"), 2, "no extension"},
      {"--type vox " + dir.Path("in44.wav") + " " + dir.Path("o.wav"), 2, "--type takes"},
      {dir.Path("in44.wav") + " " + dir.Path("o.opus"), 1, "Opus only supports sample rates"},
  };
  for (const Refusal& c : refusals) {
    SCOPED_TRACE(c.args);
    const RenderRun r = RunRender("--quiet " + c.args);
    EXPECT_EQ(r.status, c.status) << r.output;
    EXPECT_NE(r.output.find(c.says), std::string::npos) << r.output;
  }
  EXPECT_EQ(dir.Names().size(), entries) << "nothing written for a refused render";
}

TEST(OutputFormats, OversAreCountedWhenTheFormatClipsThemAndKeptInFloat) {
  TempFolder dir;
  WriteTestSignal(dir.Path("in.wav"), 2, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100.0, 22050);
  const std::string hot = "--seed 7 --quiet --set kInGain=12 --set kDrive=15 --set kOutGain=12 " + dir.Path("in.wav") + " ";

  const RenderRun asFloat = RunRender(hot + dir.Path("hot-float.wav"));
  ASSERT_EQ(asFloat.status, 0);
  EXPECT_EQ(asFloat.output, "") << "float output keeps overs without a warning";
  long overs = 0;
  double peak = 0.0;
  for (const auto& ch : ReadChannels(dir.Path("hot-float.wav"))) {
    for (double s : ch) {
      overs += std::fabs(s) > 1.0;
      peak = std::max(peak, std::fabs(s));
    }
  }
  ASSERT_GT(overs, 0) << "the settings must drive the output over full scale";

  const RenderRun asPcm = RunRender(hot + "--format pcm16 " + dir.Path("hot-16.wav"));
  ASSERT_EQ(asPcm.status, 0);
  const size_t at = asPcm.output.find("warning: ");
  long count = -1;
  double peakDb = 0.0;
  ASSERT_NE(at, std::string::npos) << asPcm.output;
  ASSERT_EQ(std::sscanf(asPcm.output.c_str() + at, "warning: %ld samples clipped at full scale (peak %lf dBFS)", &count,
                        &peakDb),
            2)
      << asPcm.output;
  EXPECT_EQ(count, overs);
  EXPECT_NEAR(peakDb, 20.0 * std::log10(peak), 0.06);
  for (const auto& ch : ReadChannels(dir.Path("hot-16.wav")))
    for (double s : ch) ASSERT_LE(std::fabs(s), 1.0);
}
