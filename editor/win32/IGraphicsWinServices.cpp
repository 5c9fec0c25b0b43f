// What the editor asks of the system beyond its window: message boxes, the
// browser, file and colour dialogs, folders, the cursor, the clipboard and
// the module's images.
#include "Win32Util.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wininet.h>

#include <cctype>
#include <cstring>
#include <vector>

#include "EditorDrawing.h"
#include "IGraphicsWin.h"
#include "PIX_Bitmap.h"

namespace {
struct ClassSearch {
  const char* className;
  HWND found;
};

BOOL CALLBACK FindByClass(HWND hwnd, LPARAM data) {
  auto* search = reinterpret_cast<ClassSearch*>(data);
  char name[256] = {};
  GetClassNameA(hwnd, name, sizeof name);
  if (std::strcmp(name, search->className) == 0) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

// The folder part of a module's file name, ending with the separator.
std::string ModuleFolder(HMODULE module) {
  char path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameA(module, path, sizeof path);
  if (n == 0 || n >= sizeof path) return std::string();
  std::string folder(path, n);
  const size_t slash = folder.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return std::string();
  return path;
}

UINT_PTR CALLBACK ColourHook(HWND dialog, UINT msg, WPARAM, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    const auto* cc = reinterpret_cast<const CHOOSECOLORA*>(lParam);
    if (cc && cc->lCustData) SetWindowTextA(dialog, reinterpret_cast<const char*>(cc->lCustData));
  }
  return 0;
}
}  // namespace

void* IGraphicsWin::MainWindow() {
  if (parentHwnd_) {
    HWND root = GetAncestor(static_cast<HWND>(parentHwnd_), GA_ROOT);
    if (root) {
      char name[256] = {};
      GetClassNameA(root, name, sizeof name);
      mainHwnd_ = root;
      mainClassName_ = name;
      return root;
    }
  }
  if (!mainClassName_.empty()) {
    ClassSearch search{mainClassName_.c_str(), nullptr};
    EnumWindows(FindByClass, reinterpret_cast<LPARAM>(&search));
    mainHwnd_ = search.found;
  }
  return mainHwnd_;
}

int IGraphicsWin::ShowMessageBox(const char* text, const char* caption, int type) {
  return MessageBoxA(static_cast<HWND>(MainWindow()), text ? text : "", caption ? caption : "",
                     static_cast<UINT>(type));
}

bool IGraphicsWin::OpenURL(const char* url, const char* msgWindowTitle, const char* confirmMsg, const char* errMsg) {
  if (!url || !url[0]) return false;
  if (confirmMsg && confirmMsg[0] && ShowMessageBox(confirmMsg, msgWindowTitle, MB_YESNO) != IDYES) return false;
  DWORD state = 0;
  if (InternetGetConnectedState(&state, 0)) {
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(static_cast<HWND>(hwnd_), "open", url, nullptr,
                                                                nullptr, SW_SHOWNORMAL));
    if (result > 32) return true;
  }
  if (errMsg && errMsg[0]) ShowMessageBox(errMsg, msgWindowTitle, MB_OK);
  return false;
}

void IGraphicsWin::HostPath(char* path, int size) { win32util::CopyText(ModuleFolder(nullptr), path, size); }

void IGraphicsWin::PluginPath(char* path, int size) {
  win32util::CopyText(ModuleFolder(static_cast<HMODULE>(instance_)), path, size);
}

void IGraphicsWin::DesktopPath(char* path, int size) {
  win32util::CopyText(ShellFolder(CSIDL_DESKTOPDIRECTORY), path, size);
}

void IGraphicsWin::AppDataPath(char* path, int size) {
  win32util::CopyText(ShellFolder(CSIDL_LOCAL_APPDATA), path, size);
}

