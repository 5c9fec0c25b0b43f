// The drawing library's hot paths on an editor-sized (400 x 524) bitmap.
// Baseline: BM_DrawRowCopy, the plain row copy of the whole bitmap; read the
// others as ratios to it. Text: one read-out string from cached glyphs.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "PIX_Draw.h"
#include "PIX_Font.h"

namespace {
constexpr int kW = 400;
constexpr int kH = 524;

// A source with every kind of alpha: transparent, opaque and in between.
void FillPattern(PIX_MemBitmap& b) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) {
      const uint32_t alpha = uint32_t((x * 7 + y * 3) % 3 == 0 ? 0 : (x + y) % 2 ? 255 : (x * 13 + y) & 255);
      PIX_Row(b, y)[x] = alpha << 24 | uint32_t(x * 2654435761u + uint32_t(y)) >> 8;
    }
}

void BM_DrawRowCopy(benchmark::State& state) {
  PIX_MemBitmap dst(kW, kH), src(kW, kH);
  FillPattern(src);
  for (auto _ : state) {
    PIX_Blit(&dst, &src, 0, 0, nullptr, 1.0f, PIX_COPY);
    benchmark::DoNotOptimize(dst.Pixels());
  }
}
BENCHMARK(BM_DrawRowCopy);

void BM_DrawBlitSourceAlpha(benchmark::State& state) {
  PIX_MemBitmap dst(kW, kH), src(kW, kH);
  FillPattern(src);
  const float weight = float(state.range(0)) / 100.0f;
  for (auto _ : state) {
    PIX_Blit(&dst, &src, 0, 0, nullptr, weight, PIX_COPY | PIX_SOURCE_ALPHA);
    benchmark::DoNotOptimize(dst.Pixels());
  }
}
BENCHMARK(BM_DrawBlitSourceAlpha)->Arg(100)->Arg(25);

void BM_DrawFill(benchmark::State& state) {
  PIX_MemBitmap dst(kW, kH);
  const float weight = float(state.range(0)) / 100.0f;
  for (auto _ : state) {
    PIX_Fill(&dst, 0, 0, kW, kH, 0xFF336699, weight, PIX_COPY);
    benchmark::DoNotOptimize(dst.Pixels());
  }
}
BENCHMARK(BM_DrawFill)->Arg(100)->Arg(50)->Arg(25)->Arg(30);

void BM_DrawTextCached(benchmark::State& state) {
  PIX_FontSpec spec;
  spec.face = "Ubuntu";
  spec.height = 12;
  PIX_CachedFont font;
  if (!font.SetFont(PIX_CreateFontHandle(spec), PIX_FONT_EDITOR_FLAGS)) {
    state.SkipWithError("no font");
    return;
  }
  PIX_MemBitmap dst(kW, kH);
  font.SetTextColour(0xFFFFFFFF);
  for (auto _ : state) {
    PIX_Rect r{10, 10, 90, 24};
    font.DrawUtf8(&dst, "-12.5 dB", -1, &r, PIX_TEXT_CENTRE | PIX_TEXT_NO_CLIP);
    benchmark::DoNotOptimize(dst.Pixels());
  }
}
BENCHMARK(BM_DrawTextCached);
}  // namespace
