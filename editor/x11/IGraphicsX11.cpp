#include "IGraphicsX11.h"

#include <X11/Xatom.h>
#include <X11/keysym.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <map>

#include "IControl.h"
#include "X11TextEntry.h"
#include "X11Window.h"

namespace {

// Two presses of the left button this close in time and place make a double click.
constexpr unsigned long kDoubleClickMs = 400;
constexpr int kDoubleClickDistance = 4;

// The editors with an open window, for events a host forwards by window id.
std::map<Window, IGraphicsX11*>& OpenEditors() {
  static std::map<Window, IGraphicsX11*> editors;
  return editors;
}

void ForwardedEventProc(XEvent* event) { IGraphicsX11::ForwardedEvent(event); }

MouseMods ModsOf(unsigned int state, unsigned int button, bool press) {
  MouseMods mods;
  mods.left = (state & Button1Mask) != 0 || (press && button == Button1);
  mods.right = (state & Button3Mask) != 0 || (press && button == Button3);
  mods.shift = (state & ShiftMask) != 0;
  mods.control = (state & ControlMask) != 0;
  mods.alt = (state & Mod1Mask) != 0;
  return mods;
}

// The editor's key codes: space, the arrows, digits and letters.
int KeyCodeOf(KeySym sym) {
  if (sym == XK_space) return 0;
  if (sym == XK_Up) return 1;
  if (sym == XK_Down) return 2;
  if (sym == XK_Left) return 3;
  if (sym == XK_Right) return 4;
  if (sym >= XK_0 && sym <= XK_9) return 5 + static_cast<int>(sym - XK_0);
  if (sym >= XK_a && sym <= XK_z) return 15 + static_cast<int>(sym - XK_a);
  if (sym >= XK_A && sym <= XK_Z) return 15 + static_cast<int>(sym - XK_A);
  return -1;
}

}  // namespace

IGraphicsX11::IGraphicsX11(IEffectBase* owner, int width, int height, int frameRate)
    : IGraphics(owner, width, height, frameRate) {}

IGraphicsX11::~IGraphicsX11() { CloseWindow(); }

bool IGraphicsX11::HasWindow() const {
  const char* display = std::getenv("DISPLAY");
  return display && display[0];
}

bool IGraphicsX11::IsWindowOpen() const { return x_ != nullptr; }

void* IGraphicsX11::WindowHandle() {
  return x_ ? reinterpret_cast<void*>(static_cast<uintptr_t>(x_->window)) : nullptr;
}

int IGraphicsX11::WindowEventFd() const { return x_ ? ConnectionNumber(x_->display) : -1; }

int IGraphicsX11::TickMilliseconds() const { return FrameRate() > 0 ? 1000 / FrameRate() : 33; }

bool IGraphicsX11::OpenWindow(void* parent) {
  if (x_) CloseWindow();
  if (!BackBuffer()) PrepDraw();
  auto x = std::make_unique<X11Window>();
  if (!x->Open(static_cast<Window>(reinterpret_cast<uintptr_t>(parent)), Width(), Height())) return false;
  // Hosts that forward their X events to plug-in windows find the handler
  // here: the address as two 32-bit items, low half first.
  const auto address = reinterpret_cast<uint64_t>(&ForwardedEventProc);
  long words[2] = {static_cast<long>(address & 0xFFFFFFFFu), static_cast<long>(address >> 32)};
  const Atom procAtom = XInternAtom(x->display, "_XEventProc", False);
  XChangeProperty(x->display, x->window, procAtom, procAtom, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(words), sizeof(void*) / 4);
  x_ = std::move(x);
  OpenEditors()[x_->window] = this;
  lastTickMs_ = 0;
  lastPressTime_ = 0;
  pressDispatched_ = false;
  FlagAllForRedraw();
  return true;
}

void IGraphicsX11::CloseWindow() {
  entry_.reset();
  if (urlChild_ > 0 && waitpid(urlChild_, nullptr, WNOHANG) != 0) urlChild_ = 0;
  if (!x_) return;
  OpenEditors().erase(x_->window);
  x_->Close();
  x_.reset();
}

void IGraphicsX11::ForwardedEvent(void* event) {
  if (!event) return;
  auto it = OpenEditors().find(static_cast<XEvent*>(event)->xany.window);
  if (it != OpenEditors().end()) it->second->WindowIdle();
}

