// The X11 editor's services beyond its window: clipboard, web addresses,
// message boxes, folders and the mouse cursor.
#include <dlfcn.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/Xatom.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "IGraphicsX11.h"
#include "X11Window.h"

extern char** environ;

namespace {

constexpr int kClipboardWaitMs = 1000;
constexpr long kClipboardMaxBytes = 1 << 16;

void CopyPath(const std::string& from, char* path, int size) {
  if (!path || size <= 0) return;
  const size_t n = from.size() < static_cast<size_t>(size - 1) ? from.size() : static_cast<size_t>(size - 1);
  std::memcpy(path, from.data(), n);
  path[n] = '\0';
}

std::string FolderOf(const std::string& file) {
  const size_t slash = file.rfind('/');
  return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

std::string Home() {
  const char* home = std::getenv("HOME");
  return home && home[0] ? home : "/tmp";
}

// XDG_DESKTOP_DIR from the user's user-dirs.dirs ("$HOME/..." or an absolute
// path), or ~/Desktop.
std::string DesktopFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const std::string dirs = (config && config[0] == '/' ? std::string(config) : Home() + "/.config") + "/user-dirs.dirs";
  std::ifstream in(dirs);
  std::string line;
  while (std::getline(in, line)) {
    const std::string key = "XDG_DESKTOP_DIR=\"";
    if (line.compare(0, key.size(), key) != 0) continue;
    std::string value = line.substr(key.size());
    const size_t quote = value.find('"');
    if (quote == std::string::npos) break;
    value.resize(quote);
    if (value.compare(0, 5, "$HOME") == 0) value = Home() + value.substr(5);
    if (!value.empty() && value[0] == '/') return value;
    break;
  }
  return Home() + "/Desktop";
}

// Web and mail addresses only; nothing a program would read as an option.
bool OpenableUrl(const char* url) {
  if (!url) return false;
  for (const char* p = url; *p; ++p)
    if (static_cast<unsigned char>(*p) < 32 || *p == 127) return false;
  return std::strncmp(url, "http://", 7) == 0 || std::strncmp(url, "https://", 8) == 0 ||
         std::strncmp(url, "mailto:", 7) == 0;
}

}  // namespace

// ---- Message boxes: printed, answered with the harmless choice ----

int IGraphicsX11::ShowMessageBox(const char* text, const char* caption, int type) {
  std::fprintf(stderr, "%s: %s\n", caption ? caption : "Velto", text ? text : "");
  constexpr int kOk = 1, kNo = 7, kYesNoTypes = 4;
  return (type & 0xF) == kYesNoTypes ? kNo : kOk;
}

bool IGraphicsX11::OpenURL(const char* url, const char* msgWindowTitle, const char* confirmMsg, const char* errMsg) {
  constexpr int kYes = 6, kYesNo = 4;
  if (confirmMsg && confirmMsg[0] && ShowMessageBox(confirmMsg, msgWindowTitle, kYesNo) != kYes) return false;
  bool started = false;
  if (OpenableUrl(url)) {
    if (urlChild_ > 0 && waitpid(urlChild_, nullptr, WNOHANG) != 0) urlChild_ = 0;
    char program[] = "xdg-open";
    char* argv[] = {program, const_cast<char*>(url), nullptr};
    pid_t pid = 0;
    started = posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) == 0;
    if (started) urlChild_ = pid;
  }
  if (!started && errMsg && errMsg[0]) ShowMessageBox(errMsg, msgWindowTitle, 0);
  return started;
}

// ---- Folders ----

void IGraphicsX11::HostPath(char* path, int size) {
  char exe[4096] = {};
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  CopyPath(n > 0 ? FolderOf(std::string(exe, static_cast<size_t>(n))) : std::string(), path, size);
}

void IGraphicsX11::PluginPath(char* path, int size) {
  Dl_info info{};
  const bool found = dladdr(reinterpret_cast<void*>(&IGraphicsX11::ForwardedEvent), &info) && info.dli_fname;
  CopyPath(found ? FolderOf(info.dli_fname) : std::string(), path, size);
}

void IGraphicsX11::DesktopPath(char* path, int size) { CopyPath(DesktopFolder(), path, size); }

void IGraphicsX11::AppDataPath(char* path, int size) {
  const char* data = std::getenv("XDG_DATA_HOME");
  CopyPath(data && data[0] == '/' ? std::string(data) : Home() + "/.local/share", path, size);
}

// No file or colour chooser of our own: both answer as cancelled.
bool IGraphicsX11::PromptForFile(char* path, int size, bool, const char*) {
  if (path && size > 0) path[0] = '\0';
  return false;
}

