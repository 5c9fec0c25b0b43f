// The editor in both Linux modules, used the way a person does under Xvfb:
// opened through the modules' real exports in a window of ours, driven with
// real pointer and key input, values read back through the exports, the
// window's pixels compared with the reviewed pictures of the editor.

#include <gtest/gtest.h>

#include <X11/keysym.h>
#include <dirent.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "PresetLines.h"
#include "X11Rig.h"

namespace {

// Parameter indices as hosts address them.
constexpr int kInGain = 0, kOutGain = 1, kDrive = 2, kHPON = 8, k3Band = 11, kHPQ = 12, kHPRollOff = 13,
              kBypass = 14, kEQ_LRMS = 18, kHP_LRMS = 19;

// Places in the editor: the Drive knob, its value text, the small In and Out
// Gain knobs and their texts, the preset button.
constexpr int kDriveX = 139, kDriveY = 110, kDriveTextY = 132;
constexpr int kInGainX = 52, kKnobY = 92, kSmallTextY = 116;
constexpr int kOutGainX = 232;
constexpr int kPresetX = 8, kPresetY = 515;

struct SwitchAt {
  int param, x, y;
};
const SwitchAt kSwitches[] = {{kBypass, 44, 463}, {kHPON, 44, 325}, {k3Band, 44, 177}, {kHPQ, 229, 322},
                              {kHPRollOff, 229, 374}, {kEQ_LRMS, 238, 178}, {kHP_LRMS, 42, 374}};


std::vector<double> Sine(double freq, int n, double amp) {
  std::vector<double> v(n);
  for (int i = 0; i < n; ++i) v[i] = amp * std::sin(6.283185307179586 * freq * i / 44100.0);
  return v;
}

// The signal the reviewed pictures were made with: a second of a chord on
// the left and a quieter fifth on the right.
void PlayTestSignal(EditorUnderTest& editor) {
  const int n = 44100;
  std::vector<double> left = Sine(220.0, n, 0.35), right = Sine(330.0, n, 0.2);
  const std::vector<double> upper = Sine(277.0, n, 0.2);
  for (int i = 0; i < n; ++i) left[i] += upper[i];
  editor.Process(left, right, 512);
}

std::unique_ptr<EditorUnderTest> Load(const std::string& format) {
  return format == "vst2" ? OpenVst2Module() : OpenVst3Module();
}

int OpenFiles() {
  int n = 0;
  if (DIR* d = opendir("/proc/self/fd")) {
    while (readdir(d)) ++n;
    closedir(d);
  }
  return n;
}

class X11Editor : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(rig.Ok()) << "no X display with the XTest extension (run under xvfb-run)";
    editor = Load(GetParam());
    ASSERT_NE(editor, nullptr);
  }
  void TearDown() override {
    if (editor) editor->Close();
  }
  void Open() {
    ASSERT_TRUE(editor->Open(rig.Parent()));
    ASSERT_NE(rig.EditorWindow(), 0u);
    X11Rig::PumpFor(*editor, 200);  // the first ticks paint everything
  }
  // Pumps until the parameter reads the value (within float precision).
  bool Reaches(int idx, double expected) {
    return X11Rig::PumpUntil(*editor, [&] { return std::fabs(editor->Param(idx) - expected) < 2e-6; });
  }
  // Pumps long enough for every event sent to have been handled.
  void Settle() { X11Rig::PumpFor(*editor, 150); }
  // Screenshot of the editor window against a reviewed picture: the number
  // of differing pixels, or -1 when either is missing; writes the screenshot.
  int CompareWithGolden(const std::string& name) {
    int w = 0, h = 0, gw = 0, gh = 0;
    std::vector<uint32_t> golden = ReadPicture(std::string(VELTO_PLUGIN_GOLDEN_DIR) + "/" + name + ".png", &gw, &gh);
    std::vector<uint32_t> shot;
    int differing = -1;
    // The screen catches up within a few ticks.
    X11Rig::PumpUntil(*editor, [&] {
      shot = rig.Screenshot(&w, &h);
      if (shot.empty() || golden.empty() || w != gw || h != gh) return false;
      differing = 0;
      for (size_t i = 0; i < shot.size(); ++i) differing += shot[i] != golden[i];
      return differing == 0;
    }, 3000);
    if (!shot.empty())
      WriteScreenshot(std::string(VELTO_X11_SCREENSHOT_DIR) + "/" + GetParam() + "_" + name + ".png", shot, w, h);
    return differing;
  }

  X11Rig rig;
  std::unique_ptr<EditorUnderTest> editor;
};

