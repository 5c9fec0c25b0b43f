// The editor's paint cost: a full repaint of a 400 x 524 editor (background,
// 13 knob strips with value text, 7 switches and the two meter stacks) and
// one timer tick in which only the meters and read-outs are dirty. Baseline:
// one plain 400 x 524 row copy, for figures as ratios.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <memory>

#include "IGraphicsHeadless.h"
#include "IKnobMultiControlText.h"
#include "IMeter.h"
#include "PIX_Bitmap.h"
#include "PIX_Draw.h"
#include "PIX_SysBitmap.h"
#include "TestBinding.h"

namespace {
constexpr int kWidth = 400;
constexpr int kHeight = 524;
enum : int { kBackground = 1, kKnob = 2, kSwitch = 3 };

// A headless editor whose images are made in memory: a gradient background,
// a 101-frame 64 x 64 knob with an alpha edge and a two-frame switch.
class BenchEditor : public IGraphicsHeadless {
 public:
  using IGraphicsHeadless::IGraphicsHeadless;
  PIX_IBitmap* LoadPngResource(int id, const char*) override {
    const int w = id == kBackground ? kWidth : id == kKnob ? 64 : 40;
    const int h = id == kBackground ? kHeight : id == kKnob ? 64 * 101 : 40;
    auto* b = new PIX_MemBitmap(w, h);
    for (int y = 0; y < h; ++y) {
      uint32_t* row = PIX_Row(*b, y);
      for (int x = 0; x < w; ++x) {
        const int dx = x - 32;
        const int dy = (y % 64) - 32;
        const int alpha = id != kKnob ? 255 : dx * dx + dy * dy < 900 ? 255 : dx * dx + dy * dy < 1024 ? 128 : 0;
        row[x] = PIX_Pack(alpha, x & 255, y & 255, (x + y) & 255);
      }
    }
    return b;
  }
};

struct Scene {
  TestBinding plugin{13, "2-2", 1, "Bench", "Bench", "Bench", 1, 1, 1, 0, 0};
  BenchEditor* gui = nullptr;
  double low = 0.0;
  double high = 1.0;
  std::atomic<double> peak[2];
  std::atomic<double> rms[2];
  int firstMeter = 0;
  int lastMeter = 0;

  Scene() {
    for (int i = 0; i < 13; ++i) plugin.GetParam(i)->DefineDouble("Knob", 0.0, -12.0, 12.0, 0.01, "dB");
    gui = new BenchEditor(&plugin, kWidth, kHeight);
    gui->AddBackground(kBackground, "background.png");
    const FrameStrip knob = gui->LoadStrip(kKnob, "knob.png", 101);
    const FrameStrip sw = gui->LoadStrip(kSwitch, "switch.png", 2);
    const TextStyle text(12, Colour(255, 230, 230, 230));
    for (int i = 0; i < 13; ++i) {
      const int x = 10 + (i % 4) * 70;
      const int y = 10 + (i / 4) * 90;
      gui->AddControl(new IKnobMultiControlText(&plugin, Rect(x, y, x + 64, y + 78), i, knob, text));
    }
    for (int i = 0; i < 7; ++i) gui->AddControl(new ISwitchControl(&plugin, 10 + i * 40, 380, -1, sw));
    static const double marks[vuLines::kMarkCount] = {-1,  -2,  -3,  -4,  -5,  -6,  -7,  -8,  -9,
                                                      -10, -12, -14, -16, -18, -20, -24, -28, -32,
                                                      -36, -44, -52, -60, -68, -78, -92};
    firstMeter = gui->NumControls();
    for (int m = 0; m < 2; ++m) {
      const int left = 300 + m * 50;
      for (int c = 0; c < 2; ++c) {
        const Rect column(left + c * 22, 60, left + c * 22 + 20, 496);
        gui->AddControl(new IMeter(&plugin, column, Colour(120, 40, 220, 40), &low, &high));
        gui->AddControl(new IMeterBar(&plugin, column, Colour(255, 250, 250, 250), &low, &high));
        if (m == 1)
          gui->AddControl(new IMeterRange(&plugin, column, Colour(100, 250, 120, 0), &peak[c], &rms[c], &low, &high));
      }
      auto* lines = new vuLines(&plugin, Rect(left, 60, left + 42, 496), Colour(255, 200, 200, 200),
                                TextStyle(9, Colour(255, 200, 200, 200)), &low, &high, marks);
      lines->SetTickFraction(0.4);
      gui->AddControl(lines);
    }
    for (int c = 0; c < 2; ++c)
      gui->AddControl(new ITextVU(&plugin, Rect(350 + c * 22, 40, 370 + c * 22, 54), TextStyle(10, Colour()),
                                  Colour(0, 0, 0, 0)));
    lastMeter = gui->NumControls();
    for (int c = 0; c < 2; ++c) {
      peak[c].store(0.5);
      rms[c].store(0.25);
    }
    plugin.AttachEditor(gui);
    gui->RedrawRegion(Rect(0, 0, kWidth, kHeight));
  }
};

void Baseline_RowCopy400x524(benchmark::State& state) {
  PIX_MemBitmap source(kWidth, kHeight);
  PIX_SysBitmap dest(kWidth, kHeight);
  for (auto _ : state) {
    PIX_Blit(&dest, &source, 0, 0, nullptr, 1.0f, PIX_COPY);
    benchmark::DoNotOptimize(dest.Pixels());
  }
}
BENCHMARK(Baseline_RowCopy400x524);

void Editor_FullRepaint(benchmark::State& state) {
  Scene scene;
  for (auto _ : state) scene.gui->RedrawRegion(Rect(0, 0, kWidth, kHeight));
}
BENCHMARK(Editor_FullRepaint);

// Audio pushes new levels to every meter, then the timer repaints what is dirty.
void Editor_MeterTick(benchmark::State& state) {
  Scene scene;
  int n = 0;
  for (auto _ : state) {
    const double level = 0.2 + 0.6 * ((n++ % 17) / 17.0);
    for (int i = scene.firstMeter; i < scene.lastMeter; ++i) scene.gui->PushControlValue(i, level);
    Rect dirty;
    if (scene.gui->CollectDirty(dirty)) scene.gui->RedrawRegion(dirty);
  }
}
BENCHMARK(Editor_MeterTick);
}  // namespace