void IGraphicsX11::WindowIdle() {
  if (urlChild_ > 0 && waitpid(urlChild_, nullptr, WNOHANG) != 0) urlChild_ = 0;
  if (!x_) return;
  HandleEvents();
  // A few milliseconds early counts as due: host timers of the same interval jitter.
  const long long now = X11NowMs();
  if (x_ && now - lastTickMs_ >= TickMilliseconds() - 5) {
    lastTickMs_ = now;
    Tick();
  }
}

void IGraphicsX11::HandleEvents() {
  while (x_ && XPending(x_->display) > 0) {
    XEvent event;
    XNextEvent(x_->display, &event);
    HandleEvent(&event);
  }
}

void IGraphicsX11::Tick() {
  if (!x_) return;
  if (entry_ && entry_->GetState() != X11TextEntry::kIdle) {
    const X11TextEntry::State state = entry_->GetState();
    if (state == X11TextEntry::kCancel || state == X11TextEntry::kCommit)
      CloseTextEntry(state == X11TextEntry::kCommit);
    else
      entry_->SetState(X11TextEntry::kIdle);
    return;
  }
  Rect r;
  if (CollectDirty(r)) {
    RedrawRegion(r);
    if (entry_) entry_->SetState(X11TextEntry::kPaintedAround);
  }
}

void IGraphicsX11::PresentRegion(const Rect& region) {
  if (!x_) return;
  if (entry_ && entry_->Area().Intersects(region)) PaintTextEntry();
  x_->Present(*BackBuffer(), entry_ ? region.Union(entry_->Area()) : region);
}

bool IGraphicsX11::MeasureAndDrawText(TextStyle& style, const char* text, Rect& r) {
  return DrawLabel(style, text, r, true);
}

void IGraphicsX11::ResizeWindow(int width, int height) {
  if (width == Width() && height == Height()) return;
  Resize(width, height);
  if (!x_) return;
  XResizeWindow(x_->display, x_->window, static_cast<unsigned>(width), static_cast<unsigned>(height));
  x_->MakeImage(width, height);
  RedrawRegion(Rect(0, 0, width, height));
}

// ---- Events ----

void IGraphicsX11::HandleEvent(void* e) {
  XEvent& event = *static_cast<XEvent*>(e);
  if (!x_) return;
  if (event.type == SelectionRequest) {
    AnswerSelectionRequest(&event);
    return;
  }
  if (event.type == SelectionClear) {
    clipboardText_.clear();
    return;
  }
  if (event.xany.window != x_->window) return;
  if (event.type == DestroyNotify && event.xdestroywindow.window == x_->window) {
    // The host destroyed its window, and ours with it: nothing may be drawn
    // into it any more.
    x_->windowGone = true;
    return;
  }
  if (x_->windowGone) return;
  switch (event.type) {
    case Expose: {
      const XExposeEvent& ex = event.xexpose;
      RedrawRegion(Rect(ex.x, ex.y, ex.x + ex.width, ex.y + ex.height));
      break;
    }
    case ButtonPress:
      HandleButton(&event, true);
      break;
    case ButtonRelease:
      HandleButton(&event, false);
      break;
    case MotionNotify: {
      const XMotionEvent& m = event.xmotion;
      if ((m.state & (Button1Mask | Button3Mask)) && !entry_)
        DispatchMouseDrag(m.x, m.y, ModsOf(m.state, 0, false));
      else if (!(m.state & (Button1Mask | Button3Mask)))
        DispatchMouseOver(m.x, m.y, ModsOf(m.state, 0, false));
      break;
    }
    case LeaveNotify:
      DispatchMouseOut();
      break;
    case KeyPress:
      HandleKey(&event);
      break;
    case FocusOut:
      // Focus moving elsewhere (not merely the pointer or a child) ends an entry unapplied.
      if (entry_ && event.xfocus.mode == NotifyNormal && event.xfocus.detail != NotifyPointer &&
          event.xfocus.detail != NotifyInferior)
        entry_->Escape();
      break;
    default:
      break;
  }
}

