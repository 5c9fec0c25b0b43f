// Bitmap storage rules and clipping: whatever rectangle or position a caller
// passes, only pixels inside the bitmap change (the row padding included in
// the checks), and the ones inside change as a direct fill would.
#include <climits>
#include <cstdint>

#include "DrawingRig.h"
#include "PIX_Draw.h"
#include "PIX_SysBitmap.h"

using rig::At;

MODULE_TEST(MemBitmap, AlignsPixelsAndRowsAndGrowsByAQuarter) {
  PIX_MemBitmap b;
  CHECK_TRUE(b.IsEmpty());
  CHECK_TRUE(b.Resize(5, 3));
  CHECK_EQ(b.Span(), 8);
  CHECK_EQ(reinterpret_cast<uintptr_t>(b.Pixels()) % 64, uintptr_t(0));
  CHECK_EQ(b.AllocatedBytes(), 8 * 3 * 4);  // the first allocation is exact
  CHECK_FALSE(b.Resize(5, 3));               // same size: nothing changes
  CHECK_TRUE(b.Resize(8, 3));                // fits the block
  CHECK_EQ(b.AllocatedBytes(), 96);
  CHECK_TRUE(b.Resize(9, 3));                // 12 x 3 x 4 = 144 needed, 180 taken
  CHECK_EQ(b.Span(), 12);
  CHECK_EQ(b.AllocatedBytes(), 180);
  CHECK_EQ(reinterpret_cast<uintptr_t>(b.Pixels()) % 64, uintptr_t(0));
  CHECK_TRUE(b.Resize(2, 2));                // shrinking keeps the block
  CHECK_EQ(b.AllocatedBytes(), 180);
  CHECK_EQ(b.Span(), 4);
  CHECK_TRUE(b.Resize(0, 7));                // size 0 frees it
  CHECK_EQ(b.AllocatedBytes(), 0);
  CHECK_TRUE(b.Pixels() == nullptr);
  CHECK_EQ(b.Width(), 0);
  CHECK_EQ(b.Height(), 0);
}

MODULE_TEST(MemBitmap, SizesBeyondMemoryLeaveItEmpty) {
  PIX_MemBitmap b(4, 4);
  CHECK_TRUE(b.Resize(INT_MAX, INT_MAX));
  CHECK_EQ(b.Width(), 0);
  CHECK_EQ(b.Height(), 0);
  CHECK_TRUE(b.Pixels() == nullptr);
  b.Resize(-5, 10);
  CHECK_TRUE(b.IsEmpty());
  // Drawing on the empty bitmap does nothing (and reads nothing).
  PIX_Fill(&b, 0, 0, 10, 10, 0xFFFFFFFF, 1.0f, PIX_COPY);
  PIX_MemBitmap src(2, 2);
  PIX_Blit(&b, &src, 0, 0, nullptr, 1.0f, PIX_COPY);
  PIX_Blit(&src, &b, 0, 0, nullptr, 1.0f, PIX_COPY);
  PIX_Line(&b, 0, 0, 5, 0, 0xFFFFFFFF, 1.0f, PIX_COPY, false);
}

MODULE_TEST(SysBitmap, ReusesItsSectionWhenTheNewSizeFits) {
  PIX_SysBitmap b(5, 3);
  CHECK_EQ(b.Width(), 5);
  CHECK_EQ(b.Span(), 8);
  uint32_t* first = b.Pixels();
  CHECK_TRUE(b.Resize(3, 2));  // fits: same memory, same rows
  CHECK_TRUE(b.Pixels() == first);
  CHECK_EQ(b.Span(), 8);
  CHECK_EQ(b.Width(), 3);
  CHECK_TRUE(b.Resize(9, 3));  // does not fit: a new section
  CHECK_EQ(b.Span(), 12);
  CHECK_TRUE(b.Resize(0, 3));
  CHECK_TRUE(b.Pixels() == nullptr);
  CHECK_TRUE(b.Resize(4, 4));
  PIX_Fill(&b, 0, 0, 4, 4, 0xFF010203, 1.0f, PIX_COPY);
  CHECK_EQ(At(b, 3, 3), "0xFF010203");
}

namespace {
// A 6 x 4 canvas (span 8) in a known colour, padding included.
struct Canvas {
  PIX_MemBitmap b{6, 4};
  Canvas() { rig::FillAll(b, 0x11111111); }
  // Every pixel that differs from the start colour, as "x,y " pairs.
  std::string Changed() {
    std::string out;
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < b.Span(); ++x)
        if (PIX_Row(b, y)[x] != 0x11111111) out += std::to_string(x) + "," + std::to_string(y) + " ";
    return out;
  }
};
}  // namespace

