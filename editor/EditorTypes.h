#pragma once
// Plain records shared by the graphics core, the controls and the window layers.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class PIX_IBitmap;
class PIX_CachedFont;

// A pixel rectangle; right and bottom are exclusive. All four fields 0 is the
// empty rect. Rects of any sign can occur (a control squeezed to nothing, a
// reversed drag box): every user treats right <= left or bottom <= top as
// covering no pixel.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  Rect() = default;
  Rect(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}

  bool Empty() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
  // No pixel inside: empty, or one side reversed or of zero length.
  bool CoversNothing() const { return right <= left || bottom <= top; }
  int W() const { return right - left; }
  int H() const { return bottom - top; }
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  // Both non-empty and overlapping, with the editor's inclusive right/bottom test.
  bool Intersects(const Rect& b) const {
    return !Empty() && !b.Empty() && right >= b.left && left < b.right && bottom >= b.top && top < b.bottom;
  }
  // Smallest rect covering both; an empty operand yields the other.
  Rect Union(const Rect& b) const;
  // The pixels common to both; the empty rect when they share none.
  Rect Clip(const Rect& b) const;
  bool operator==(const Rect& b) const {
    return left == b.left && top == b.top && right == b.right && bottom == b.bottom;
  }
  bool operator!=(const Rect& b) const { return !(*this == b); }
};

struct Colour {
  int alpha = 255;
  int red = 0;
  int green = 0;
  int blue = 0;

  Colour() = default;
  Colour(int a, int r, int g, int b) : alpha(a), red(r), green(g), blue(b) {}
  // alpha << 24 | red << 16 | green << 8 | blue, each channel clamped to 0..255.
  uint32_t Packed() const;
  bool operator==(const Colour& c) const {
    return alpha == c.alpha && red == c.red && green == c.green && blue == c.blue;
  }
};

enum BlendMethod : int {
  kBlendDefault = 0,  // copy honouring source alpha
  kBlendCopy = 1,     // plain copy, source alpha ignored
  kBlendAdd = 2,
  kBlendColorDodge = 3,
};

struct BlendSpec {
  int method = kBlendDefault;
  float weight = 1.0f;

  BlendSpec() = default;
  BlendSpec(int m, float w = 1.0f) : method(m), weight(w) {}
};

// An image strip holding frameCount frames of equal size, stacked downwards
// (or across when framesHorizontal). Without an image nothing is drawn.
struct FrameStrip {
  PIX_IBitmap* image = nullptr;  // owned by the strip cache
  int width = 0;
  int height = 0;  // the whole strip
  int frameCount = 1;
  bool framesHorizontal = false;
};

enum TextAlign : int { kAlignLeft = 0, kAlignCentre = 1, kAlignRight = 2 };
enum TextWeight : int { kStyleNormal = 0, kStyleBold = 1, kStyleItalic = 2 };
enum TextQuality : int { kQualityDefault = 0, kQualityNonAntiAliased = 1, kQualityAntiAliased = 2, kQualityClearType = 3 };

struct TextStyle {
  char fontName[32] = "Verdana";
  int size = 12;  // character height in pixels
  Colour colour{255, 0, 0, 0};
  Colour entryBackground{255, 255, 255, 255};
  Colour entryForeground{255, 0, 0, 0};
  int style = kStyleNormal;
  int align = kAlignCentre;
  int orientation = 0;  // degrees
  int quality = kQualityDefault;
  PIX_CachedFont* cachedFont = nullptr;  // owned by the font cache, filled on first use

  TextStyle() = default;
  TextStyle(int size, const Colour& colour, const char* fontName = "Verdana", int style = kStyleNormal,
            int align = kAlignCentre, int orientation = 0, int quality = kQualityDefault);
};

struct MouseMods {
  bool left = false;
  bool right = false;
  bool shift = false;
  bool control = false;
  bool alt = false;
};

enum PopupItemFlags : int {
  kItemGrayed = 1,
  kItemDisabled = 2,
  kItemChecked = 4,
  kItemSeparator = 8,
};

struct PopupMenu;

struct PopupMenuItem {
  std::string text;
  int flags = 0;
  std::unique_ptr<PopupMenu> submenu;
};

struct PopupMenu {
  int numbering = 0;     // 0 none, or 1, 2 or 3 digits of the 1-based position before each text
  int chosenItem = -1;   // set by the window layer when an item is picked
  std::vector<PopupMenuItem> items;

  void AddItem(const char* text, int flags = 0) {
    PopupMenuItem item;
    item.text = text ? text : "";
    item.flags = flags;
    items.push_back(std::move(item));
  }
};
