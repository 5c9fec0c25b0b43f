// Velto's preset button: the line it writes for the default and a factory
// preset, where the file goes, the clipboard load, and the status word's life.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "IGraphicsHeadless.h"
#include "IPresetSaveButtonControl.h"
#include "PresetLines.h"
#include "VeltoRig.h"

namespace fs = std::filesystem;

namespace {
const char* const kDefaultLine =
    "  MakePresetFromNamedParams(\"\",20,  kInGain, 0.000000,  kOutGain, 0.000000,  kDrive, 0.000000,  "
    "kLowFreq, 175.000000,  kHighFreq, 4500.000000,  kLowVol, 0.000000,  kMidVol, 0.000000,  kHighVol, 0.000000,  "
    "kHPON, true,  kHPFreq, 20.000000,  kCenterFreq, 1000.000000,  k3Band, true,  kHPQ, 1,  kHPRollOff, 2,  "
    "kBypass, false,  kMix, 100.000000,  kMeterScale, -24.000000,  kFeedback, 0.000000,  kEQ_LRMS, 0,  "
    "kHP_LRMS, 0);\n";

// A scratch folder, removed with everything in it.
struct TempFolder {
  fs::path path;
  explicit TempFolder(const char* name) : path(fs::temp_directory_path() / (std::string("velto-button-") + name)) {
    fs::remove_all(path);
    fs::create_directories(path);
  }
  ~TempFolder() { fs::remove_all(path); }
  std::string str() const { return path.string(); }
};

// HOME pointed elsewhere for one test.
struct HomeAt {
  std::string saved;
  explicit HomeAt(const std::string& home) {
    const char* h = std::getenv("HOME");
    saved = h ? h : "";
    setenv("HOME", home.c_str(), 1);
  }
  ~HomeAt() { setenv("HOME", saved.c_str(), 1); }
};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

struct ButtonRig : VeltoRig {
  IGraphicsHeadless& gui = *dynamic_cast<IGraphicsHeadless*>(fx->GetGUI());
  IPresetSaveButtonControl& button = *dynamic_cast<IPresetSaveButtonControl*>(gui.GetControl(38));
  ITextControl& status = *dynamic_cast<ITextControl*>(gui.GetControl(35));

  void Press(bool left, bool right) {
    MouseMods mods;
    mods.left = left;
    mods.right = right;
    gui.DispatchMouseDown(8, 515, mods);
    gui.DispatchMouseUp(8, 515, mods);
  }
};
}  // namespace

TEST(PresetButton, WritesTheLineOfTheDefaultAndOfAFactoryPresetBesideTheModule) {
  TempFolder module("module");
  ButtonRig rig;
  rig.gui.pluginFolder = module.str();
  rig.Press(true, false);
  EXPECT_EQ(rig.status.Text(), "Preset Saved");
  EXPECT_EQ(ReadFile(module.path / "Velto_Preset.txt"), kDefaultLine);

  ASSERT_TRUE(rig.fx->LoadPreset(4));  // "Bright Tilt"
  rig.Press(true, false);
  EXPECT_EQ(ReadFile(module.path / "Velto_Preset.txt"), kBrightTiltLine);
}

TEST(PresetButton, AnUnwritableModuleFolderFallsBackToDocumentsThenDesktop) {
  TempFolder home("home");
  TempFolder desktop("desktop");
  HomeAt at(home.str());
  ButtonRig rig;
  rig.gui.pluginFolder = "/nonexistent-velto-folder";
  rig.gui.desktopFolder = desktop.str();

  // No documents folder: the desktop.
  rig.Press(true, false);
  EXPECT_EQ(rig.status.Text(), "Preset Saved");
  EXPECT_EQ(ReadFile(desktop.path / "Velto_Preset.txt"), kDefaultLine);
  EXPECT_EQ(rig.button.LastSavedPath(), (desktop.path / "Velto_Preset.txt").string());

  fs::create_directories(home.path / "Documents");
  rig.Press(true, false);
  EXPECT_EQ(ReadFile(home.path / "Documents" / "Velto_Preset.txt"), kDefaultLine);

  // Nowhere to write: only now an error.
  fs::remove_all(home.path / "Documents");
  rig.gui.desktopFolder = "/nonexistent-velto-desktop";
  rig.Press(true, false);
  EXPECT_EQ(rig.status.Text(), "Error Saving");
}