TEST_P(X11Editor, ShowsTheReviewedPictures) {
  int w = 0, h = 0;
  ASSERT_TRUE(editor->EditorSize(&w, &h));
  EXPECT_EQ(w, 400);
  EXPECT_EQ(h, 524);
  PlayTestSignal(*editor);
  Open();
  EXPECT_EQ(CompareWithGolden("editor_default"), 0);

  editor->Close();
  editor = Load(GetParam());
  ASSERT_NE(editor, nullptr);
  editor->SelectPreset(4);
  PlayTestSignal(*editor);
  Open();
  EXPECT_EQ(CompareWithGolden("editor_bright_tilt"), 0);
}

TEST_P(X11Editor, KnobDragsFollowThePointer) {
  Open();
  const double start = editor->Param(kDrive);
  // 30 pixels up on a 78-pixel knob with gearing 4.
  rig.Drag(kDriveX, kDriveY, kDriveX, kDriveY - 30);
  EXPECT_TRUE(Reaches(kDrive, start + 30.0 / 78.0 / 4.0)) << editor->Param(kDrive);
  rig.Drag(kDriveX, kDriveY - 30, kDriveX, kDriveY);
  EXPECT_TRUE(Reaches(kDrive, start)) << editor->Param(kDrive);
  // Shift gears down a hundredfold.
  rig.HoldKey(XK_Shift_L, true);
  rig.Drag(kDriveX, kDriveY, kDriveX, kDriveY - 30);
  rig.HoldKey(XK_Shift_L, false);
  EXPECT_TRUE(Reaches(kDrive, start + 30.0 / 78.0 / 400.0)) << editor->Param(kDrive);
}

TEST_P(X11Editor, SwitchClicksStepThroughEveryState) {
  Open();
  for (const SwitchAt& s : kSwitches) {
    const double start = editor->Param(s.param);
    std::vector<double> seen{start};
    for (int click = 0; click < 4; ++click) {
      const double before = editor->Param(s.param);
      rig.Click(s.x, s.y);
      ASSERT_TRUE(X11Rig::PumpUntil(*editor, [&] { return editor->Param(s.param) != before; }))
          << "switch " << s.param << " did not move on click " << click;
      seen.push_back(editor->Param(s.param));
      if (std::fabs(seen.back() - start) < 1e-6) break;
      Settle();  // the next click is a new one, not the second of a double click
    }
    EXPECT_NEAR(seen.back(), start, 1e-6) << "switch " << s.param << " did not come back round";
    EXPECT_GE(seen.size(), 3u);
  }
}

TEST_P(X11Editor, WheelTurnsKnobsButNotTheirText) {
  Open();
  const double start = editor->Param(kInGain);
  rig.Wheel(kInGainX, kKnobY, 2);
  EXPECT_TRUE(Reaches(kInGain, start + 0.04)) << editor->Param(kInGain);
  rig.Wheel(kInGainX, kSmallTextY, 3);
  Settle();
  EXPECT_NEAR(editor->Param(kInGain), start + 0.04, 2e-6);
  rig.HoldKey(XK_Shift_L, true);
  rig.Wheel(kInGainX, kKnobY, -1);
  rig.HoldKey(XK_Shift_L, false);
  EXPECT_TRUE(Reaches(kInGain, start + 0.039)) << editor->Param(kInGain);
}

