#include "IGraphicsHeadless.h"

#include <algorithm>
#include <cstring>

#include "EditorDrawing.h"
#include "IControl.h"
#include "PIX_Bitmap.h"

void IGraphicsHeadless::AddPngResource(int resourceId, const unsigned char* data, size_t length) {
  if (!data) return;
  pngResources_[resourceId].assign(data, data + length);
}

void IGraphicsHeadless::AddPngResource(int resourceId, const std::vector<unsigned char>& bytes) {
  pngResources_[resourceId] = bytes;
}

Rect IGraphicsHeadless::Tick() {
  Rect r;
  if (!CollectDirty(r)) return Rect();
  RedrawRegion(r);
  return r;
}

bool IGraphicsHeadless::MeasureAndDrawText(TextStyle& style, const char* text, Rect& r) {
  return DrawLabel(style, text, r, true);
}

void IGraphicsHeadless::ResizeWindow(int width, int height) {
  ++resizes;
  Resize(width, height);
}

int IGraphicsHeadless::ShowMessageBox(const char* text, const char* caption, int type) {
  messageBoxes.push_back({text ? text : "", caption ? caption : "", type});
  return messageBoxAnswer;
}

PopupMenu* IGraphicsHeadless::ShowPopupMenu(PopupMenu* menu, const Rect& r) {
  if (!menu) return nullptr;
  ShownMenu shown{r, {}, {}};
  for (const PopupMenuItem& item : menu->items) {
    shown.texts.push_back(item.text);
    shown.flags.push_back(item.flags);
  }
  menus.push_back(shown);
  const int choice = nextMenuChoice;
  nextMenuChoice = -1;
  if (choice < 0 || choice >= static_cast<int>(menu->items.size())) return nullptr;
  menu->chosenItem = choice;
  return menu;
}

void IGraphicsHeadless::CreateTextEntry(IControl* control, const TextStyle& style, const Rect& r, const char* text) {
  if (entryOpen) return;  // one entry at a time, as in a real window
  textEntries.push_back({control, r, text ? text : "", style.size});
  entryOpen = true;
}

bool IGraphicsHeadless::CommitTextEntry(const char* typed) {
  if (!entryOpen || textEntries.empty()) return false;
  entryOpen = false;
  IGraphics::CommitTextEntry(textEntries.back().control, typed);
  return true;
}

bool IGraphicsHeadless::PromptForFile(char* path, int size, bool, const char*) {
  if (promptedFile.empty()) return false;
  Copy(promptedFile, path, size);
  return true;
}

bool IGraphicsHeadless::PromptForColour(Colour*, const char*) { return false; }

bool IGraphicsHeadless::OpenURL(const char* url, const char* msgWindowTitle, const char* confirmMsg,
                                const char* errMsg) {
  if (!url) return false;
  urls.push_back({url, msgWindowTitle ? msgWindowTitle : ""});
  if (confirmMsg && confirmMsg[0] && ShowMessageBox(confirmMsg, msgWindowTitle, 0) != 1) return false;
  if (openUrlSucceeds) return true;
  if (errMsg && errMsg[0]) ShowMessageBox(errMsg, msgWindowTitle, 0);
  return false;
}

bool IGraphicsHeadless::OpenWindow(void*) {
  open_ = true;
  FlagAllForRedraw();
  return true;
}

void IGraphicsHeadless::HideMouseCursor() {
  if (savedCursorX_ < 0) savedCursorX_ = savedCursorY_ = 0;
}

void IGraphicsHeadless::ShowMouseCursor() { savedCursorX_ = savedCursorY_ = -1; }

PIX_IBitmap* IGraphicsHeadless::LoadPngResource(int resourceId, const char*) {
  ++pngLoads;
  auto it = pngResources_.find(resourceId);
  if (it == pngResources_.end() || it->second.empty()) return nullptr;
  return editor_drawing::DecodePng(it->second.data(), it->second.size()).release();
}

bool IGraphicsHeadless::GetClipboardText(std::string& text) {
  if (!clipboardHasText) return false;
  text = clipboard;
  return true;
}

bool IGraphicsHeadless::SetClipboardText(const char* text) {
  clipboard = text ? text : "";
  clipboardHasText = true;
  return true;
}

void IGraphicsHeadless::Copy(const std::string& from, char* path, int size) {
  if (!path || size <= 0) return;
  const size_t n = std::min(from.size(), static_cast<size_t>(size - 1));
  std::memcpy(path, from.data(), n);
  path[n] = '\0';
}
