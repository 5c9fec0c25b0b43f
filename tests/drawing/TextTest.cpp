// Text through PIX_CachedFont: the glyph cache, the process-wide instance
// counter, measuring, alignment, line breaks, UTF-8 and hostile input.
// Expected values are relations that hold for any face (advances add up,
// aligned text is shifted left-aligned text), so these run on every target.
#include <climits>
#include <memory>
#include <string>

#include "DrawingRig.h"
#include "PIX_Draw.h"
#include "PIX_Font.h"
#include "PIX_Platform.h"
#include "PIX_SysBitmap.h"
#include "Utf8.h"

namespace {

using rig::MakeFont;

PIX_Rect Measure(PIX_IFont& font, const char* text, int length = -1, int flags = 0) {
  PIX_Rect r{10, 20, 10, 20};
  font.DrawUtf8(nullptr, text, length, &r, flags | PIX_TEXT_MEASURE);
  return r;
}
int Width(PIX_IFont& font, const char* text, int flags = 0) {
  const PIX_Rect r = Measure(font, text, -1, flags);
  return r.right - r.left;
}
int Height(PIX_IFont& font, const char* text, int flags = 0) {
  const PIX_Rect r = Measure(font, text, -1, flags);
  return r.bottom - r.top;
}

// Text drawn black on white into a fresh w x h bitmap.
std::unique_ptr<PIX_MemBitmap> Render(PIX_IFont& font, const char* text, PIX_Rect rect, int flags, int w = 60,
                                      int h = 20, uint32_t colour = 0xFF000000) {
  auto b = std::make_unique<PIX_MemBitmap>(w, h);
  PIX_Fill(b.get(), 0, 0, w, h, 0xFFFFFFFF, 1.0f, PIX_COPY);
  font.SetTextColour(colour);
  font.DrawUtf8(b.get(), text, -1, &rect, flags);
  return b;
}

// The bitmap moved right by dx (new columns white).
std::vector<uint32_t> Shifted(PIX_MemBitmap& b, int dx) {
  PIX_MemBitmap out(b.Width(), b.Height());
  PIX_Fill(&out, 0, 0, b.Width(), b.Height(), 0xFFFFFFFF, 1.0f, PIX_COPY);
  PIX_Blit(&out, &b, dx, 0, nullptr, 1.0f, PIX_COPY);
  return rig::Visible(out);
}

int CountNotWhite(PIX_IBitmap& b) {
  int n = 0;
  for (uint32_t p : rig::Visible(b)) n += (p & 0xFFFFFF) != 0xFFFFFF;
  return n;
}

}  // namespace

MODULE_TEST(Utf8, MalformedBytesBecomeOneReplacementEach) {
  std::vector<uint32_t> cps;
  pix::DecodeUtf8("A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB5", 10, cps);
  CHECK_EQ(cps.size(), size_t(4));
  if (cps.size() == 4) {
    CHECK_EQ(cps[1], uint32_t(0xE9));
    CHECK_EQ(cps[2], uint32_t(0x20AC));
    CHECK_EQ(cps[3], uint32_t(0x1F3B5));
  }
  // Stray continuation, truncated sequence at the end, overlong slash,
  // a surrogate, a value past U+10FFFF and a 0xFF byte.
  pix::DecodeUtf8("\x80" "\xC0\xAF" "\xED\xA0\x80" "\xF4\x90\x80\x80" "\xFF" "\xE2\x82", 13, cps);
  bool allReplaced = !cps.empty();
  for (uint32_t cp : cps) allReplaced = allReplaced && cp == pix::kReplacementCharacter;
  CHECK_TRUE(allReplaced);
  CHECK_EQ(cps.size(), size_t(13));  // one for every byte: none starts a valid sequence
  // The length is respected: a sequence cut by it is not completed from beyond.
  pix::DecodeUtf8("\xC3\xA9", 1, cps);
  CHECK_EQ(cps.size(), size_t(1));
  CHECK_EQ(cps[0], pix::kReplacementCharacter);
}

MODULE_TEST(CachedFont, EveryInstanceCountsAndGlyphsAreRenderedOnce) {
  const int before = PIX_CachedFont::InstancesCreated();
  auto a = MakeFont("Verdana", 12, PIX_FONT_OWNS_HANDLE);
  auto b = MakeFont("Ubuntu", 12, PIX_FONT_OWNS_HANDLE);
  { PIX_CachedFont unused; }
  CHECK_EQ(PIX_CachedFont::InstancesCreated() - before, 3);  // destroyed ones stay counted
  REQUIRE_TRUE(a && b);
  CHECK_EQ(a->CachedGlyphCount(), 0);
  Render(*a, "Hello", {0, 0, 60, 20}, 0);
  CHECK_EQ(a->CachedGlyphCount(), 4);  // H, e, l, o
  Render(*a, "oleH lo", {0, 0, 60, 20}, 0);
  CHECK_EQ(a->CachedGlyphCount(), 5);  // only the space is new
  Measure(*a, "\xE2\x82\xAC\xE2\x82\xAC");
  CHECK_EQ(a->CachedGlyphCount(), 6);  // the euro sign, beyond the direct index
  // Preloading renders the printable ASCII range when the font is set.
  auto preloaded = MakeFont("Verdana", 12, PIX_FONT_OWNS_HANDLE | PIX_FONT_PRELOAD_ASCII);
  REQUIRE_TRUE(preloaded != nullptr);
  const int loaded = preloaded->CachedGlyphCount();
  CHECK_TRUE(loaded >= 95);
  Render(*preloaded, "The quick brown fox, 0.5 dB!", {0, 0, 60, 20}, 0);
  CHECK_EQ(preloaded->CachedGlyphCount(), loaded);
  // A null handle is refused.
  PIX_CachedFont none;
  CHECK_FALSE(none.SetFont(nullptr, 0));
  PIX_Rect r{0, 0, 5, 5};
  CHECK_EQ(none.DrawUtf8(nullptr, "abc", -1, &r, PIX_TEXT_MEASURE), 0);
}

