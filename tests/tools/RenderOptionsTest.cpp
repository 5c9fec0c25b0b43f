// The command line of velto-render.

#include <gtest/gtest.h>

#include "RenderOptions.h"

namespace {
bool Parse(std::vector<std::string> args, RenderOptions* o, std::string* error) {
  return ParseRenderOptions(args, o, error);
}
}  // namespace

TEST(RenderOptions, DefaultsRenderTheExampleIntoTheOnlyFileNamed) {
  RenderOptions o;
  std::string error;
  ASSERT_TRUE(Parse({"out.wav"}, &o, &error));
  EXPECT_EQ(o.output, "out.wav");
  EXPECT_TRUE(o.input.empty());
  EXPECT_EQ(o.block, 512);
  EXPECT_EQ(o.format, SampleFormat::kAsInput);
  EXPECT_FALSE(o.seedGiven);
}

TEST(RenderOptions, EveryOptionIsTakenInOrder) {
  RenderOptions o;
  std::string error;
  ASSERT_TRUE(Parse({"--preset", "Low Tilt", "--set", "kMix=50", "--set", "Drive Gain=3", "--block", "64",
                     "--seed", "4000000000", "--format", "pcm24", "--quiet", "in.flac", "out.wav"},
                    &o, &error))
      << error;
  EXPECT_EQ(o.preset, "Low Tilt");
  ASSERT_EQ(o.sets.size(), 2u);
  EXPECT_EQ(o.sets[1].first, "Drive Gain");
  EXPECT_EQ(o.sets[1].second, "3");
  EXPECT_EQ(o.block, 64);
  EXPECT_EQ(o.seed, 4000000000u);
  EXPECT_EQ(o.format, SampleFormat::kPcm24);
  EXPECT_TRUE(o.quiet);
  EXPECT_EQ(o.input, "in.flac");
}

TEST(RenderOptions, MistakesAreReportedWithWhatWasWrong) {
  struct Case {
    std::vector<std::string> args;
    const char* says;
  };
  const Case cases[] = {
      {{}, "no OUTPUT"},
      {{"a", "b", "c"}, "too many"},
      {{"--block", "0", "o.wav"}, "--block"},
      {{"--block", "12x", "o.wav"}, "--block"},
      {{"--sample-rate", "100", "o.wav"}, "--sample-rate"},
      {{"--sample-rate", "48000", "in.wav", "o.wav"}, "example only"},
      {{"--format", "mp3", "o.wav"}, "--format"},
      {{"--set", "kMix", "o.wav"}, "PARAM=VALUE"},
      {{"--set", "=3", "o.wav"}, "PARAM=VALUE"},
      {{"--seed", "-1", "o.wav"}, "--seed"},
      {{"--preset"}, "needs a value"},
      {{"--loud", "o.wav"}, "unknown option"},
  };
  for (const Case& c : cases) {
    RenderOptions o;
    std::string error;
    EXPECT_FALSE(Parse(c.args, &o, &error));
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
  }
  RenderOptions listing;
  std::string error;
  EXPECT_TRUE(Parse({"--list-params"}, &listing, &error));  // listings need no file
}
