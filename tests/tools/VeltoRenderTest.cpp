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
#include "PIX_Bitmap.h"
#include "PIX_Png.h"
#include "RunRender.h"

namespace fs = std::filesystem;

namespace {
using Result = RenderRun;

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
  // The plug-in's own processor time is part of the whole run's time, over
  // every frame it processed: the example, the pre-roll and the latency flush.
  double whole = 0.0, inPlugin = 0.0, nsPerFrame = 0.0;
  long long frames = 0;
  const size_t at = r.output.find("processed in");
  ASSERT_NE(at, std::string::npos) << r.output;
  ASSERT_EQ(std::sscanf(r.output.c_str() + at,
                        "processed in %lf s: %*f x real time\n  in the plug-in %lf s of processor time for %lld "
                        "frames: %lf ns per frame",
                        &whole, &inPlugin, &frames, &nsPerFrame),
            4)
      << r.output;
  EXPECT_EQ(frames, 4 * 44100 + 44100 / 4 + 31);
  EXPECT_GT(inPlugin, 0.0);
  EXPECT_LE(inPlugin, whole + 0.01);
  EXPECT_NEAR(nsPerFrame * 1e-9 * static_cast<double>(frames), inPlugin, 0.0006 + 0.01 * inPlugin);
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

  // A mistake is one line and a pointer to --help, not the whole usage text.
  r = RunRender("--loud " + Path("o.wav"));
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.output, "velto-render: unknown option --loud\n(see velto-render --help)\n");
}

TEST_F(VeltoRender, ChoicesAreTakenByNameAndOnlyRealValuesAreAccepted) {
  // A name renders the same bits as its number.
  const std::string base = "--quiet --seed 5 ";
  ASSERT_EQ(RunRender(base + "--set kHPQ=2 --set kHPRollOff=3 --set kEQ_LRMS=1 --set k3Band=0 " + Path("num.wav")).status, 0);
  const Result named = RunRender(base + "--set \"HP Q=chebyshev\" --set \"kHPRollOff=18 dB/oct\" --set kEQ_LRMS=Mid "
                                        "--set \"3 Band Mode=off\" " + Path("named.wav"));
  ASSERT_EQ(named.status, 0) << named.output;
  std::ifstream a(Path("num.wav"), std::ios::binary), b(Path("named.wav"), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(a), {}), std::string(std::istreambuf_iterator<char>(b), {}));

  for (const char* wrong : {"kHPQ=1.5", "kHPQ=3", "kHPQ=Linkwitz", "kBypass=0.5", "kBypass=maybe", "kHPRollOff=12"}) {
    const Result r = RunRender(std::string("--set ") + wrong + " " + Path("o.wav"));
    EXPECT_EQ(r.status, 2) << wrong;
    EXPECT_NE(r.output.find("is not one of"), std::string::npos) << r.output;
  }
  EXPECT_FALSE(fs::exists(Path("o.wav")));

  const Result params = RunRender("--list-params");
  EXPECT_NE(params.output.find("0=Bessel, 1=Butterworth, 2=Chebyshev"), std::string::npos) << params.output;
  EXPECT_NE(params.output.find("0=Left/Right, 1=Mid, 2=Side"), std::string::npos);
}

TEST_F(VeltoRender, OnlyFilledPresetSlotsAreListedOrAccepted) {
  const Result list = RunRender("--list-presets");
  EXPECT_EQ(list.output, " 0  -\n 1  Gentle Loudness\n 2  Stereo Wide\n 3  Mid Channel Warmth\n 4  Bright Tilt\n"
                         " 5  Low Tilt\n 6  Presence\n");
  for (const char* unfilled : {"empty", "7", "19"}) {
    const Result r = RunRender(std::string("--preset ") + unfilled + " " + Path("o.wav"));
    EXPECT_EQ(r.status, 2) << unfilled;
    const size_t list = r.output.find("the presets are:");
    ASSERT_NE(list, std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("empty", list), std::string::npos) << r.output;
  }
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

  // A module that does not load is named once, with the loader's reason.
  r = RunRender("--module " + Path("none.so") + " " + Path("o.wav"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output, "velto-render: no such module: " + Path("none.so") + "\n");
  std::ofstream(Path("junk.so")) << "not a library";
  r = RunRender("--module " + Path("junk.so") + " " + Path("o.wav"));
  EXPECT_EQ(r.status, 1);
  size_t mentions = 0;
  for (size_t at = r.output.find(Path("junk.so")); at != std::string::npos; at = r.output.find(Path("junk.so"), at + 1))
    ++mentions;
  EXPECT_EQ(mentions, 1u) << r.output;
  for (const char* windows : {"Velto.dll", "Velto.vst3"}) {
    std::ofstream(Path(windows)) << "MZ";
    r = RunRender("--module " + Path(windows) + " " + Path("o.wav"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find("is a Windows module"), std::string::npos) << r.output;
  }
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

TEST_F(VeltoRender, SnapshotPaintsTheEditorWithTheRenderedLevelsAndSettings) {
  ASSERT_EQ(RunRender("--quiet --seed 4 --preset \"Bright Tilt\" --snapshot " + Path("editor.png") + " " +
                      Path("o.wav"))
                .status,
            0);
  std::unique_ptr<PIX_MemBitmap> picture = PIX_LoadPngFromFile(Path("editor.png").c_str());
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->Width(), 400);
  EXPECT_EQ(picture->Height(), 524);
  // The output level column covers the meter face low down; the background
  // alone has the same colour along the whole face.
  std::unique_ptr<PIX_MemBitmap> background = PIX_LoadPngFromFile(VELTO_BACKGROUND_PNG);
  ASSERT_NE(background, nullptr);
  EXPECT_NE(PIX_Row(*picture, 480)[350], PIX_Row(*background, 480)[350]);

  EXPECT_EQ(RunRender("--snapshot " + Path("e.png") + " --module x.so " + Path("o.wav")).status, 2);
  EXPECT_EQ(RunRender("--quiet --snapshot " + Path("no/such/folder/e.png") + " " + Path("o2.wav")).status, 1);
}