MODULE_TEST(CachedFont, MeasuringAddsAdvancesAndCountsLines) {
  auto font = MakeFont("Verdana", 14);
  REQUIRE_TRUE(font != nullptr);
  const int line = font->LineHeight();
  CHECK_TRUE(line >= 13 && line <= 17);
  const int w = Width(*font, "W");
  CHECK_TRUE(w > 3);
  CHECK_EQ(Width(*font, "WWWW"), 4 * w);
  CHECK_EQ(Height(*font, "W"), line);
  CHECK_EQ(Width(*font, ""), 0);
  CHECK_EQ(Height(*font, ""), 0);
  // A line feed starts a line; a carriage return restarts the current one.
  CHECK_EQ(Height(*font, "W\nW\nW"), 3 * line);
  CHECK_EQ(Width(*font, "W\nWW"), 2 * w);
  CHECK_EQ(Width(*font, "WWW\rW"), 3 * w);
  CHECK_EQ(Height(*font, "WW\r\nW"), 2 * line);
  // Single-line ignores line feeds.
  CHECK_EQ(Height(*font, "W\nW", PIX_TEXT_SINGLE_LINE), line);
  CHECK_EQ(Width(*font, "W\nW", PIX_TEXT_SINGLE_LINE), 2 * w);
  // The length limits the text; -1 means up to the terminating zero.
  const PIX_Rect two = Measure(*font, "WWWW", 2);
  CHECK_EQ(two.right - two.left, 2 * w);
  // Measuring keeps left and top.
  CHECK_EQ(two.left, 10);
  CHECK_EQ(two.top, 20);
  // Malformed bytes measure as replacement characters.
  CHECK_EQ(Width(*font, "\xFF\xFE"), 2 * Width(*font, "\xEF\xBF\xBD"));
}

MODULE_TEST(CachedFont, AlignedTextIsLeftAlignedTextShifted) {
  auto font = MakeFont("Verdana", 12);
  REQUIRE_TRUE(font != nullptr);
  const char* text = "-12.5";
  const int w = Width(*font, text);
  const PIX_Rect rect{4, 2, 54, 18};
  auto left = Render(*font, text, rect, PIX_TEXT_LEFT | PIX_TEXT_NO_CLIP);
  auto centre = Render(*font, text, rect, PIX_TEXT_CENTRE | PIX_TEXT_NO_CLIP);
  auto right = Render(*font, text, rect, PIX_TEXT_RIGHT | PIX_TEXT_NO_CLIP);
  CHECK_TRUE(CountNotWhite(*left) > 10);
  CHECK_EQ(rig::FirstDifference(Shifted(*left, (50 - w) / 2), rig::Visible(*centre)), -1L);
  CHECK_EQ(rig::FirstDifference(Shifted(*left, 50 - w), rig::Visible(*right)), -1L);
  // Nothing is drawn outside the rect unless clipping is off.
  auto clipped = Render(*font, "WWWWWWWWWWWW", {5, 0, 20, 20}, PIX_TEXT_LEFT);
  bool outside = false;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 60; ++x)
      if ((x < 5 || x >= 20) && (PIX_Row(*clipped, y)[x] & 0xFFFFFF) != 0xFFFFFF) outside = true;
  CHECK_FALSE(outside);
  auto unclipped = Render(*font, "WWWWWWWWWWWW", {5, 0, 20, 20}, PIX_TEXT_LEFT | PIX_TEXT_NO_CLIP);
  CHECK_TRUE(CountNotWhite(*unclipped) > CountNotWhite(*clipped));
}

MODULE_TEST(CachedFont, AlphaFlagBlendsWithTheTextColoursAlpha) {
  auto font = MakeFont("Verdana", 16);
  REQUIRE_TRUE(font != nullptr);
  auto darkest = [](PIX_IBitmap& b) {
    int d = 255;
    for (uint32_t p : rig::Visible(b)) d = std::min(d, int(p & 255));
    return d;
  };
  // Without the flag the colour's alpha is ignored: the stems are black.
  auto solid = Render(*font, "IHM", {0, 0, 60, 20}, 0, 60, 20, 0x40000000);
  CHECK_EQ(darkest(*solid), 0);
  auto faint = Render(*font, "IHM", {0, 0, 60, 20}, PIX_TEXT_ALPHA, 60, 20, 0x40000000);
  CHECK_TRUE(darkest(*faint) >= 180);  // at most a quarter of the way to black
  CHECK_TRUE(darkest(*faint) < 255);
}

