#include "EditorPlaces.h"

#include <cmath>
#include <cstdio>

#include "ModuleCheck.h"

std::vector<PixelRect> VeltoTextRegions() {
  std::vector<PixelRect> regions;
  // The knobs' value texts, centred under each knob and wider than it.
  struct Knob {
    int left, right, bottom, size;
  };
  const Knob knobs[13] = {{107, 171, 140, 16}, {107, 171, 394, 16}, {78, 110, 470, 15}, {36, 68, 122, 15},
                          {216, 248, 122, 15}, {78, 110, 206, 15},  {172, 204, 206, 15}, {124, 156, 206, 15},
                          {28, 60, 270, 15},   {125, 157, 270, 15}, {224, 256, 270, 15}, {224, 256, 490, 15},
                          {170, 202, 470, 15}};
  for (const Knob& k : knobs) regions.push_back({k.left - 22, k.bottom - k.size - 2, k.right + 22, k.bottom + 2});
  regions.push_back({330, 44, 396, 64});   // peak read-outs
  regions.push_back({2, 22, 282, 42});     // status line
  regions.push_back({288, 498, 332, 524});  // channel letters
  regions.push_back({296, 64, 324, 500});   // left scale labels
  regions.push_back({349, 64, 377, 500});   // right scale labels
  return regions;
}

TestChord::TestChord() {
  const int n = 44100;
  left.resize(n);
  right.resize(n);
  const double twoPi = 6.283185307179586;
  for (int i = 0; i < n; ++i) {
    left[i] = 0.35 * std::sin(twoPi * 220.0 * i / 44100.0) + 0.2 * std::sin(twoPi * 277.0 * i / 44100.0);
    right[i] = 0.2 * std::sin(twoPi * 330.0 * i / 44100.0);
  }
}

HWND OpenEntryAndType(HWND editor, int x, int y, const char* typed) {
  Click(editor, x, y);
  HWND entry = FindWindowExA(editor, nullptr, "EDIT", nullptr);
  if (entry) Type(entry, typed);
  return entry;
}

std::string WinePath(const std::string& unixPath) {
  return !unixPath.empty() && unixPath[0] == '/' ? "Z:" + unixPath : unixPath;
}

void CheckAgainstDefaultGolden(HWND editor, const std::string& name) {
  const Capture capture = CaptureWindow(editor);
  CHECK_EQ(capture.width, 400);
  CHECK_EQ(capture.height, 524);
  const std::string out = WinePath(VELTO_CAPTURE_DIR) + "/" + name + ".png";
  CHECK_TRUE(WriteCapturePng(capture, out));
  const GoldenComparison c =
      CompareWithGolden(capture, WinePath(VELTO_GOLDEN_DIR) + "/editor_default.png", VeltoTextRegions());
  REQUIRE_TRUE(c.loaded);
  std::printf("%s: %d pixels outside text differ; worst text region %d differs by %.1f on average\n", name.c_str(),
              c.outsideTextDiffering, c.worstTextIndex, c.worstTextRegion);
  CHECK_EQ(c.outsideTextDiffering, 0);
  // Wine's text differs from the golden's by 3 to 8; a region without its
  // text would differ by 12 to 48.
  CHECK_TRUE(c.worstTextRegion < 10.0);
}
