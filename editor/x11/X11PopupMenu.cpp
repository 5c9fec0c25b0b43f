// The X11 editor's popup menu: an override-redirect window below the
// control, drawn by the editor, held with a pointer grab until an item is
// picked or the user clicks elsewhere (or presses Escape).
#include <poll.h>

#include <X11/keysym.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "EditorCaches.h"
#include "EditorDrawing.h"
#include "IGraphicsX11.h"
#include "PIX_Bitmap.h"
#include "PIX_SysBitmap.h"
#include "X11Window.h"

namespace {

constexpr int kRowHeight = 18;
constexpr int kTextIndent = 20;  // room for the check mark
constexpr int kSubmenuIndent = 12;
const Colour kMenuBack(255, 240, 240, 240);
const Colour kMenuText(255, 0, 0, 0);
const Colour kMenuGrayed(255, 150, 150, 150);
const Colour kMenuHighlight(255, 50, 100, 190);
const Colour kMenuHighlightText(255, 255, 255, 255);
const Colour kMenuFrame(255, 110, 110, 110);

// One row of the menu; items of submenus follow their parent's row, indented.
struct Row {
  PopupMenu* menu;
  int item;  // index in menu->items
  std::string text;
  int depth;
  bool pickable;
  bool checked;
  bool separator;
};

void AddRows(PopupMenu* menu, int depth, std::vector<Row>& rows) {
  const int count = static_cast<int>(menu->items.size());
  for (int i = 0; i < count; ++i) {
    const PopupMenuItem& item = menu->items[i];
    std::string text = item.text;
    if (menu->numbering >= 1 && menu->numbering <= 3) {
      static const char* const kFormats[] = {"%1d: %s", "%02d: %s", "%03d: %s"};
      char numbered[512];
      std::snprintf(numbered, sizeof numbered, kFormats[menu->numbering - 1], i + 1, item.text.c_str());
      text = numbered;
    }
    const bool separator = (item.flags & kItemSeparator) != 0;
    const bool pickable = !separator && !item.submenu && !(item.flags & (kItemGrayed | kItemDisabled));
    rows.push_back({menu, i, text, depth, pickable, (item.flags & kItemChecked) != 0, separator});
    if (item.submenu) AddRows(item.submenu.get(), depth + 1, rows);
  }
}

void PaintMenu(PIX_IBitmap& bitmap, TextStyle& style, const std::vector<Row>& rows, int highlighted) {
  const int w = bitmap.Width(), h = bitmap.Height();
  editor_drawing::Fill(&bitmap, Rect(0, 0, w, h), kMenuFrame, BlendSpec(kBlendCopy));
  editor_drawing::Fill(&bitmap, Rect(1, 1, w - 1, h - 1), kMenuBack, BlendSpec(kBlendCopy));
  for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
    const Row& row = rows[i];
    const int top = 1 + i * kRowHeight;
    if (row.separator) {
      editor_drawing::RowLine(&bitmap, top + kRowHeight / 2, 4, w - 5, kMenuGrayed);
      continue;
    }
    const bool lit = i == highlighted && row.pickable;
    if (lit) editor_drawing::Fill(&bitmap, Rect(1, top, w - 1, top + kRowHeight), kMenuHighlight, BlendSpec(kBlendCopy));
    const Colour ink = lit ? kMenuHighlightText : row.pickable ? kMenuText : kMenuGrayed;
    const int left = kTextIndent + row.depth * kSubmenuIndent;
    if (row.checked) editor_drawing::Fill(&bitmap, Rect(7, top + 6, 13, top + 12), ink, BlendSpec(kBlendCopy));
    if (!style.cachedFont || row.text.empty()) continue;
    Rect r(left, top, w - 4, top + kRowHeight);
    editor_drawing::Text(style.cachedFont, &bitmap, row.text.c_str(), ink, kAlignLeft, r, false);
  }
}

int RowAt(int y, int count) {
  if (y < 1) return -1;
  const int row = (y - 1) / kRowHeight;
  return row < count ? row : -1;
}

}  // namespace

