// The in-place value entry (a subclassed EDIT child) and the popup menus.
#include <cstdio>
#include <vector>

#include "IControl.h"
#include "IEffectParam.h"
#include "IGraphicsWin.h"
#include "WinProcs.h"

void IGraphicsWin::CreateTextEntry(IControl* control, const TextStyle& style, const Rect& r, const char* text) {
  HWND hwnd = static_cast<HWND>(hwnd_);
  if (entryHwnd_ || !hwnd || !control) return;
  DWORD align = ES_CENTER;
  if (style.align == kAlignLeft) align = ES_LEFT;
  if (style.align == kAlignRight) align = ES_RIGHT;
  // The box covers the rect including its right and bottom edges. It is a
  // one-line box that scrolls sideways: a centred multi-line box cannot
  // scroll and refuses every character past its width, which under a small
  // knob turns "2000" into "200". Enter reaches the entry procedure either way.
  const DWORD windowStyle = WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | align;
  HWND edit = CreateWindowExA(0, "EDIT", text ? text : "", windowStyle, r.left, r.top, r.right - r.left + 1, r.bottom - r.top + 1, hwnd,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEntryControlId)),
                              static_cast<HINSTANCE>(instance_), nullptr);
  if (!edit) return;
  HFONT font = CreateFontA(style.size, 0, 0, 0, style.style == kStyleBold ? FW_BOLD : FW_NORMAL,
                           style.style == kStyleItalic, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, style.fontName);
  entryHwnd_ = edit;
  entryFont_ = font;
  entryBrush_ = CreateSolidBrush(win32util::ToColorRef(control->Style().entryBackground));
  entryControl_ = control;
  entryParamIdx_ = control->ParamIdx();
  if (font) SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendMessageA(edit, EM_SETSEL, 0, -1);
  SendMessageA(edit, EM_LIMITTEXT, static_cast<WPARAM>(control->TextEntryLimit()), 0);
  SetWindowLongPtrA(edit, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  entryPrevProc_ = SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(IGraphicsWinProcs::EntryProc));
  SetFocus(edit);
}

void IGraphicsWin::CancelTextEntry() {
  if (entryHwnd_) DestroyTextEntry(false);
}

void IGraphicsWin::DestroyTextEntry(bool commit) {
  HWND edit = static_cast<HWND>(entryHwnd_);
  if (!edit) return;
  if (commit) CommitEntryText();
  SetWindowLongPtrA(edit, GWLP_WNDPROC, entryPrevProc_);
  SetWindowLongPtrA(edit, GWLP_USERDATA, 0);
  entryHwnd_ = nullptr;
  DestroyWindow(edit);
  if (entryFont_) DeleteObject(static_cast<HFONT>(entryFont_));
  if (entryBrush_) DeleteObject(static_cast<HBRUSH>(entryBrush_));
  entryFont_ = entryBrush_ = nullptr;
  entryControl_ = nullptr;
  entryParamIdx_ = -1;
  entryPrevProc_ = 0;
  entryState_ = kEntryNone;
}

void IGraphicsWin::CommitEntryText() {
  char text[33] = {};
  GetWindowTextA(static_cast<HWND>(entryHwnd_), text, sizeof text);
  // The control must still stand for the parameter the entry was opened
  // for; the core reads its current range and the control's clamp range.
  if (!entryControl_ || entryControl_->ParamIdx() != entryParamIdx_) return;
  CommitTextEntry(entryControl_, text);
}

LRESULT CALLBACK IGraphicsWinProcs::EntryProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* gui = reinterpret_cast<IGraphicsWin*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!gui || gui->entryHwnd_ != hwnd) return DefWindowProcA(hwnd, msg, wParam, lParam);
  const auto previous = reinterpret_cast<WNDPROC>(gui->entryPrevProc_);
  switch (msg) {
    case WM_SETFOCUS:
      gui->entryState_ = IGraphicsWin::kEntryFocused;
      break;
    case WM_KILLFOCUS:
      gui->entryState_ = IGraphicsWin::kEntryCancel;
      break;
    case WM_GETDLGCODE:
      if (wParam == VK_RETURN) return DLGC_WANTALLKEYS;
      break;
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) {
        gui->entryState_ = IGraphicsWin::kEntryCommit;
        return 0;
      }
      break;
    case WM_CHAR: {
      if (wParam == VK_BACK) break;
      const IEffectParam* param = gui->entryControl_ ? gui->entryControl_->Param() : nullptr;
      if (!param) break;
      const bool digitOrSign = (wParam >= '0' && wParam <= '9') || wParam == '-' || wParam == '+';
      const bool real = param->Type() == kParamDouble;
      if (digitOrSign || (real && wParam == '.')) break;
      return 0;  // swallowed
    }
    default:
      break;
  }
  return CallWindowProcA(previous, hwnd, msg, wParam, lParam);
}

// ---- Popup menus ----

namespace {
struct MenuEntry {
  PopupMenu* menu;
  int item;
};

// Item ids run 1, 2, ... over every item, submenus and their items included.
HMENU BuildMenu(PopupMenu* menu, std::vector<MenuEntry>& ids) {
  HMENU h = CreatePopupMenu();
  if (!h) return nullptr;
  const int count = static_cast<int>(menu->items.size());
  for (int i = 0; i < count; ++i) {
    PopupMenuItem& item = menu->items[i];
    ids.push_back({menu, i});
    const UINT id = static_cast<UINT>(ids.size());
    std::string text = item.text;
    char numbered[512];
    if (menu->numbering >= 1 && menu->numbering <= 3) {
      const char* format = menu->numbering == 1 ? "%1d: %s" : menu->numbering == 2 ? "%02d: %s" : "%03d: %s";
      std::snprintf(numbered, sizeof numbered, format, i + 1, item.text.c_str());
      text = numbered;
    }
    if (item.flags & kItemSeparator) {
      AppendMenuA(h, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT flags = MF_STRING;
    if (item.flags & kItemGrayed) flags |= MF_GRAYED;
    if (item.flags & kItemDisabled) flags |= MF_DISABLED;
    if (item.flags & kItemChecked) flags |= MF_CHECKED;
    if (item.submenu) {
      HMENU sub = BuildMenu(item.submenu.get(), ids);
      AppendMenuA(h, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), text.c_str());
    } else {
      AppendMenuA(h, flags, id, text.c_str());
    }
  }
  return h;
}
}  // namespace

PopupMenu* IGraphicsWin::ShowPopupMenu(PopupMenu* menu, const Rect& r) {
  HWND hwnd = static_cast<HWND>(hwnd_);
  // The press that opened the menu never gets its release.
  DispatchMouseOut();
  if (GetCapture() == hwnd) ReleaseCapture();
  ClearCapture();
  if (!menu || !hwnd) return nullptr;
  std::vector<MenuEntry> ids;
  HMENU h = BuildMenu(menu, ids);
  if (!h) return nullptr;
  POINT p{r.left, r.bottom};
  ClientToScreen(hwnd, &p);
  PopupMenu* chosen = nullptr;
  if (TrackPopupMenu(h, TPM_LEFTBUTTON, p.x, p.y, 0, hwnd, nullptr)) {
    MSG msg;
    if (PeekMessageA(&msg, hwnd, WM_COMMAND, WM_COMMAND, PM_REMOVE)) {
      const int id = LOWORD(msg.wParam);
      if (id >= 1 && id <= static_cast<int>(ids.size())) {
        chosen = ids[id - 1].menu;
        chosen->chosenItem = ids[id - 1].item;
      }
    }
  }
  DestroyMenu(h);
  InvalidateRect(hwnd, nullptr, FALSE);
  return chosen;
}
