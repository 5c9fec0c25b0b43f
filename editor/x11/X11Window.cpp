#include "X11Window.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "PIX_Bitmap.h"

namespace {

// The trap in force (one at a time, on the UI thread) and what it caught.
Display* trappedDisplay = nullptr;
int trappedErrors = 0;
int (*trappedPrevious)(Display*, XErrorEvent*) = nullptr;

int TrapHandler(Display* display, XErrorEvent* error) {
  if (display == trappedDisplay) {
    ++trappedErrors;
    return 0;
  }
  return trappedPrevious ? trappedPrevious(display, error) : 0;
}

// The back buffer's pixels are 32-bit words alpha, red, green, blue; the
// window's visual must read them as they are.
bool DirectVisual(const Visual* visual, int depth) {
  return visual && (depth == 24 || depth == 32) && visual->red_mask == 0xFF0000 &&
         visual->green_mask == 0xFF00 && visual->blue_mask == 0xFF;
}

}  // namespace

X11ErrorTrap::X11ErrorTrap(Display* display) : display_(display) {
  XSync(display_, False);
  trappedDisplay = display_;
  trappedErrors = 0;
  previous_ = XSetErrorHandler(TrapHandler);
  trappedPrevious = previous_;
}

bool X11ErrorTrap::Failed() {
  XSync(display_, False);
  return trappedErrors > 0;
}

X11ErrorTrap::~X11ErrorTrap() {
  XSync(display_, False);
  XSetErrorHandler(previous_);
  trappedDisplay = nullptr;
  trappedPrevious = nullptr;
}

long long X11NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool X11Window::Open(Window parentWindow, int width, int height) {
  if (parentWindow == 0 || width <= 0 || height <= 0) return false;
  display = XOpenDisplay(nullptr);
  if (!display) return false;
  const int screen = DefaultScreen(display);
  visual = DefaultVisual(display, screen);
  depth = DefaultDepth(display, screen);
  if (!DirectVisual(visual, depth)) {
    Close();
    return false;
  }
  parent = parentWindow;
  {
    X11ErrorTrap trap(display);
    XSetWindowAttributes attributes{};
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            KeyPressMask | KeyReleaseMask | FocusChangeMask | LeaveWindowMask |
                            StructureNotifyMask;
    attributes.background_pixmap = None;
    attributes.colormap = DefaultColormap(display, screen);
    window = XCreateWindow(display, parent, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                           depth, InputOutput, visual, CWEventMask | CWBackPixmap | CWColormap, &attributes);
    if (trap.Failed()) window = 0;
  }
  if (!window) {
    Close();
    return false;
  }
  gc = XCreateGC(display, window, 0, nullptr);
  clipboard = XInternAtom(display, "CLIPBOARD", False);
  utf8String = XInternAtom(display, "UTF8_STRING", False);
  targets = XInternAtom(display, "TARGETS", False);
  selectionProperty = XInternAtom(display, "VELTO_SELECTION", False);
  if (!MakeImage(width, height)) {
    Close();
    return false;
  }
  XMapWindow(display, window);
  XFlush(display);
  return true;
}

bool X11Window::MakeImage(int width, int height) {
  FreeImage();
  shm.shmid = -1;
  if (XShmQueryExtension(display)) {
    image = XShmCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &shm,
                            static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (image) {
      shm.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(image->bytes_per_line) * image->height, IPC_CREAT | 0600);
      if (shm.shmid >= 0) {
        shm.shmaddr = image->data = static_cast<char*>(shmat(shm.shmid, nullptr, 0));
        shm.readOnly = False;
        if (shm.shmaddr != reinterpret_cast<char*>(-1)) {
          X11ErrorTrap trap(display);
          XShmAttach(display, &shm);
          shmAttached = !trap.Failed();
        }
        // Marked for removal at once: it goes when the last user detaches,
        // even if the host crashes.
        shmctl(shm.shmid, IPC_RMID, nullptr);
      }
      if (!shmAttached) FreeImage();  // a remote server: fall back to plain images
    }
  }
  if (!image) {
    const size_t bytes = static_cast<size_t>(width) * height * 4;
    char* data = static_cast<char*>(std::calloc(1, bytes));
    if (!data) return false;
    image = XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0, data,
                         static_cast<unsigned>(width), static_cast<unsigned>(height), 32, width * 4);
    if (!image) {
      std::free(data);
      return false;
    }
  }
  return image->bits_per_pixel == 32;
}

void X11Window::FreeImage() {
  if (shmAttached) {
    XShmDetach(display, &shm);
    XSync(display, False);
    shmAttached = false;
  }
  if (shm.shmid >= 0 && shm.shmaddr && shm.shmaddr != reinterpret_cast<char*>(-1)) shmdt(shm.shmaddr);
  shm = XShmSegmentInfo{};
  shm.shmid = -1;
  if (image) {
    if (image->obdata) image->data = nullptr;  // the segment, already detached
    XDestroyImage(image);                      // frees a plain image's data
    image = nullptr;
  }
}

void X11Window::Present(PIX_IBitmap& back, const Rect& region) {
  if (!image || windowGone || back.IsEmpty()) return;
  const Rect r = region.Clip(Rect(0, 0, std::min(back.Width(), image->width), std::min(back.Height(), image->height)));
  if (r.CoversNothing()) return;
  for (int y = r.top; y < r.bottom; ++y) {
    const uint32_t* from = PIX_Row(back, y) + r.left;
    char* to = image->data + static_cast<ptrdiff_t>(y) * image->bytes_per_line + r.left * 4;
    std::memcpy(to, from, static_cast<size_t>(r.W()) * 4);
  }
  if (shmAttached)
    XShmPutImage(display, window, gc, image, r.left, r.top, r.left, r.top, static_cast<unsigned>(r.W()),
                 static_cast<unsigned>(r.H()), False);
  else
    XPutImage(display, window, gc, image, r.left, r.top, r.left, r.top, static_cast<unsigned>(r.W()),
              static_cast<unsigned>(r.H()));
  XFlush(display);
}

void X11Window::Close() {
  if (display) {
    FreeImage();
    if (blankCursor) XFreeCursor(display, blankCursor);
    if (gc) XFreeGC(display, gc);
    if (window && !windowGone) {
      X11ErrorTrap trap(display);  // the host may have destroyed its parent (and ours) already
      XDestroyWindow(display, window);
    }
    XCloseDisplay(display);
  }
  *this = X11Window{};
  shm.shmid = -1;
}
