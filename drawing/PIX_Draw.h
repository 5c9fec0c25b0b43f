#pragma once
// Fills, lines and blits.
//
// Every operation clips to the destination (and, for blits, to the source):
// any rectangle, of any sign or size, touches only pixels inside the bitmaps,
// and empty bitmaps or rectangles draw nothing.
//
// Weight 0..1 says how much of the source replaces the destination. The low
// byte of `mode` chooses how the two combine; PIX_SOURCE_ALPHA additionally
// scales each source pixel's weight by its alpha (for fills: the colour's).
//
// Copy arithmetic, with w = int(weight * 256) and s, d the source and
// destination channels (C integer division, truncating toward zero):
//   colour  = (d - s) * (256 - w) / 256 + s
//   alpha   = w + (dAlpha - w) * (256 - w) / 256
// Weights of exactly 1.0, 0.75, 0.5 and 0.25 take shift-based paths for all
// four bytes (a plain fill, or halves and quarters of each channel).
// Copy honouring source alpha a at weight 1.0 (the editor's image strips):
//   a = 0: destination unchanged; a = 255: colour copied, alpha 255;
//   otherwise colour = s + (d - s) * (255 - a) / 256, alpha = min(255, a + dAlpha).

#include "PIX_Bitmap.h"

enum PIX_BlendMode : int {
  PIX_COPY = 0,
  PIX_ADD = 1,       // channels summed, saturating at 255
  PIX_DODGE = 2,     // colour dodge: d * 256 / (256 - s), saturating
  PIX_MULTIPLY = 3,  // d * s / 255
  PIX_OVERLAY = 4,   // multiply below half, screen above, chosen by d
  PIX_HSV = 5,       // source red/green/blue shift hue, scale saturation and value
  PIX_MODE_MASK = 0xFF,
  PIX_SOURCE_ALPHA = 0x10000,
};

void PIX_Fill(PIX_IBitmap* dst, int x, int y, int width, int height, uint32_t colour, float weight,
              int mode);

// Copies src (or the part srcRect of it) with its top-left corner at (x, y).
void PIX_Blit(PIX_IBitmap* dst, PIX_IBitmap* src, int x, int y, const PIX_Rect* srcRect, float weight,
              int mode);

// A horizontal line covers x1..x2 inclusive; other lines are drawn with
// Bresenham steps (antialiased: weighted by the distance to the ideal line).
void PIX_Line(PIX_IBitmap* dst, int x1, int y1, int x2, int y2, uint32_t colour, float weight, int mode,
              bool antialias);