TEST_P(X11Editor, TextEntryCommitsAndCancels) {
  Open();
  // A double click on the value text opens the entry; the typed value and Enter set it.
  rig.Click(kDriveX, kDriveTextY);
  rig.Click(kDriveX, kDriveTextY);
  Settle();
  rig.Type("7.5");
  Settle();
  int w = 0, h = 0;
  const std::vector<uint32_t> typing = rig.Screenshot(&w, &h);
  ASSERT_FALSE(typing.empty());
  WriteScreenshot(std::string(VELTO_X11_SCREENSHOT_DIR) + "/" + GetParam() + "_text_entry.png", typing, w, h);
  rig.Type("\n");
  EXPECT_TRUE(Reaches(kDrive, (7.5 + 10.0) / 25.0)) << editor->Param(kDrive);

  // Letters cannot be typed into a number.
  rig.Click(kInGainX, kSmallTextY);
  Settle();
  rig.Type("a3\n");
  EXPECT_TRUE(Reaches(kInGain, (3.0 + 12.0) / 24.0)) << editor->Param(kInGain);

  // The wheel cancels an entry (and turns nothing while one is open).
  const double out = editor->Param(kOutGain);
  rig.Click(kOutGainX, kSmallTextY);
  Settle();
  rig.Type("5");
  rig.Wheel(kOutGainX, kKnobY, 1);
  Settle();
  EXPECT_EQ(editor->Param(kOutGain), out);
  // The entry is gone: the next wheel turns the knob.
  rig.Wheel(kOutGainX, kKnobY, 1);
  EXPECT_TRUE(Reaches(kOutGain, out + 0.02)) << editor->Param(kOutGain);

  // Escape cancels too; a click elsewhere in the editor commits.
  rig.Click(kOutGainX, kSmallTextY);
  Settle();
  rig.Type("6");
  rig.KeyTap(XK_Escape);
  Settle();
  EXPECT_NEAR(editor->Param(kOutGain), out + 0.02, 2e-6);
  rig.Click(kOutGainX, kSmallTextY);
  Settle();
  rig.Type("-6");
  Settle();
  rig.Click(200, 32);
  EXPECT_TRUE(Reaches(kOutGain, (-6.0 + 12.0) / 24.0)) << editor->Param(kOutGain);
}

TEST_P(X11Editor, PresetButtonLoadsTheClipboard) {
  Open();
  ASSERT_TRUE(rig.OwnClipboard(kBrightTiltLine));
  rig.Click(kPresetX, kPresetY, 3);
  EXPECT_TRUE(Reaches(kDrive, (10.673077 + 10.0) / 25.0)) << editor->Param(kDrive);
  EXPECT_NEAR(editor->Param(kOutGain), (-1.571429 + 12.0) / 24.0, 2e-6);
  EXPECT_EQ(editor->Param(kHP_LRMS), 1.0);
  EXPECT_EQ(editor->Param(k3Band), 0.0);
}

TEST_P(X11Editor, OpenAndCloseLeaveNothingBehind) {
  const int files = OpenFiles();
  for (int i = 0; i < 100; ++i) {
    ASSERT_TRUE(editor->Open(rig.Parent())) << "cycle " << i;
    ASSERT_EQ(rig.CountChildren(), 1);
    editor->Pump();
    if (i % 10 == 0) X11Rig::PumpFor(*editor, 40);  // some cycles paint too
    editor->Close();
    ASSERT_EQ(rig.CountChildren(), 0) << "cycle " << i;
  }
  EXPECT_EQ(OpenFiles(), files);  // every X connection closed
  EXPECT_TRUE(rig.MappedPopups().empty());
  // Closing twice, or without opening, is harmless.
  editor->Close();
  editor->Close();
}

INSTANTIATE_TEST_SUITE_P(Modules, X11Editor, ::testing::Values("vst2", "vst3"),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
