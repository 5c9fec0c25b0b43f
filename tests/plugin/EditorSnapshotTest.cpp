// The whole editor after processing, compared pixel by pixel with reviewed
// pictures under tests/plugin/golden: the default settings, "Bright Tilt"
// and two bands on mid/side. Set VELTO_REGENERATE_GOLDENS=1 to write new
// pictures instead; look at each before committing it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "EditorSnapshot.h"
#include "PIX_Bitmap.h"
#include "PIX_Png.h"
#include "PngWriter.h"
#include "VeltoRig.h"

namespace {
// A second of a chord on the left and a quieter fifth on the right, so every
// meter shows its own level.
void PlayTestSignal(VeltoRig& rig) {
  const int n = 44100;
  std::vector<double> left = Sine(220.0, 44100.0, n, 0.35), right = Sine(330.0, 44100.0, n, 0.2);
  const std::vector<double> upper = Sine(277.0, 44100.0, n, 0.2);
  for (int i = 0; i < n; ++i) left[i] += upper[i];
  rig.Run(left, right);
}

// The number of pixels that differ from the golden picture, or -1 when it is missing or of another size.
int DifferingPixels(PIX_IBitmap& picture, const char* name) {
  const std::string path = std::string(VELTO_PLUGIN_GOLDEN_DIR) + "/" + name + ".png";
  const char* regenerate = std::getenv("VELTO_REGENERATE_GOLDENS");
  if (regenerate && regenerate[0] == '1') return WritePngFile(path.c_str(), picture) ? 0 : -1;
  std::unique_ptr<PIX_MemBitmap> golden = PIX_LoadPngFromFile(path.c_str());
  if (!golden || golden->Width() != picture.Width() || golden->Height() != picture.Height()) return -1;
  int differing = 0;
  for (int y = 0; y < picture.Height(); ++y) {
    const uint32_t* a = PIX_Row(picture, y);
    const uint32_t* b = PIX_Row(*golden, y);
    for (int x = 0; x < picture.Width(); ++x) differing += a[x] != b[x];
  }
  return differing;
}
}  // namespace

TEST(EditorSnapshot, DefaultSettings) {
  VeltoRig rig;
  PlayTestSignal(rig);
  PIX_IBitmap* picture = PaintEditor(*rig.fx);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(DifferingPixels(*picture, "editor_default"), 0);
}

TEST(EditorSnapshot, BrightTiltShowsTwoBandsAndItsSwitches) {
  VeltoRig rig;
  ASSERT_TRUE(rig.fx->LoadPreset(4));
  PlayTestSignal(rig);
  PIX_IBitmap* picture = PaintEditor(*rig.fx);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(DifferingPixels(*picture, "editor_bright_tilt"), 0);
}

TEST(EditorSnapshot, TwoBandsOnMidSideReadMAndS) {
  VeltoRig rig;
  rig.Set(k3Band, 0.0);
  rig.Set(kEQ_LRMS, 1.0);
  PlayTestSignal(rig);
  PIX_IBitmap* picture = PaintEditor(*rig.fx);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(DifferingPixels(*picture, "editor_two_band_ms"), 0);
}