MODULE_TEST(Clipping, FillsOfAnySignAndSizeStayInside) {
  {
    Canvas c;
    PIX_Fill(&c.b, -3, -2, 5, 4, 0xFFFFFFFF, 1.0f, PIX_COPY);  // top-left corner only
    CHECK_EQ(c.Changed(), "0,0 1,0 0,1 1,1 ");
  }
  {
    Canvas c;
    PIX_Fill(&c.b, 4, 3, 100, 100, 0xFFFFFFFF, 0.5f, PIX_COPY);  // bottom-right corner, halves path
    CHECK_EQ(c.Changed(), "4,3 5,3 ");
  }
  {
    Canvas c;
    PIX_Fill(&c.b, INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0xFFFFFFFF, 1.0f, PIX_COPY);  // ends left of 0
    PIX_Fill(&c.b, 3, 1, -2, 2, 0xFFFFFFFF, 1.0f, PIX_COPY);    // negative width
    PIX_Fill(&c.b, 6, 0, 1, 4, 0xFFFFFFFF, 1.0f, PIX_COPY);     // just right of the bitmap
    PIX_Fill(&c.b, 0, 4, 6, 1, 0xFFFFFFFF, 0.3f, PIX_COPY);     // just below it
    CHECK_EQ(c.Changed(), "");
  }
  {
    Canvas c;
    PIX_Fill(&c.b, INT_MAX, INT_MAX, INT_MAX, INT_MAX, 0xFFFFFFFF, 1.0f, PIX_COPY);
    PIX_Fill(&c.b, -1, -1, INT_MAX, INT_MAX, 0xFFFFFFFF, 0.75f, PIX_COPY);  // everything, no padding
    CHECK_EQ(c.Changed(), "0,0 1,0 2,0 3,0 4,0 5,0 0,1 1,1 2,1 3,1 4,1 5,1 0,2 1,2 2,2 3,2 4,2 5,2 "
                          "0,3 1,3 2,3 3,3 4,3 5,3 ");
  }
}

MODULE_TEST(Clipping, LinesCoverBothEndsAndStayInside) {
  {
    Canvas c;
    PIX_Line(&c.b, 4, 1, 1, 1, 0xFFFFFFFF, 1.0f, PIX_COPY, false);  // right to left, ends included
    CHECK_EQ(c.Changed(), "1,1 2,1 3,1 4,1 ");
  }
  {
    Canvas c;
    PIX_Line(&c.b, -100, 2, 100, 2, 0xFFFFFFFF, 0.25f, PIX_COPY, false);
    PIX_Line(&c.b, 0, -1, 5, -1, 0xFFFFFFFF, 1.0f, PIX_COPY, false);  // above: nothing
    PIX_Line(&c.b, INT_MIN, 9, INT_MAX, 9, 0xFFFFFFFF, 1.0f, PIX_COPY, false);
    CHECK_EQ(c.Changed(), "0,2 1,2 2,2 3,2 4,2 5,2 ");
    CHECK_EQ(At(c.b, 0, 2), "0x4B4B4B4B");  // quarter path: 0x11/2 + 0x11/4 + 0xFF/4 = 8 + 4 + 63
  }
  {
    Canvas c;
    PIX_Line(&c.b, 0, 0, 3, 3, 0xFFFFFFFF, 1.0f, PIX_COPY, false);  // a diagonal
    PIX_Line(&c.b, 5, -10, 5, 10, 0xFFFFFFFF, 1.0f, PIX_COPY, false);  // a clipped vertical
    CHECK_EQ(c.Changed(), "0,0 5,0 1,1 5,1 2,2 5,2 3,3 5,3 ");
  }
  {
    Canvas c;
    PIX_Line(&c.b, INT_MIN, INT_MIN, INT_MAX, INT_MAX - 7, 0xFFFFFFFF, 1.0f, PIX_COPY, true);
    PIX_Line(&c.b, -1000000, 3000000, 1000000, -3000000, 0xFFFFFFFF, 1.0f, PIX_COPY, false);
    // Only the diagonal through the visible pixels changes; the padding
    // columns 6 and 7 never do.
    const std::string changed = c.Changed();
    CHECK_TRUE(!changed.empty());
    CHECK_TRUE(changed.find("6,") == std::string::npos && changed.find("7,") == std::string::npos);
  }
}