bool IGraphicsX11::PromptForColour(Colour*, const char*) { return false; }

// ---- Cursor ----

void IGraphicsX11::HideMouseCursor() {
  if (!x_ || savedCursorX_ >= 0) return;
  Window root = 0, child = 0;
  int rootX = 0, rootY = 0, x = 0, y = 0;
  unsigned int mask = 0;
  if (!XQueryPointer(x_->display, x_->window, &root, &child, &rootX, &rootY, &x, &y, &mask)) return;
  savedCursorX_ = rootX;
  savedCursorY_ = rootY;
  if (!x_->blankCursor) {
    char none[8] = {};
    const Pixmap bits = XCreateBitmapFromData(x_->display, x_->window, none, 8, 8);
    XColor black{};
    x_->blankCursor = XCreatePixmapCursor(x_->display, bits, bits, &black, &black, 0, 0);
    XFreePixmap(x_->display, bits);
  }
  XDefineCursor(x_->display, x_->window, x_->blankCursor);
  XFlush(x_->display);
}

void IGraphicsX11::ShowMouseCursor() {
  if (!x_ || savedCursorX_ < 0) return;
  XUndefineCursor(x_->display, x_->window);
  XWarpPointer(x_->display, None, DefaultRootWindow(x_->display), 0, 0, 0, 0, savedCursorX_, savedCursorY_);
  XFlush(x_->display);
  savedCursorX_ = savedCursorY_ = -1;
}

// ---- Clipboard: the CLIPBOARD selection as UTF8_STRING (or STRING) ----

bool IGraphicsX11::SetClipboardText(const char* text) {
  if (!x_ || !text) return false;
  clipboardText_ = text;
  XSetSelectionOwner(x_->display, x_->clipboard, x_->window, CurrentTime);
  return XGetSelectionOwner(x_->display, x_->clipboard) == x_->window;
}

bool IGraphicsX11::GetClipboardText(std::string& text) {
  if (!x_) return false;
  Display* d = x_->display;
  const Window owner = XGetSelectionOwner(d, x_->clipboard);
  if (owner == None) return false;
  if (owner == x_->window) {
    text = clipboardText_;
    return true;
  }
  XDeleteProperty(d, x_->window, x_->selectionProperty);
  XConvertSelection(d, x_->clipboard, x_->utf8String, x_->selectionProperty, x_->window, CurrentTime);
  XFlush(d);
  // Wait for the owner's answer; every other event stays queued for later.
  const long long deadline = X11NowMs() + kClipboardWaitMs;
  XEvent event;
  while (!XCheckTypedWindowEvent(d, x_->window, SelectionNotify, &event)) {
    const long long left = deadline - X11NowMs();
    if (left <= 0) return false;
    pollfd fd{ConnectionNumber(d), POLLIN, 0};
    poll(&fd, 1, static_cast<int>(left < 20 ? left : 20));
    XPending(d);  // reads what arrived into the queue
  }
  if (event.xselection.property == None) return false;
  Atom type = None;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  const int got = XGetWindowProperty(d, x_->window, x_->selectionProperty, 0, kClipboardMaxBytes / 4, True,
                                     AnyPropertyType, &type, &format, &items, &after, &data);
  const bool ok = got == Success && data && format == 8 && (type == x_->utf8String || type == XA_STRING) &&
                  after == 0;
  if (ok) text.assign(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), items));
  if (data) XFree(data);
  return ok;
}

void IGraphicsX11::AnswerSelectionRequest(void* e) {
  const XSelectionRequestEvent& request = static_cast<XEvent*>(e)->xselectionrequest;
  XEvent reply{};
  reply.xselection.type = SelectionNotify;
  reply.xselection.requestor = request.requestor;
  reply.xselection.selection = request.selection;
  reply.xselection.target = request.target;
  reply.xselection.time = request.time;
  reply.xselection.property = None;
  const Atom property = request.property != None ? request.property : request.target;
  Display* d = x_->display;
  X11ErrorTrap trap(d);  // the requestor may be gone already
  if (request.selection == x_->clipboard && request.owner == x_->window) {
    if (request.target == x_->targets) {
      Atom offered[3] = {x_->targets, x_->utf8String, XA_STRING};
      XChangeProperty(d, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<unsigned char*>(offered), 3);
      reply.xselection.property = property;
    } else if (request.target == x_->utf8String || request.target == XA_STRING) {
      XChangeProperty(d, request.requestor, property, request.target, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(clipboardText_.data()),
                      static_cast<int>(clipboardText_.size()));
      reply.xselection.property = property;
    }
  }
  XSendEvent(d, request.requestor, False, NoEventMask, &reply);
}