TEST(PresetButton, ARightClickLoadsTheClipboardLineUnderTheLockAndTheEditorFollows) {
  ButtonRig rig;
  rig.gui.clipboard = kBrightTiltLine;
  rig.gui.clipboardHasText = true;
  rig.Press(false, true);
  EXPECT_EQ(rig.status.Text(), "Preset Loaded");
  EXPECT_EQ(rig.fx->PresetLoading(), 0);

  // Every stored value as the factory preset has it: exactly for switches
  // and choices, to six decimals for the rest.
  VeltoRig reference;
  ASSERT_TRUE(reference.fx->LoadPreset(4));
  for (int i = 0; i < rig.fx->StoredParamCount(); ++i) {
    const IEffectParam* p = rig.fx->GetParam(i);
    const double expected = reference.fx->GetParam(i)->Value();
    if (p->Type() == kParamDouble) EXPECT_NEAR(p->Value(), expected, 5e-7) << i;
    else EXPECT_EQ(p->Value(), expected) << i;
  }
  // The parameter reaction ran: two-band knobs, and the knobs show the values.
  auto knob = [&](int param) {
    for (int i = 18; i <= 30; ++i)
      if (rig.gui.GetControl(i)->ParamIdx() == param) return rig.gui.GetControl(i);
    return static_cast<IControl*>(nullptr);
  };
  EXPECT_TRUE(knob(kLowFreq)->IsHidden());
  EXPECT_FALSE(knob(kCenterFreq)->IsHidden());
  EXPECT_NEAR(knob(kDrive)->Value(), rig.fx->GetParam(kDrive)->ToNormalized(), 1e-12);

  // Dump, then load the dumped line into a changed instance.
  TempFolder module("roundtrip");
  rig.gui.pluginFolder = module.str();
  rig.Press(true, false);
  ButtonRig other;
  other.gui.clipboard = ReadFile(module.path / "Velto_Preset.txt");
  other.gui.clipboardHasText = true;
  other.Press(false, true);
  for (int i = 0; i < rig.fx->StoredParamCount(); ++i)
    EXPECT_NEAR(other.fx->GetParam(i)->Value(), rig.fx->GetParam(i)->Value(), 5e-7) << i;
}

TEST(PresetButton, AMissingOrShortClipboardChangesNothingAndClearsTheLoadingFlag) {
  ButtonRig rig;
  rig.Press(false, true);  // no text at all
  EXPECT_EQ(rig.status.Text(), "");
  EXPECT_EQ(rig.fx->PresetLoading(), 0);
  rig.gui.clipboard = std::string(kBrightTiltLine).substr(0, 41);
  rig.gui.clipboardHasText = true;
  rig.Press(false, true);
  EXPECT_EQ(rig.status.Text(), "");
  EXPECT_EQ(rig.fx->PresetLoading(), 0);
  EXPECT_EQ(rig.fx->GetParam(kInGain)->Value(), 0.0);
  EXPECT_EQ(rig.fx->GetParam(k3Band)->Value(), 1.0);
}

TEST(PresetButton, AStatusWordLivesUntilTheTickCounterPasses144) {
  TempFolder module("ticks");
  ButtonRig rig;
  rig.gui.pluginFolder = module.str();
  EXPECT_EQ(rig.button.TickCounter(), 0);
  rig.Press(true, false);
  for (int tick = 1; tick <= 144; ++tick) {
    EXPECT_TRUE(rig.button.NeedsRedraw());
    ASSERT_EQ(rig.status.Text(), "Preset Saved") << tick;
  }
  EXPECT_EQ(rig.button.TickCounter(), 144);
  rig.button.NeedsRedraw();  // the 145th tick
  EXPECT_EQ(rig.status.Text(), "");
  EXPECT_EQ(rig.button.TickCounter(), 0);

  // The counter runs on: a word shown late in a window goes with that window.
  for (int tick = 0; tick < 100; ++tick) rig.gui.Tick();
  rig.Press(true, false);
  for (int tick = 0; tick < 44; ++tick) rig.gui.Tick();
  EXPECT_EQ(rig.status.Text(), "Preset Saved");
  rig.gui.Tick();
  EXPECT_EQ(rig.status.Text(), "");
}
