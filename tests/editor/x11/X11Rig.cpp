#include "X11Rig.h"
#include "X11RunLoop.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <poll.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

#include "PIX_Bitmap.h"
#include "PIX_Png.h"
#include "PngWriter.h"

using namespace vst3;

namespace {

// Windows of other connections come and go while we look at them (a popup
// closing between listing and asking): the host's errors are not fatal.
int IgnoreHostErrors(Display*, XErrorEvent*) { return 0; }

long long NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// ---- VST2: effEditOpen with the parent's id, effEditIdle as the pump ----

class Vst2Editor : public EditorUnderTest {
 public:
  bool Load(std::string* error) {
    auto module = Vst2Module::Open(VELTO_VST2_MODULE, error);
    if (!module) return false;
    plug_ = Vst2Instance::Create(module, error);
    if (!plug_) return false;
    plug_->Dispatch(vst2::effOpen);
    plug_->Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, 44100.0f);
    plug_->Dispatch(vst2::effSetBlockSize, 0, 512);
    plug_->Dispatch(vst2::effMainsChanged, 0, 1);
    return true;
  }
  std::string Name() const override { return "vst2"; }
  bool Open(Window parent) override {
    return plug_->Dispatch(vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(parent))) == 1;
  }
  void Close() override { plug_->Dispatch(vst2::effEditClose); }
  void Pump() override { plug_->Dispatch(vst2::effEditIdle); }
  double Param(int idx) override { return plug_->GetParameter(idx); }
  void SetParam(int idx, double v) override { plug_->SetParameter(idx, static_cast<float>(v)); }
  void SelectPreset(int idx) override { plug_->Dispatch(vst2::effSetProgram, 0, idx); }
  void Process(const std::vector<double>& left, const std::vector<double>& right, int block) override {
    std::vector<double> inL = left, inR = right, outL(left.size()), outR(left.size());
    for (size_t start = 0; start < left.size(); start += block) {
      const int n = static_cast<int>(std::min<size_t>(block, left.size() - start));
      double* in[] = {inL.data() + start, inR.data() + start};
      double* out[] = {outL.data() + start, outR.data() + start};
      plug_->ProcessDouble(in, out, n);
    }
  }
  bool EditorSize(int* width, int* height) override {
    vst2::ERect* rect = nullptr;
    if (plug_->Dispatch(vst2::effEditGetRect, 0, 0, &rect) != 1 || !rect) return false;
    *width = rect->right - rect->left;
    *height = rect->bottom - rect->top;
    return true;
  }
  Vst2Instance& Instance() { return *plug_; }

 private:
  std::unique_ptr<Vst2Instance> plug_;
};

// ---- VST3: the view with a frame that offers a run loop ----

class Vst3Editor : public EditorUnderTest {
 public:
  ~Vst3Editor() override {
    if (view_) Close();
  }
  bool Load(std::string* error) {
    auto module = Vst3Module::Load(VELTO_VST3_BUNDLE, error);
    if (!module) return false;
    plug_ = Vst3Plugin::Create(module, error);
    return plug_ && plug_->Prepare(44100.0, 512, 2, error);
  }
  std::string Name() const override { return "vst3"; }
  bool Open(Window parent) override {
    view_ = plug_->Controller()->createView(kEditorViewName);
    if (!view_) return false;
    if (view_->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID) != kResultTrue) return false;
    view_->setFrame(&frame_);
    return view_->attached(reinterpret_cast<void*>(static_cast<uintptr_t>(parent)), kPlatformTypeX11EmbedWindowID) ==
           kResultOk;
  }
  void Close() override {
    if (!view_) return;
    view_->removed();
    view_->setFrame(nullptr);
    view_->release();
    view_ = nullptr;
  }
  void Pump() override { loop_.Turn(); }
  double Param(int idx) override { return plug_->GetParamNormalized(idx); }
  void SetParam(int idx, double v) override { plug_->SetParamNormalized(idx, v); }
  void SelectPreset(int idx) override { plug_->SelectPreset(idx); }
  void Process(const std::vector<double>& left, const std::vector<double>& right, int block) override {
    std::vector<double> outL(left.size()), outR(left.size());
    for (size_t start = 0; start < left.size(); start += block) {
      const int n = static_cast<int>(std::min<size_t>(block, left.size() - start));
      const double* in[] = {left.data() + start, right.data() + start};
      double* out[] = {outL.data() + start, outR.data() + start};
      plug_->Process(in, out, n);
    }
  }
  bool EditorSize(int* width, int* height) override {
    IPlugView* view = view_ ? view_ : plug_->Controller()->createView(kEditorViewName);
    if (!view) return false;
    ViewRect r{};
    const bool ok = view->getSize(&r) == kResultOk;
    if (view != view_) view->release();
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    return ok;
  }
  TestRunLoop& Loop() { return loop_; }
  IPlugView* View() { return view_; }
  Vst3Plugin& Plugin() { return *plug_; }

 private:
  std::unique_ptr<Vst3Plugin> plug_;
  TestRunLoop loop_;
  TestFrame frame_{&loop_};
  IPlugView* view_ = nullptr;
};