MODULE_TEST(CachedFont, HostileTextAndRectsTouchOnlyTheBitmap) {
  auto font = MakeFont("Verdana", 12);
  REQUIRE_TRUE(font != nullptr);
  std::string longText(200000, 'W');
  longText += "\n\xF0\x9F";  // ends inside a sequence
  const PIX_Rect rects[] = {{0, 0, 60, 20},
                            {INT_MIN, INT_MIN, INT_MAX, INT_MAX},
                            {INT_MAX, INT_MAX, INT_MIN, INT_MIN},
                            {-1000000, 5, -999990, 15},
                            {50, 10, 40, 0}};
  const int flagSets[] = {0, PIX_TEXT_CENTRE | PIX_TEXT_NO_CLIP, PIX_TEXT_RIGHT | PIX_TEXT_NO_CLIP,
                          PIX_TEXT_SINGLE_LINE | PIX_TEXT_VCENTRE | PIX_TEXT_CENTRE,
                          PIX_TEXT_SINGLE_LINE | PIX_TEXT_BOTTOM | PIX_TEXT_NO_CLIP};
  PIX_MemBitmap b(6, 4);  // span 8: columns 6 and 7 are padding
  rig::FillAll(b, 0x11111111);
  for (const PIX_Rect& rect : rects)
    for (int flags : flagSets) {
      PIX_Rect r = rect;
      font->DrawUtf8(&b, longText.c_str(), -1, &r, flags);
      r = rect;
      font->DrawUtf8(&b, "\xC3", 1, &r, flags);
      r = rect;
      font->DrawUtf8(&b, "", -1, &r, flags);
    }
  bool padding = true;
  for (int y = 0; y < 4; ++y) padding = padding && PIX_Row(b, y)[6] == 0x11111111 && PIX_Row(b, y)[7] == 0x11111111;
  CHECK_TRUE(padding);
  // A measure of the long text saturates instead of wrapping around.
  PIX_Rect r{INT_MAX - 10, 0, 0, 0};
  font->DrawUtf8(nullptr, longText.c_str(), -1, &r, PIX_TEXT_MEASURE);
  CHECK_EQ(r.right, INT_MAX);
  // Null text or rect and zero-sized bitmaps do nothing.
  PIX_MemBitmap empty;
  PIX_Rect any{0, 0, 10, 10};
  CHECK_EQ(font->DrawUtf8(&b, nullptr, 3, &any, 0), 0);
  CHECK_EQ(font->DrawUtf8(&b, "abc", 3, nullptr, 0), 0);
  font->DrawUtf8(&empty, "abc", 3, &any, 0);
  CHECK_EQ(PIX_DrawText(nullptr, &b, "abc", 3, &any, 0), 0);
}

MODULE_TEST(CachedFont, NonAntialiasedQualityDrawsOnlyFullPixels) {
  auto font = MakeFont("Verdana", 13, PIX_FONT_EDITOR_FLAGS, PIX_QUALITY_NONANTIALIASED);
  REQUIRE_TRUE(font != nullptr);
  auto b = Render(*font, "Velto 0.5 dB", {0, 0, 90, 20}, 0, 90, 20);
  bool twoTone = true;
  for (uint32_t p : rig::Visible(*b)) twoTone = twoTone && ((p & 0xFFFFFF) == 0 || (p & 0xFFFFFF) == 0xFFFFFF);
  CHECK_TRUE(twoTone);
  CHECK_TRUE(CountNotWhite(*b) > 20);
}

MODULE_TEST(CachedFont, LargeFontsOnASystemBitmapDrawThroughThePlatform) {
  // Line heights of 256 and more always take the platform's own text output
  // where the bitmap has a drawing context (GDI on Windows, also under Wine,
  // where smaller fonts use the glyph cache instead).
#if defined(_WIN32)
  CHECK_TRUE(IsRunningUnderWine());  // these checks are run under Wine
#else
  CHECK_FALSE(IsRunningUnderWine());
#endif
  auto font = MakeFont("Verdana", 300);
  REQUIRE_TRUE(font != nullptr);
  CHECK_TRUE(font->LineHeight() >= 256);
  PIX_SysBitmap b(320, 320);
  PIX_Fill(&b, 0, 0, 320, 320, 0xFFFFFFFF, 1.0f, PIX_COPY);
  font->SetTextColour(0xFF000000);
  PIX_Rect r{0, 0, 320, 320};
  font->DrawUtf8(&b, "H", -1, &r, PIX_TEXT_CENTRE);
  CHECK_TRUE(CountNotWhite(b) > 1000);
  PIX_Rect m{0, 0, 0, 0};
  CHECK_EQ(font->DrawUtf8(&b, "H", -1, &m, PIX_TEXT_MEASURE), font->LineHeight());
  CHECK_TRUE(m.right > 50);
}