MODULE_TEST(Clipping, BlitsClipAgainstBothBitmaps) {
  PIX_MemBitmap src(3, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) PIX_Row(src, y)[x] = 0xFF000000u | uint32_t(y * 16 + x);
  {
    Canvas c;  // negative destination moves the source start
    PIX_Blit(&c.b, &src, -1, -2, nullptr, 1.0f, PIX_COPY);
    CHECK_EQ(c.Changed(), "0,0 1,0 ");
    CHECK_EQ(At(c.b, 0, 0), "0xFF000021");
    CHECK_EQ(At(c.b, 1, 0), "0xFF000022");
  }
  {
    Canvas c;  // a source rect partly outside the source
    const PIX_Rect part{-1, 1, 9, 9};
    PIX_Blit(&c.b, &src, 2, 0, &part, 1.0f, PIX_COPY);
    CHECK_EQ(c.Changed(), "3,0 4,0 5,0 3,1 4,1 5,1 ");
    CHECK_EQ(At(c.b, 3, 0), "0xFF000010");
    CHECK_EQ(At(c.b, 5, 1), "0xFF000022");
  }
  {
    Canvas c;  // the right edge of the destination
    PIX_Blit(&c.b, &src, 5, 3, nullptr, 0.3f, PIX_COPY | PIX_SOURCE_ALPHA);
    CHECK_EQ(c.Changed(), "5,3 ");
  }
  {
    Canvas c;  // nothing overlaps
    const PIX_Rect reversed{2, 2, 0, 0};
    const PIX_Rect huge{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    PIX_Blit(&c.b, &src, 0, 0, &reversed, 1.0f, PIX_COPY);
    PIX_Blit(&c.b, &src, 6, 0, nullptr, 1.0f, PIX_COPY);
    PIX_Blit(&c.b, &src, INT_MIN, INT_MIN, nullptr, 1.0f, PIX_COPY);
    PIX_Blit(&c.b, &src, INT_MAX, 0, &huge, 1.0f, PIX_COPY);
    PIX_Blit(&c.b, &src, 0, -3, nullptr, 0.5f, PIX_COPY);
    // The rect's corner lands on (1, 1), so the source itself lies far away.
    PIX_Blit(&c.b, &src, 1, 1, &huge, 1.0f, PIX_COPY);
    CHECK_EQ(c.Changed(), "");
  }
}

MODULE_TEST(Blit, OverlappingCopyWithinOneBitmapReadsTheOriginalRows) {
  PIX_MemBitmap b(4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) PIX_Row(b, y)[x] = uint32_t(y * 4 + x);
  const PIX_Rect top{0, 0, 4, 3};
  PIX_Blit(&b, &b, 0, 1, &top, 1.0f, PIX_COPY);  // scroll down by one row
  CHECK_EQ(At(b, 0, 1), "0x00000000");
  CHECK_EQ(At(b, 3, 3), "0x0000000B");
  const PIX_Rect right{1, 0, 4, 4};
  PIX_Blit(&b, &b, 0, 0, &right, 0.3f, PIX_COPY);  // left by one pixel, blended
  CHECK_EQ(At(b, 0, 0), "0x00000001");  // (0 - 1) * 180 / 256 truncates to 0, + 1
  CHECK_EQ(At(b, 2, 3), "0x0000000B");  // (10 - 11) * 180 / 256 truncates to 0, + 11
}

MODULE_TEST(Blit, BottomUpBitmapsOnEitherSideKeepTheImageUpright) {
  PIX_MemBitmap src(2, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 2; ++x) PIX_Row(src, y)[x] = 0xFF000000u | uint32_t(y * 16 + x);
  rig::BottomUpBitmap up(2, 3);
  PIX_Blit(&up, &src, 0, 0, nullptr, 1.0f, PIX_COPY);
  CHECK_EQ(rig::Hex(up.Stored(1, 0)), "0xFF000021");  // last image row stored first
  CHECK_EQ(rig::Hex(up.Stored(0, 2)), "0xFF000000");
  PIX_MemBitmap back(2, 3);
  PIX_Blit(&back, &up, 0, 0, nullptr, 1.0f, PIX_COPY | PIX_SOURCE_ALPHA);
  CHECK_EQ(rig::FirstDifference(rig::Visible(back), rig::Visible(src)), -1L);
}

MODULE_TEST(SysBitmap, SizesBeyondMemoryLeaveItEmpty) {
  PIX_SysBitmap b(4, 4);
  CHECK_TRUE(b.Resize(INT_MAX, 3));
  CHECK_TRUE(b.IsEmpty());
  CHECK_EQ(b.Width(), 0);
  PIX_Fill(&b, 0, 0, 10, 10, 0xFFFFFFFF, 1.0f, PIX_COPY);
}