KeySym KeySymOf(char c) {
  if (c >= '0' && c <= '9') return XK_0 + (c - '0');
  if (c >= 'a' && c <= 'z') return XK_a + (c - 'a');
  switch (c) {
    case '.': return XK_period;
    case '-': return XK_minus;
    case ' ': return XK_space;
    case '\n': return XK_Return;
    default: return NoSymbol;
  }
}

}  // namespace

std::unique_ptr<EditorUnderTest> OpenVst2Module() {
  auto editor = std::make_unique<Vst2Editor>();
  std::string error;
  return editor->Load(&error) ? std::move(editor) : nullptr;
}

std::unique_ptr<EditorUnderTest> OpenVst3Module() {
  auto editor = std::make_unique<Vst3Editor>();
  std::string error;
  return editor->Load(&error) ? std::move(editor) : nullptr;
}

// ---- The clipboard of another program ----

struct X11Rig::ClipboardOwner {
  Display* display = nullptr;
  Window window = 0;
  std::string text;
  std::atomic<bool> stop{false};
  std::thread thread;

  ~ClipboardOwner() {
    stop = true;
    if (thread.joinable()) thread.join();
    if (display) XCloseDisplay(display);
  }
  void Serve() {
    const Atom targets = XInternAtom(display, "TARGETS", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    while (!stop) {
      pollfd p{ConnectionNumber(display), POLLIN, 0};
      poll(&p, 1, 10);
      while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != SelectionRequest) continue;
        const XSelectionRequestEvent& r = event.xselectionrequest;
        XEvent reply{};
        reply.xselection.type = SelectionNotify;
        reply.xselection.requestor = r.requestor;
        reply.xselection.selection = r.selection;
        reply.xselection.target = r.target;
        reply.xselection.time = r.time;
        reply.xselection.property = r.property;
        if (r.target == targets) {
          Atom offered[] = {targets, utf8};
          XChangeProperty(display, r.requestor, r.property, XA_ATOM, 32, PropModeReplace,
                          reinterpret_cast<unsigned char*>(offered), 2);
        } else if (r.target == utf8 || r.target == XA_STRING) {
          XChangeProperty(display, r.requestor, r.property, r.target, 8, PropModeReplace,
                          reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
        } else {
          reply.xselection.property = None;
        }
        XSendEvent(display, r.requestor, False, NoEventMask, &reply);
        XFlush(display);
      }
    }
  }
};

bool X11Rig::OwnClipboard(const std::string& text) {
  clipboard_.reset();
  auto owner = std::make_unique<ClipboardOwner>();
  owner->display = XOpenDisplay(nullptr);
  if (!owner->display) return false;
  owner->text = text;
  owner->window = XCreateSimpleWindow(owner->display, DefaultRootWindow(owner->display), 0, 0, 1, 1, 0, 0, 0);
  const Atom clipboard = XInternAtom(owner->display, "CLIPBOARD", False);
  XSetSelectionOwner(owner->display, clipboard, owner->window, CurrentTime);
  const bool owned = XGetSelectionOwner(owner->display, clipboard) == owner->window;
  XSync(owner->display, False);
  ClipboardOwner* raw = owner.get();
  owner->thread = std::thread([raw] { raw->Serve(); });
  clipboard_ = std::move(owner);
  return owned;
}

// ---- The screen ----

X11Rig::X11Rig() {
  static const bool threads = XInitThreads() != 0;  // the clipboard owner runs on a thread of its own
  (void)threads;
  XSetErrorHandler(IgnoreHostErrors);
  host_ = XOpenDisplay(nullptr);
  person_ = XOpenDisplay(nullptr);
  if (!host_ || !person_) return;
  int event = 0, error = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(person_, &event, &error, &major, &minor)) return;
  parent_ = XCreateSimpleWindow(host_, DefaultRootWindow(host_), 20, 20, 400, 524, 0, 0, 0);
  XSelectInput(host_, parent_, StructureNotifyMask);
  XMapWindow(host_, parent_);
  XEvent e;
  do XWindowEvent(host_, parent_, StructureNotifyMask, &e);
  while (e.type != MapNotify);
  Window child = 0;
  XTranslateCoordinates(host_, parent_, DefaultRootWindow(host_), 0, 0, &originX_, &originY_, &child);
}

X11Rig::~X11Rig() {
  clipboard_.reset();
  if (host_) {
    if (parent_) XDestroyWindow(host_, parent_);
    XCloseDisplay(host_);
  }
  if (person_) XCloseDisplay(person_);
}

Window X11Rig::EditorWindow() {
  Window root = 0, parent = 0, *children = nullptr;
  unsigned int n = 0;
  if (!XQueryTree(host_, parent_, &root, &parent, &children, &n)) return 0;
  const Window w = n > 0 ? children[0] : 0;
  if (children) XFree(children);
  return w;
}

