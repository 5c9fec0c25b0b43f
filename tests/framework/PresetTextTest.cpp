// The preset text line of a small plug-in: the text of each kind of value,
// reading it back, and what untrusted text can and cannot do.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "PresetText.h"
#include "TestBinding.h"

namespace {
// real, int, enum-like int, and a bool last: the order that loses a trailing
// bool when the closing parenthesis is read as part of its value.
const char* const kNames[] = {"kGain", "kSteps", "kMode", "kOn", "kHidden"};

struct Plug : TestBinding {
  Plug() : TestBinding(5, "1-1", 4, "Tiny", "", "Maker", 1, 1, 1, 0, 0) {
    GetParam(0)->DefineDouble("Gain", 0.0, -12.0, 12.0, 0.01, "dB");
    GetParam(1)->DefineInt("Steps", 3, -5, 10);
    GetParam(2)->DefineInt("Mode", 0, 0, 2);
    GetParam(3)->DefineBool("On", false);
    GetParam(4)->DefineDouble("Hidden", 1.0, 0.0, 2.0, 0.1);
    SetStoredParamCount(4);
  }
  int presetsChanged = 0;
  std::vector<int> changed;
  void OnPresetsChanged() override { ++presetsChanged; }
  void ParamChanged(int idx) override { changed.push_back(idx); }
};

std::string TempPath(const char* name) {
  return (std::filesystem::temp_directory_path() / (std::string("velto-preset-") + name)).string();
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}
}  // namespace

TEST(PresetText, EachKindHasItsValueText) {
  Plug p;
  p.GetParam(0)->SetValue(-3.1234567);
  p.GetParam(1)->SetValue(-4.0);
  p.GetParam(2)->SetValue(2.0);
  p.GetParam(3)->SetValue(1.0);
  EXPECT_EQ(FormatPresetText(p, kNames, ""),
            "  MakePresetFromNamedParams(\"\",4,  kGain, -3.123457,  kSteps, -4,  kMode, 2,  kOn, true);\n");
  // The name goes in unchanged, percent signs included.
  p.GetParam(3)->SetValue(0.0);
  EXPECT_EQ(FormatPresetText(p, kNames, "50% wet"),
            "  MakePresetFromNamedParams(\"50% wet\",4,  kGain, -3.123457,  kSteps, -4,  kMode, 2,  kOn, false);\n");
}

TEST(PresetText, DumpWritesTheLineAndReportsAFileItCannotWrite) {
  Plug p;
  const std::string path = TempPath("dump.txt");
  ASSERT_TRUE(DumpPresetText(&p, path.c_str(), kNames, ""));
  EXPECT_EQ(ReadFile(path),
            "  MakePresetFromNamedParams(\"\",4,  kGain, 0.000000,  kSteps, 3,  kMode, 0,  kOn, false);\n");
  std::remove(path.c_str());
  EXPECT_FALSE(DumpPresetText(&p, "/nonexistent-folder/x/Tiny_Preset.txt", kNames, ""));
  EXPECT_FALSE(DumpPresetText(&p, "", kNames, ""));
#if defined(__linux__)
  // A full disk: the line cannot be written although the file opens.
  EXPECT_FALSE(DumpPresetText(&p, "/dev/full", kNames, ""));
#endif
}

TEST(PresetText, SaveFallsBackToTheNextFolderThatTakesTheFile) {
  Plug p;
  const std::string folder = TempPath("fallback");
  std::filesystem::create_directories(folder);
  const std::vector<std::string> folders = {"/nonexistent-folder", "", folder};
  const std::string path = SavePresetTextToFirstWritable(&p, folders, kNames, "");
  EXPECT_EQ(path, folder + "/Tiny_Preset.txt");
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(SavePresetTextToFirstWritable(&p, {"/nonexistent-folder", ""}, kNames, ""), "");
  std::filesystem::remove_all(folder);
}

