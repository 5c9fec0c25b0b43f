// Every control type rendered into the back buffer and compared pixel by
// pixel with a reviewed PNG under tests/editor/golden. Set
// VELTO_REGENERATE_GOLDENS=1 (Linux) to write new images instead; look at
// each before committing it. Images with text are compared on Linux only,
// since glyph rasterisers differ between platforms.

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <string>

#include "EditorDrawing.h"
#include "EditorRig.h"
#include "IKnobMultiControlText.h"
#include "IMeter.h"
#include "EditorCheck.h"
#include "PIX_Png.h"
#if defined(VELTO_GOLDEN_WRITER)
#include "PngWriter.h"
#endif

using namespace rig;

namespace {
// Compares the whole back buffer with the golden image; returns the number of differing pixels, or -1.
int CompareWithGolden(IGraphics& gui, const char* name) {
  PIX_IBitmap* back = gui.BackBuffer();
  if (!back) return -1;
  const std::string path = std::string(VELTO_EDITOR_GOLDEN_DIR) + "/" + name + ".png";
#if defined(VELTO_GOLDEN_WRITER)
  const char* regenerate = std::getenv("VELTO_REGENERATE_GOLDENS");
  if (regenerate && regenerate[0] == '1') return WritePngFile(path.c_str(), *back) ? 0 : -1;
#endif
  std::unique_ptr<PIX_MemBitmap> golden = PIX_LoadPngFromFile(path.c_str());
  if (!golden || golden->Width() != back->Width() || golden->Height() != back->Height()) return -1;
  int differing = 0;
  for (int y = 0; y < back->Height(); ++y)
    for (int x = 0; x < back->Width(); ++x)
      if (editor_drawing::PixelAt(back, x, y) != editor_drawing::PixelAt(golden.get(), x, y)) ++differing;
  return differing;
}

[[maybe_unused]] TextStyle SmallText(const Colour& colour) {
  TextStyle style(10, colour, "Verdana", kStyleNormal, kAlignCentre, 0, kQualityNonAntiAliased);
  return style;
}

const double kLow = 0.0;
const double kHigh = 1.0;
}  // namespace

MODULE_TEST(Golden, PanelsFillOpaqueTranslucentAndGrayed) {
  Rig r;
  r.gui->AddBackground(kBackgroundId, "background.png");
  r.gui->AddControl(new IPanelControl(&r.plugin, Rect(4, 4, 28, 20), Colour(255, 250, 200, 10)));
  r.gui->AddControl(new IPanelControl(&r.plugin, Rect(20, 12, 50, 40), Colour(128, 0, 0, 255)));
  auto* grayed = new IPanelControl(&r.plugin, Rect(40, 2, 62, 30), Colour(255, 255, 255, 255));
  r.gui->AddControl(grayed);
  // Rects of any sign or size draw nothing wrong.
  r.gui->AddControl(new IPanelControl(&r.plugin, Rect(30, 30, 10, 10), Colour(255, 255, 0, 0)));
  r.gui->AddControl(new IPanelControl(&r.plugin, Rect(-100, 44, 1000, 1000), Colour(255, 0, 0, 0)));
  r.Attach();
  grayed->SetGrayed(true);
  r.PaintAll();
  CHECK_EQ(CompareWithGolden(*r.gui, "panels"), 0);
}

MODULE_TEST(Golden, StripsShowTheFrameOfTheirValueWithAlpha) {
  Rig r;
  r.gui->AddBackground(kBackgroundId, "background.png");
  const FrameStrip knob = r.gui->LoadStrip(kKnobId, "knob.png", kKnobFrames);
  const FrameStrip sw = r.gui->LoadStrip(kSwitchId, "switch.png", kSwitchFrames);
  std::vector<IControl*> shown;
  for (int i = 0; i < 3; ++i) shown.push_back(new IBitmapControl(&r.plugin, 2 + 21 * i, 2, -1, knob));
  auto* grayedKnob = new IBitmapControl(&r.plugin, 2, 24, -1, knob);
  for (int i = 0; i < 3; ++i) shown.push_back(new ISwitchControl(&r.plugin, 24 + 13 * i, 26 + 3 * i, -1, sw));
  for (IControl* c : shown) r.gui->AddControl(c);
  r.gui->AddControl(grayedKnob);
  r.Attach();
  const double values[] = {0.0, 0.5, 1.0, 0.0, 0.5, 1.0};
  for (int i = 0; i < 6; ++i) {
    shown[i]->ReceiveValue(values[i]);
    shown[i]->ReceiveValue(values[i]);
  }
  grayedKnob->ReceiveValue(0.75);
  grayedKnob->SetGrayed(true);
  r.PaintAll();
  CHECK_EQ(CompareWithGolden(*r.gui, "strips"), 0);
  // Frames outside the strip and destinations off the editor draw within bounds.
  r.gui->RedrawRegion(Rect(0, 0, 64, 48));
  CHECK_TRUE(r.gui->BlitFrame(knob, Rect(50, 40, 70, 60), 99));
  CHECK_TRUE(r.gui->BlitFrame(knob, Rect(-10, -10, 10, 10), -5));
  CHECK_FALSE(r.gui->BlitFrame(knob, Rect(10, 10, 0, 0), 1));
  CHECK_FALSE(r.gui->BlitFrame(FrameStrip(), Rect(0, 0, 10, 10), 1));
}

