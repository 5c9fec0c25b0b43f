#pragma once
// A window layer without a window: it paints into the back buffer only,
// answers image requests from an in-memory table and records every request a
// real window would turn into a dialog, a browser or the clipboard. Tests and
// the offline renderer script its answers (the item a popup menu picks, what
// OpenURL returns, the clipboard text).

#include <map>
#include <string>
#include <vector>

#include "IGraphics.h"

class IGraphicsHeadless : public IGraphics {
 public:
  struct TextEntry {
    IControl* control;
    Rect rect;
    std::string text;
    int fontSize;
  };
  struct MessageBox {
    std::string text;
    std::string caption;
    int type;
  };
  struct UrlRequest {
    std::string url;
    std::string title;
  };
  struct ShownMenu {
    Rect rect;
    std::vector<std::string> texts;
    std::vector<int> flags;
  };

  using IGraphics::IGraphics;

  // ---- What the editor asked for, in order ----
  std::vector<Rect> presented;
  std::vector<ShownMenu> menus;
  std::vector<TextEntry> textEntries;
  std::vector<MessageBox> messageBoxes;
  std::vector<UrlRequest> urls;
  int cancelledEntries = 0;
  int pngLoads = 0;  // LoadPngResource calls
  bool entryOpen = false;  // a text entry waits for CommitTextEntry
  int resizes = 0;

  // ---- Scripted answers ----
  int nextMenuChoice = -1;       // the item the next popup menu picks; -1 dismisses it
  int messageBoxAnswer = 1;      // what a message box returns
  bool openUrlSucceeds = true;   // what OpenURL answers
  std::string clipboard;         // the clipboard text
  bool clipboardHasText = false;
  std::string hostFolder = "/host";
  std::string pluginFolder = "/plugin";
  std::string desktopFolder = "/desktop";
  std::string appDataFolder = "/appdata";
  std::string promptedFile;      // empty: the file prompt is cancelled

  // Registers the bytes LoadPngResource decodes for an id; the data is copied.
  void AddPngResource(int resourceId, const unsigned char* data, size_t length);
  void AddPngResource(int resourceId, const std::vector<unsigned char>& bytes);
  // Commits the last text entry opened as if the user typed text and pressed
  // Enter; false when no entry is open.
  bool CommitTextEntry(const char* typed);
  using IGraphics::CommitTextEntry;
  // One timer tick of a real window: collects the dirty region and repaints
  // it; returns the region (empty when nothing was dirty).
  Rect Tick();

  // ---- Platform operations ----
  void PresentRegion(const Rect& region) override { presented.push_back(region); }
  bool MeasureAndDrawText(TextStyle& style, const char* text, Rect& r) override;
  void CancelTextEntry() override {
    ++cancelledEntries;
    entryOpen = false;
  }
  void ResizeWindow(int width, int height) override;
  bool IsWindowOpen() const override { return open_; }
  const char* BackendName() const override { return "Headless"; }
  int ShowMessageBox(const char* text, const char* caption, int type) override;
  PopupMenu* ShowPopupMenu(PopupMenu* menu, const Rect& r) override;
  void CreateTextEntry(IControl* control, const TextStyle& style, const Rect& r, const char* text) override;
  void HostPath(char* path, int size) override { Copy(hostFolder, path, size); }
  void PluginPath(char* path, int size) override { Copy(pluginFolder, path, size); }
  void DesktopPath(char* path, int size) override { Copy(desktopFolder, path, size); }
  void AppDataPath(char* path, int size) override { Copy(appDataFolder, path, size); }
  bool PromptForFile(char* path, int size, bool save, const char* extensions) override;
  bool PromptForColour(Colour* colour, const char* title) override;
  bool OpenURL(const char* url, const char* msgWindowTitle, const char* confirmMsg, const char* errMsg) override;
  bool OpenWindow(void* parent) override;
  void CloseWindow() override { open_ = false; }
  void* WindowHandle() override { return nullptr; }
  void HideMouseCursor() override;
  void ShowMouseCursor() override;
  PIX_IBitmap* LoadPngResource(int resourceId, const char* name) override;
  bool GetClipboardText(std::string& text) override;
  bool SetClipboardText(const char* text) override;

 private:
  static void Copy(const std::string& from, char* path, int size);
  std::map<int, std::vector<unsigned char>> pngResources_;
  bool open_ = false;
};