TEST(PresetText, DumpThenLoadRestoresEveryKindIncludingATrailingBool) {
  Plug source;
  source.GetParam(0)->SetValue(7.25);
  source.GetParam(1)->SetValue(-5.0);
  source.GetParam(2)->SetValue(1.0);
  source.GetParam(3)->SetValue(1.0);
  const std::string text = FormatPresetText(source, kNames, "");

  Plug target;
  RecordingEditor* editor = new RecordingEditor;
  target.AttachEditor(editor);
  editor->shown.clear();
  ASSERT_TRUE(LoadPresetText(&target, kNames, text, editor));
  EXPECT_EQ(target.GetParam(0)->Value(), 7.25);
  EXPECT_EQ(target.GetParam(1)->Value(), -5.0);
  EXPECT_EQ(target.GetParam(2)->Value(), 1.0);
  EXPECT_EQ(target.GetParam(3)->Value(), 1.0);
  EXPECT_EQ(target.GetParam(4)->Value(), 1.0);  // not stored, not touched
  EXPECT_EQ(target.presetsChanged, 1);
  EXPECT_EQ(target.changed, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_TRUE(target.hostCalls.empty());
  ASSERT_EQ(editor->shown.size(), 4u);
  EXPECT_FALSE(editor->shown[0].normalized);
  EXPECT_EQ(editor->shown[0].value, 7.25);

  // Windows line ends read the same.
  Plug crlf;
  std::string windows = text;
  windows.insert(windows.size() - 1, "\r");
  ASSERT_TRUE(LoadPresetText(&crlf, kNames, windows, nullptr));
  EXPECT_EQ(crlf.GetParam(3)->Value(), 1.0);
  EXPECT_EQ(crlf.GetParam(1)->Value(), -5.0);
}

TEST(PresetText, TextsUpToFortyOneCharactersAreIgnored) {
  //                  "kGain,1,kSteps,2,kMode,1,kOn,true,xxxxxxxx" is 42 characters.
  const std::string longer = "kGain,1,kSteps,2,kMode,1,kOn,true,xxxxxxxx";
  ASSERT_EQ(longer.size(), 42u);
  Plug p;
  EXPECT_FALSE(LoadPresetText(&p, kNames, longer.substr(0, 41), nullptr));
  EXPECT_EQ(p.GetParam(1)->Value(), 3.0);
  EXPECT_EQ(p.presetsChanged, 0);
  EXPECT_TRUE(p.changed.empty());
  EXPECT_TRUE(LoadPresetText(&p, kNames, longer, nullptr));
  EXPECT_EQ(p.GetParam(0)->Value(), 1.0);
  EXPECT_EQ(p.GetParam(1)->Value(), 2.0);
  EXPECT_EQ(p.GetParam(3)->Value(), 1.0);
  EXPECT_FALSE(LoadPresetText(&p, kNames, "", nullptr));
}

TEST(PresetText, ValuesGoByPositionNotByName) {
  Plug p;
  // kSteps first: its value lands in parameter 0, kGain's in parameter 1.
  ASSERT_TRUE(LoadPresetText(&p, kNames, "  MakePresetFromNamedParams(\"\",4,  kSteps, 4,  kGain, 2.5,  kMode, 1);",
                             nullptr));
  EXPECT_EQ(p.GetParam(0)->Value(), 4.0);
  EXPECT_EQ(p.GetParam(1)->Value(), 2.5);  // read as kGain's real, stored in range as given
  EXPECT_EQ(p.GetParam(2)->Value(), 1.0);
  EXPECT_EQ(p.GetParam(3)->Value(), 0.0);  // no value at position 3
}

TEST(PresetText, UntrustedTextIsBoundedAndClamped) {
  Plug p;
  // Out of range, not finite, overflowing integers, garbage and unknown names.
  ASSERT_TRUE(LoadPresetText(&p, kNames,
                             "kGain, 1e300, kSteps, 99999999999999999999, kMode, -7, kOn, yes, kUnknown, 3, kGain", nullptr));
  EXPECT_EQ(p.GetParam(0)->Value(), 12.0);
  EXPECT_EQ(p.GetParam(1)->Value(), 10.0);
  EXPECT_EQ(p.GetParam(2)->Value(), 0.0);
  EXPECT_EQ(p.GetParam(3)->Value(), 0.0);
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(std::isfinite(p.GetParam(i)->Value()));

  p.GetParam(1)->SetValue(5.0);
  ASSERT_TRUE(LoadPresetText(&p, kNames, "kGain, nan, kSteps, abc, kMode, 2, kOn, true, padding.....", nullptr));
  EXPECT_EQ(p.GetParam(0)->Value(), 0.0);  // NaN loads the default
  EXPECT_EQ(p.GetParam(1)->Value(), 0.0);  // not a number: 0
  EXPECT_EQ(p.GetParam(2)->Value(), 2.0);
  EXPECT_EQ(p.GetParam(3)->Value(), 1.0);
  ASSERT_TRUE(LoadPresetText(&p, kNames, "kGain, -1e999, kSteps, 1, kMode, 1, kOn, true, padding...", nullptr));
  EXPECT_EQ(p.GetParam(0)->Value(), 0.0);  // beyond any double: infinity, the default

  // Far more pairs than the parser holds, and a huge text: only capacity pairs are kept.
  std::string flood;
  for (int i = 0; i < 200000; ++i) flood += "kSteps, 1, ";
  PresetTextParser parser(p, kNames);
  parser.Parse(flood);
  EXPECT_EQ(parser.Capacity(), 5);
  EXPECT_EQ(parser.Count(), 5);
  EXPECT_EQ(parser.IndexAt(4), 1);
  EXPECT_EQ(parser.ValueAt(5), 0.0);
  EXPECT_EQ(parser.IndexAt(-1), 0);

  // A name as the last field, without a value.
  PresetTextParser tail(p, kNames);
  tail.Parse("kGain, 1, kSteps");
  EXPECT_EQ(tail.Count(), 1);
}