void IGraphicsX11::HandleButton(void* e, bool press) {
  const XButtonEvent& b = static_cast<XEvent*>(e)->xbutton;
  const MouseMods mods = ModsOf(b.state, b.button, press);
  if (b.button == Button4 || b.button == Button5) {
    if (!press) return;
    if (entry_) {
      entry_->Escape();
      return;
    }
    const int idx = ControlAt(b.x, b.y);
    if (IControl* control = GetControl(idx)) control->MouseWheel(b.x, b.y, mods, b.button == Button4 ? 1 : -1);
    return;
  }
  if (b.button != Button1 && b.button != Button2 && b.button != Button3) return;
  if (!press) {
    // Only a press the editor saw gets its release (a press that closed a
    // text entry or fell into it was not one).
    if (pressDispatched_ && b.button != Button2) {
      pressDispatched_ = false;
      DispatchMouseUp(b.x, b.y, ModsOf(b.state & ~(Button1Mask | Button3Mask), 0, false));
    }
    return;
  }
  if (entry_) {
    // A press inside the field belongs to the field; anywhere else it ends the entry.
    if (!entry_->Area().Contains(b.x, b.y)) entry_->PressInEditor();
    return;
  }
  pressDispatched_ = true;
  {
    X11ErrorTrap trap(x_->display);  // focus can only go to a viewable window
    XSetInputFocus(x_->display, x_->window, RevertToParent, b.time);
  }
  const bool doubleClick = b.button == Button1 && lastPressTime_ != 0 && b.time - lastPressTime_ <= kDoubleClickMs &&
                           std::abs(b.x - lastPressX_) <= kDoubleClickDistance &&
                           std::abs(b.y - lastPressY_) <= kDoubleClickDistance;
  if (doubleClick) {
    lastPressTime_ = 0;  // a third press starts again
    DispatchDoubleClick(b.x, b.y, mods);
  } else {
    lastPressTime_ = b.button == Button1 ? b.time : 0;
    lastPressX_ = b.x;
    lastPressY_ = b.y;
    DispatchMouseDown(b.x, b.y, mods);
  }
  if (releaseAfterMenu_) {
    // The menu's pointer grab took this press's release.
    releaseAfterMenu_ = false;
    pressDispatched_ = false;
    DispatchMouseUp(b.x, b.y, MouseMods());
  }
}

void IGraphicsX11::HandleKey(void* e) {
  XKeyEvent& k = static_cast<XEvent*>(e)->xkey;
  char chars[8] = {};
  KeySym sym = NoSymbol;
  const int n = XLookupString(&k, chars, sizeof chars, &sym, nullptr);
  if (entry_) {
    bool changed = false;
    if (sym == XK_Return || sym == XK_KP_Enter)
      entry_->Enter();
    else if (sym == XK_Escape)
      entry_->Escape();
    else if (sym == XK_BackSpace)
      changed = entry_->Backspace();
    else if (n == 1)
      changed = entry_->Type(chars[0]);
    if (changed) RedrawRegion(entry_->Area());
    return;
  }
  const int key = KeyCodeOf(sym);
  if (key >= 0 && DispatchKey(k.x, k.y, key)) return;
  // Keys the editor does not use belong to the host: send them on to its window.
  XEvent forward{};
  forward.xkey = k;
  forward.xkey.window = x_->parent;
  forward.xkey.subwindow = None;
  X11ErrorTrap trap(x_->display);
  XSendEvent(x_->display, x_->parent, True, KeyPressMask, &forward);
}

// ---- Text entry ----

void IGraphicsX11::CreateTextEntry(IControl* control, const TextStyle& style, const Rect& r, const char* text) {
  if (entry_ || !x_ || !control) return;
  entry_ = std::make_unique<X11TextEntry>(control, style, r, text, control->TextEntryLimit());
  RedrawRegion(entry_->Area());
}

void IGraphicsX11::CancelTextEntry() {
  if (entry_) CloseTextEntry(false);
}

void IGraphicsX11::CloseTextEntry(bool commit) {
  std::unique_ptr<X11TextEntry> entry = std::move(entry_);
  if (commit) CommitTextEntry(entry->Control(), entry->Text().c_str());
  if (x_) RedrawRegion(entry->Area());
}

void IGraphicsX11::PaintTextEntry() {
  TextStyle& style = entry_->Style();
  const Rect area = entry_->Area();
  FillArea(style.entryBackground, area);
  const Rect inner(area.left + 2, area.top, area.right - 2, area.bottom);
  Rect extent = inner;
  const char* text = entry_->Text().c_str();
  TextStyle look = style;
  look.cachedFont = nullptr;
  if (text[0] && DrawLabel(look, text, extent, true)) {
    extent.top = area.top + (area.H() - extent.H()) / 2;
    extent.bottom = extent.top + (extent.bottom - inner.top);
    if (entry_->AllSelected()) {
      FillArea(style.entryForeground, extent);
      look.colour = style.entryBackground;
    } else {
      look.colour = style.entryForeground;
    }
    Rect drawn = extent;
    DrawLabel(look, text, drawn);
  }
  // The caret after the text.
  const int caretX = text[0] ? extent.right : (inner.left + inner.right) / 2;
  if (!entry_->AllSelected())
    FillArea(style.entryForeground, Rect(caretX, area.top + 2, caretX + 1, area.bottom - 2));
}