int X11Rig::CountChildren() {
  Window root = 0, parent = 0, *children = nullptr;
  unsigned int n = 0;
  if (!XQueryTree(host_, parent_, &root, &parent, &children, &n)) return -1;
  if (children) XFree(children);
  return static_cast<int>(n);
}

std::vector<Window> X11Rig::MappedPopups() {
  std::vector<Window> popups;
  Window root = 0, parent = 0, *children = nullptr;
  unsigned int n = 0;
  if (!XQueryTree(host_, DefaultRootWindow(host_), &root, &parent, &children, &n)) return popups;
  for (unsigned int i = 0; i < n; ++i) {
    XWindowAttributes a{};
    if (XGetWindowAttributes(host_, children[i], &a) && a.override_redirect && a.map_state == IsViewable)
      popups.push_back(children[i]);
  }
  if (children) XFree(children);
  return popups;
}

void X11Rig::MoveTo(int x, int y) {
  XTestFakeMotionEvent(person_, DefaultScreen(person_), originX_ + x, originY_ + y, CurrentTime);
  Sync();
}

void X11Rig::ClickOnScreen(int x, int y, int button) {
  XTestFakeMotionEvent(person_, DefaultScreen(person_), x, y, CurrentTime);
  Press(button);
  Release(button);
}

void X11Rig::Press(int button) {
  XTestFakeButtonEvent(person_, static_cast<unsigned>(button), True, CurrentTime);
  Sync();
}

void X11Rig::Release(int button) {
  XTestFakeButtonEvent(person_, static_cast<unsigned>(button), False, CurrentTime);
  Sync();
}

void X11Rig::Click(int x, int y, int button) {
  MoveTo(x, y);
  Press(button);
  Release(button);
}

void X11Rig::Drag(int x1, int y1, int x2, int y2, int button) {
  MoveTo(x1, y1);
  Press(button);
  MoveTo(x2, y2);
  Release(button);
}

void X11Rig::Wheel(int x, int y, int notches) {
  MoveTo(x, y);
  const int button = notches > 0 ? 4 : 5;
  for (int i = 0; i < (notches > 0 ? notches : -notches); ++i) {
    Press(button);
    Release(button);
  }
}

void X11Rig::HoldKey(unsigned long keysym, bool down) {
  XTestFakeKeyEvent(person_, XKeysymToKeycode(person_, keysym), down ? True : False, CurrentTime);
  Sync();
}

void X11Rig::KeyTap(unsigned long keysym) {
  HoldKey(keysym, true);
  HoldKey(keysym, false);
}

void X11Rig::Type(const std::string& text) {
  for (char c : text)
    if (KeySymOf(c) != NoSymbol) KeyTap(KeySymOf(c));
}

void X11Rig::Sync() { XSync(person_, False); }

bool X11Rig::PumpUntil(EditorUnderTest& editor, const std::function<bool()>& done, int timeoutMs) {
  const long long end = NowMs() + timeoutMs;
  while (NowMs() < end) {
    editor.Pump();
    if (done()) return true;
    poll(nullptr, 0, 5);
  }
  editor.Pump();
  return done();
}

void X11Rig::PumpFor(EditorUnderTest& editor, int milliseconds) {
  const long long end = NowMs() + milliseconds;
  while (NowMs() < end) {
    editor.Pump();
    poll(nullptr, 0, 5);
  }
}

std::vector<uint32_t> X11Rig::Screenshot(int* width, int* height) {
  std::vector<uint32_t> pixels;
  const Window editor = EditorWindow();
  XWindowAttributes a{};
  if (!editor || !XGetWindowAttributes(host_, editor, &a)) return pixels;
  XImage* image = XGetImage(host_, editor, 0, 0, static_cast<unsigned>(a.width), static_cast<unsigned>(a.height),
                            AllPlanes, ZPixmap);
  if (!image) return pixels;
  *width = a.width;
  *height = a.height;
  pixels.resize(static_cast<size_t>(a.width) * a.height);
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x) pixels[static_cast<size_t>(y) * a.width + x] = XGetPixel(image, x, y) & 0xFFFFFF;
  XDestroyImage(image);
  return pixels;
}

bool WriteScreenshot(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height) {
  PIX_MemBitmap bitmap(width, height);
  if (bitmap.IsEmpty()) return false;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) PIX_Row(bitmap, y)[x] = 0xFF000000u | pixels[static_cast<size_t>(y) * width + x];
  return WritePngFile(path.c_str(), bitmap);
}

std::vector<uint32_t> ReadPicture(const std::string& path, int* width, int* height) {
  std::vector<uint32_t> pixels;
  std::unique_ptr<PIX_MemBitmap> picture = PIX_LoadPngFromFile(path.c_str());
  if (!picture || picture->IsEmpty()) return pixels;
  *width = picture->Width();
  *height = picture->Height();
  pixels.resize(static_cast<size_t>(*width) * *height);
  for (int y = 0; y < *height; ++y)
    for (int x = 0; x < *width; ++x) pixels[static_cast<size_t>(y) * *width + x] = PIX_Row(*picture, y)[x] & 0xFFFFFF;
  return pixels;
}