bool IGraphicsWin::PromptForFile(char* path, int size, bool save, const char* extensions) {
  if (!path || size <= 1) return false;
  // "png jpg" becomes the pattern "*.png;*.jpg"; the first one is the default extension.
  std::string pattern, first;
  const std::string exts = extensions ? extensions : "";
  size_t start = 0;
  while (start < exts.size()) {
    size_t end = exts.find(' ', start);
    if (end == std::string::npos) end = exts.size();
    if (end > start) {
      const std::string ext = exts.substr(start, end - start);
      if (first.empty()) first = ext;
      if (!pattern.empty()) pattern += ';';
      pattern += "*." + ext;
    }
    start = end + 1;
  }
  // The filter holds pairs of texts ended by an empty text.
  std::vector<char> filter;
  if (!pattern.empty()) {
    for (int twice = 0; twice < 2; ++twice) {
      filter.insert(filter.end(), pattern.begin(), pattern.end());
      filter.push_back('\0');
    }
  }
  filter.push_back('\0');
  filter.push_back('\0');
  std::vector<char> file(static_cast<size_t>(size), '\0');
  std::strncpy(file.data(), path, file.size() - 1);
  const std::string desktop = ShellFolder(CSIDL_DESKTOPDIRECTORY);

  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = static_cast<HWND>(hwnd_);
  ofn.lpstrFilter = filter.data();
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = desktop.empty() ? nullptr : desktop.c_str();
  ofn.lpstrDefExt = first.empty() ? nullptr : first.c_str();
  ofn.Flags = save ? (OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST) : (OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
  const bool ok = save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
  win32util::CopyText(ok ? std::string(file.data()) : std::string(), path, size);
  return ok;
}

bool IGraphicsWin::PromptForColour(Colour* colour, const char* title) {
  if (!colour) return false;
  if (!customColours_) {
    customColours_.reset(new unsigned long[16]);
    for (int i = 0; i < 16; ++i) customColours_[i] = RGB(255, 255, 255);
  }
  COLORREF custom[16];
  for (int i = 0; i < 16; ++i) custom[i] = customColours_[i];
  CHOOSECOLORA cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = static_cast<HWND>(hwnd_);
  cc.rgbResult = win32util::ToColorRef(*colour);
  cc.lpCustColors = custom;
  cc.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR | (title && title[0] ? CC_ENABLEHOOK : 0);
  cc.lCustData = reinterpret_cast<LPARAM>(title);
  cc.lpfnHook = ColourHook;
  const bool ok = ChooseColorA(&cc);
  for (int i = 0; i < 16; ++i) customColours_[i] = custom[i];
  if (!ok) return false;
  colour->red = GetRValue(cc.rgbResult);
  colour->green = GetGValue(cc.rgbResult);
  colour->blue = GetBValue(cc.rgbResult);
  return true;
}

void IGraphicsWin::HideMouseCursor() {
  if (cursorHidden_) return;
  POINT p;
  if (GetCursorPos(&p)) {
    savedCursorX_ = p.x;
    savedCursorY_ = p.y;
  }
  ShowCursor(FALSE);
  cursorHidden_ = true;
}

void IGraphicsWin::ShowMouseCursor() {
  if (!cursorHidden_) return;
  if (savedCursorX_ >= 0 && savedCursorY_ >= 0) SetCursorPos(savedCursorX_, savedCursorY_);
  savedCursorX_ = savedCursorY_ = -1;
  ShowCursor(TRUE);
  cursorHidden_ = false;
}

PIX_IBitmap* IGraphicsWin::LoadPngResource(int resourceId, const char* name) {
  // Only names that end in ".png" (any case) are images of this module.
  const char* dot = name ? std::strrchr(name, '.') : nullptr;
  if (!dot) return nullptr;
  const char* ext = dot + 1;
  if (std::strlen(ext) != 3 || std::tolower(static_cast<unsigned char>(ext[0])) != 'p' ||
      std::tolower(static_cast<unsigned char>(ext[1])) != 'n' || std::tolower(static_cast<unsigned char>(ext[2])) != 'g')
    return nullptr;
  HMODULE module = static_cast<HMODULE>(instance_);
  HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(resourceId), "PNG");
  if (!info) return nullptr;
  const DWORD size = SizeofResource(module, info);
  HGLOBAL handle = LoadResource(module, info);
  if (!handle || size <= 7) return nullptr;
  const void* data = LockResource(handle);
  if (!data) return nullptr;
  return editor_drawing::DecodePng(static_cast<const unsigned char*>(data), size).release();
}

bool IGraphicsWin::GetClipboardText(std::string& text) {
  if (!IsClipboardFormatAvailable(CF_TEXT) || !OpenClipboard(static_cast<HWND>(hwnd_))) return false;
  bool got = false;
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    const SIZE_T capacity = GlobalSize(data);
    if (const char* p = static_cast<const char*>(GlobalLock(data))) {
      // The clipboard's bytes are not trusted to be terminated.
      size_t n = 0;
      while (n < capacity && p[n]) ++n;
      text.assign(p, n);
      got = true;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return got;
}

bool IGraphicsWin::SetClipboardText(const char* text) {
  const std::string value = text ? text : "";
  if (!OpenClipboard(static_cast<HWND>(hwnd_))) return false;
  bool ok = false;
  EmptyClipboard();
  if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, value.size() + 1)) {
    if (char* p = static_cast<char*>(GlobalLock(block))) {
      std::memcpy(p, value.c_str(), value.size() + 1);
      GlobalUnlock(block);
      ok = SetClipboardData(CF_TEXT, block) != nullptr;
    }
    if (!ok) GlobalFree(block);
  }
  CloseClipboard();
  return ok;
}