MODULE_TEST(Golden, MetersDrawColumnsPeakLinesAndBands) {
  Rig r;
  r.gui->AddBackground(kBackgroundId, "background.png");
  std::atomic<double> peak{std::pow(10.0, -3.0 / 20)};
  std::atomic<double> rms{std::pow(10.0, -12.0 / 20)};
  auto* column = new IMeter(&r.plugin, Rect(4, 2, 14, 46), Colour(140, 40, 220, 40), &kLow, &kHigh);
  auto* bar = new IMeterBar(&r.plugin, Rect(4, 2, 14, 46), Colour(255, 250, 250, 250), &kLow, &kHigh);
  auto* band = new IMeterRange(&r.plugin, Rect(18, 2, 38, 46), Colour(120, 250, 120, 0), &peak, &rms, &kLow, &kHigh);
  auto* empty = new IMeterRange(&r.plugin, Rect(42, 2, 62, 46), Colour(120, 250, 120, 0), &rms, &peak, &kLow, &kHigh);
  for (IControl* c : {static_cast<IControl*>(column), static_cast<IControl*>(bar), static_cast<IControl*>(band),
                      static_cast<IControl*>(empty)})
    r.gui->AddControl(c);
  r.Attach();
  column->ReceiveValue(0.0);
  column->ReceiveValue(std::pow(10.0, -6.0 / 20));
  bar->ReceiveValue(0.0);
  bar->ReceiveValue(std::pow(10.0, -2.0 / 20));
  r.PaintAll();
  CHECK_EQ(CompareWithGolden(*r.gui, "meters"), 0);
}

#if !defined(_WIN32)
MODULE_TEST(Golden, TextBearingControlsKnobScaleReadOutAndLabel) {
  Rig r(64, 120);
  r.gui->AddControl(new IPanelControl(&r.plugin, Rect(0, 0, 64, 120), Colour(255, 30, 34, 40)));
  const double marks[vuLines::kMarkCount] = {-1,  -2,  -3,  -4,  -5,  -6,  -7,  -8,  -9,  -10, -12, -14, -16,
                                             -18, -20, -24, -28, -32, -36, -44, -52, -60, -68, -78, -92};
  auto* knob = new IKnobMultiControlText(&r.plugin, Rect(2, 2, 40, 34), kGain,
                                         r.gui->LoadStrip(kKnobId, "knob.png", kKnobFrames),
                                         SmallText(Colour(255, 230, 230, 230)));
  auto* lines = new vuLines(&r.plugin, Rect(40, 2, 64, 118), Colour(255, 200, 200, 200),
                            SmallText(Colour(255, 200, 200, 200)), &kLow, &kHigh, marks);
  lines->SetTickFraction(0.4);
  auto* readout = new ITextVU(&r.plugin, Rect(2, 40, 38, 52), SmallText(Colour(255, 220, 220, 220)),
                              Colour(0, 0, 0, 0));
  auto* hot = new ITextVU(&r.plugin, Rect(2, 54, 38, 66), SmallText(Colour(255, 220, 220, 220)),
                          Colour(255, 0, 0, 60));
  auto* label = new ITextControl(&r.plugin, Rect(2, 70, 38, 82), SmallText(Colour(255, 255, 255, 0)), "L");
  // A grayed knob shows its image at a quarter weight and no value text.
  auto* grayed = new IKnobMultiControlText(&r.plugin, Rect(2, 84, 40, 116), kFreq,
                                           r.gui->LoadStrip(kKnobId, "knob.png", kKnobFrames),
                                           SmallText(Colour(255, 230, 230, 230)));
  for (IControl* c : {static_cast<IControl*>(knob), static_cast<IControl*>(lines), static_cast<IControl*>(readout),
                      static_cast<IControl*>(hot), static_cast<IControl*>(label), static_cast<IControl*>(grayed)})
    r.gui->AddControl(c);
  r.Attach();
  grayed->SetGrayed(true);
  readout->ReceiveValue(0.25);
  hot->ReceiveValue(1.0);
  r.gui->SetControlText(r.gui->NumControls() - 2, "M");
  r.PaintAll();
  CHECK_EQ(CompareWithGolden(*r.gui, "text_controls"), 0);
}
#endif
