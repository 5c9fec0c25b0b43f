#pragma once
// The X side of one open editor window, shared by the files of the X11 layer.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include "EditorTypes.h"

class PIX_IBitmap;

struct X11Window {
  Display* display = nullptr;
  Window parent = 0;
  Window window = 0;
  Visual* visual = nullptr;
  int depth = 0;
  GC gc = nullptr;
  XImage* image = nullptr;  // the editor-sized image the back buffer is copied into
  XShmSegmentInfo shm{};    // shmid -1: a plain client-side image
  bool shmAttached = false;
  Cursor blankCursor = 0;
  Atom clipboard = 0;
  Atom utf8String = 0;
  Atom targets = 0;
  Atom selectionProperty = 0;
  bool windowGone = false;  // destroyed with the host's window

  // Opens the connection and maps a child window of parent; false (with
  // everything undone) when the display, the visual or the parent is unusable.
  bool Open(Window parentWindow, int width, int height);
  void Close();
  // (Re)creates the image for a new editor size.
  bool MakeImage(int width, int height);
  void FreeImage();
  // Copies the region of the back buffer into the image and onto the window.
  void Present(PIX_IBitmap& back, const Rect& region);
};

// Runs X requests with errors caught instead of handed to the host's
// handler (whose default ends the process): construct, make the calls,
// then Failed() syncs and tells whether any of them failed.
class X11ErrorTrap {
 public:
  explicit X11ErrorTrap(Display* display);
  ~X11ErrorTrap();
  bool Failed();

 private:
  Display* display_;
  int (*previous_)(Display*, XErrorEvent*);
};

// Milliseconds on the monotonic clock.
long long X11NowMs();
