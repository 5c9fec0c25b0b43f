// velto-render as a user runs it: files, exit codes, messages.

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <unistd.h>
#include <sys/wait.h>
#include <filesystem>
#include <fstream>
#include <string>

#include "AudioFile.h"
#include "ExampleSignal.h"

namespace fs = std::filesystem;

namespace {
struct Result {
  int status;
  std::string output;  // standard output and error together
};

Result RunRender(const std::string& args) {
  const std::string command = std::string(VELTO_RENDER_EXE) + " " + args + " 2>&1";
  Result r{-1, ""};
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return r;
  char buffer[4096];
  while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) r.output.append(buffer, n);
  const int status = pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

class VeltoRender : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("velto-render-test-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  fs::path dir_;
};

void WriteTone(const std::string& path, int channels, int format, double rate = 44100.0) {
  SF_INFO info{};
  info.samplerate = static_cast<int>(rate);
  info.channels = channels;
  info.format = format;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_NE(f, nullptr);
  std::vector<double> frames(22050 * channels);
  for (size_t i = 0; i < frames.size(); ++i) frames[i] = 0.3 * std::sin(0.05 * (i / channels) + (i % channels));
  sf_writef_double(f, frames.data(), 22050);
  sf_close(f);
}
}  // namespace

TEST_F(VeltoRender, RendersTheBuiltInExampleAndSummarisesIt) {
  const Result r = RunRender("--seed 3 " + Path("ex.wav"));
  ASSERT_EQ(r.status, 0) << r.output;
  AudioBuffer out;
  std::string error;
  ASSERT_TRUE(ReadAudioFile(Path("ex.wav"), &out, &error)) << error;
  EXPECT_EQ(out.channels.size(), 2u);
  EXPECT_EQ(out.Frames(), 4 * 44100);
  EXPECT_EQ(out.subtype, SF_FORMAT_FLOAT);
  EXPECT_NE(r.output.find("out peak"), std::string::npos);
  EXPECT_NE(r.output.find("real time"), std::string::npos);
  for (const auto& entry : fs::directory_iterator(dir_))
    EXPECT_EQ(entry.path().filename(), "ex.wav") << "no temporary file is left behind";
}

TEST_F(VeltoRender, TheSameSeedRendersTheSameBits) {
  ASSERT_EQ(RunRender("--quiet --seed 9 --preset 2 " + Path("a.wav")).status, 0);
  ASSERT_EQ(RunRender("--quiet --seed 9 --preset \"Stereo Wide\" " + Path("b.wav")).status, 0);
  std::ifstream a(Path("a.wav"), std::ios::binary), b(Path("b.wav"), std::ios::binary);
  const std::string bytesA((std::istreambuf_iterator<char>(a)), {}), bytesB((std::istreambuf_iterator<char>(b)), {});
  EXPECT_FALSE(bytesA.empty());
  EXPECT_EQ(bytesA, bytesB);
}

TEST_F(VeltoRender, MonoFilesStayMonoAndKeepTheirFormat) {
  WriteTone(Path("mono.wav"), 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  const Result r = RunRender("--quiet --set kMix=0 " + Path("mono.wav") + " " + Path("out.wav"));
  ASSERT_EQ(r.status, 0) << r.output;
  AudioBuffer out;
  std::string error;
  ASSERT_TRUE(ReadAudioFile(Path("out.wav"), &out, &error));
  EXPECT_EQ(out.channels.size(), 1u);
  EXPECT_EQ(out.subtype, SF_FORMAT_PCM_16);
  EXPECT_EQ(RunRender("--quiet --format pcm24 " + Path("mono.wav") + " " + Path("o24.flac")).status, 0);
  ASSERT_TRUE(ReadAudioFile(Path("o24.flac"), &out, &error));
  EXPECT_EQ(out.subtype, SF_FORMAT_PCM_24);
}

TEST_F(VeltoRender, RefusesUsageMistakesWithStatusTwo) {
  WriteTone(Path("in.wav"), 2, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
  Result r = RunRender(Path("in.wav") + " " + Path("in.wav"));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.output.find("must not be the INPUT"), std::string::npos);

  r = RunRender("--set kLoudness=3 " + Path("o.wav"));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.output.find("kHPRollOff"), std::string::npos) << "lists the valid names";

  r = RunRender("--preset Nonexistent " + Path("o.wav"));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.output.find("Presence"), std::string::npos);

  r = RunRender("--set kMix=lots " + Path("o.wav"));
  EXPECT_EQ(r.status, 2);
  EXPECT_FALSE(fs::exists(Path("o.wav")));
}

TEST_F(VeltoRender, ClampsOutOfRangeValuesWithAWarning) {
  const Result r = RunRender("--quiet --set \"Drive Gain=40\" " + Path("o.wav"));
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.output.find("outside -10 .. 15"), std::string::npos) << r.output;
}

TEST_F(VeltoRender, ReportsUnreadableInputsAndWriteFailuresWithStatusOne) {
  std::ofstream(Path("junk.wav")) << "this is not audio";
  Result r = RunRender(Path("junk.wav") + " " + Path("o.wav"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("cannot read"), std::string::npos);

  WriteTone(Path("quad.wav"), 4, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  r = RunRender(Path("quad.wav") + " " + Path("o.wav"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("4 channels"), std::string::npos);

  r = RunRender("--quiet " + Path("no/such/folder/o.wav"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("cannot write"), std::string::npos);

  r = RunRender(Path("missing.wav") + " " + Path("o.wav"));
  EXPECT_EQ(r.status, 1);
}

TEST(ExampleSignal, IsStereoMusicWithHeadroomStartingAndEndingInSilence) {
  const AudioBuffer ex = MakeExampleSignal(48000.0, 2.0);
  ASSERT_EQ(ex.channels.size(), 2u);
  EXPECT_EQ(ex.Frames(), 96000);
  double peak = 0.0;
  for (const auto& ch : ex.channels)
    for (double s : ch) peak = std::max(peak, std::fabs(s));
  EXPECT_GT(peak, 0.2);
  EXPECT_LT(peak, 0.7);
  EXPECT_EQ(ex.channels[0].front(), 0.0);
  EXPECT_NE(ex.channels[0], ex.channels[1]);
}