PopupMenu* IGraphicsX11::ShowPopupMenu(PopupMenu* menu, const Rect& r) {
  if (!x_ || !menu || menu->items.empty()) return nullptr;
  Display* d = x_->display;
  std::vector<Row> rows;
  AddRows(menu, 0, rows);

  TextStyle style(13, kMenuText, "DejaVu Sans", kStyleNormal, kAlignLeft);
  style.cachedFont = FontCache::Instance().FontFor(style);
  int textWidth = 60;
  for (const Row& row : rows) {
    Rect extent(0, 0, 0, 0);
    if (style.cachedFont && !row.text.empty() &&
        editor_drawing::Text(style.cachedFont, nullptr, row.text.c_str(), kMenuText, kAlignLeft, extent, true))
      textWidth = std::max(textWidth, extent.W() + row.depth * kSubmenuIndent);
  }
  const int width = kTextIndent + textWidth + 16;
  const int height = static_cast<int>(rows.size()) * kRowHeight + 2;

  // Below the rect's left-bottom corner, kept on the screen.
  Window child = 0;
  int sx = 0, sy = 0;
  const Window root = DefaultRootWindow(d);
  XTranslateCoordinates(d, x_->window, root, r.left, r.bottom, &sx, &sy, &child);
  const int screenW = DisplayWidth(d, DefaultScreen(d)), screenH = DisplayHeight(d, DefaultScreen(d));
  sx = std::max(0, std::min(sx, screenW - width));
  if (sy + height > screenH) sy = std::max(0, sy - r.H() - height);

  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  attributes.save_under = True;
  attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask;
  const Window popup = XCreateWindow(d, root, sx, sy, static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                                     x_->depth, InputOutput, x_->visual,
                                     CWOverrideRedirect | CWSaveUnder | CWEventMask, &attributes);
  XMapRaised(d, popup);
  XSync(d, False);
  bool grabbed = false;
  for (int attempt = 0; attempt < 20 && !grabbed; ++attempt) {
    // Every pointer event comes to the menu, in its coordinates, wherever
    // the pointer is (a press outside it closes it).
    grabbed = XGrabPointer(d, popup, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                           GrabModeAsync, None, None, CurrentTime) == GrabSuccess;
    if (!grabbed) poll(nullptr, 0, 10);
  }
  if (grabbed) XGrabKeyboard(d, popup, False, GrabModeAsync, GrabModeAsync, CurrentTime);

  std::unique_ptr<PIX_SysBitmap> bitmap = editor_drawing::NewSysBitmap(width, height);
  XImage* image = XCreateImage(d, x_->visual, static_cast<unsigned>(x_->depth), ZPixmap, 0, nullptr,
                               static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
  auto show = [&](int highlighted) {
    if (!image || !bitmap || bitmap->IsEmpty()) return;
    PaintMenu(*bitmap, style, rows, highlighted);
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) std::copy_n(PIX_Row(*bitmap, y), width, &pixels[static_cast<size_t>(y) * width]);
    image->data = reinterpret_cast<char*>(pixels.data());
    image->bytes_per_line = width * 4;
    XPutImage(d, popup, x_->gc, image, 0, 0, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XFlush(d);
    image->data = nullptr;
  };

  int highlighted = -1;
  int chosen = -1;
  bool done = !grabbed;  // without the pointer the menu could never be closed
  bool pressedInside = false;
  while (!done) {
    XEvent event;
    XNextEvent(d, &event);
    if (event.xany.window != popup) continue;  // the editor repaints fully afterwards
    switch (event.type) {
      case Expose:
        if (event.xexpose.count == 0) show(highlighted);
        break;
      case MotionNotify: {
        const int row = RowAt(event.xmotion.y, static_cast<int>(rows.size()));
        const bool inside = event.xmotion.x >= 0 && event.xmotion.x < width;
        const int now = inside ? row : -1;
        if (now != highlighted) show(highlighted = now);
        break;
      }
      case ButtonPress:
      case ButtonRelease: {
        const XButtonEvent& b = event.xbutton;
        const bool inside = b.x >= 0 && b.x < width && b.y >= 0 && b.y < height;
        if (b.button != Button1 && b.button != Button3) {
          if (event.type == ButtonPress && !inside) done = true;
          break;
        }
        if (event.type == ButtonPress) {
          pressedInside = inside;
          if (!inside) done = true;
          break;
        }
        // A release over an item picks it once the menu has seen a press
        // inside, so the release of the press that opened the menu does not.
        const int row = inside ? RowAt(b.y, static_cast<int>(rows.size())) : -1;
        if (pressedInside && row >= 0 && rows[row].pickable) {
          chosen = row;
          done = true;
        }
        break;
      }
      case KeyPress: {
        const KeySym sym = XLookupKeysym(&event.xkey, 0);
        if (sym == XK_Escape) done = true;
        break;
      }
      default:
        break;
    }
  }
  if (grabbed) {
    XUngrabKeyboard(d, CurrentTime);
    XUngrabPointer(d, CurrentTime);
  }
  if (image) XDestroyImage(image);
  XDestroyWindow(d, popup);
  XFlush(d);
  releaseAfterMenu_ = true;
  RedrawRegion(Rect(0, 0, Width(), Height()));
  if (chosen < 0) return nullptr;
  rows[chosen].menu->chosenItem = rows[chosen].item;
  return rows[chosen].menu;
}
