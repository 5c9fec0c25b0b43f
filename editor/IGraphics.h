#pragma once
// The platform-independent heart of the editor.
//
// IGraphics owns the ordered control list (list order is paint order; index 0
// is the background), binds controls to plug-in parameters in both
// directions, collects dirty controls, paints them into an off-screen back
// buffer and routes mouse and key events. It knows no window: a window layer
// derives from it, supplies the platform operations at the end of the class
// and drives it from its messages and a timer.
//
// Threads: everything runs on the window thread except ShowParameterValue,
// PushControlValue and the meters' ReceiveValue, which the host's threads and
// the audio thread call without a lock. They write only the controls' atomic
// values and redraw flags; the next timer tick paints what they changed.

#include <memory>
#include <vector>

#include "EditorTypes.h"
#include "IEditorLink.h"

class IControl;
class IEffectBase;
class PIX_MemBitmap;
class PIX_SysBitmap;

class IGraphics : public IEditorLink {
 public:
  static constexpr int kDefaultWidth = 400;
  static constexpr int kDefaultHeight = 524;
  static constexpr int kDefaultFrameRate = 30;

  IGraphics(IEffectBase* owner, int width = kDefaultWidth, int height = kDefaultHeight,
            int frameRate = kDefaultFrameRate);
  ~IGraphics() override;
  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  // ---- Building [ui thread, while the plug-in constructs its editor] ----
  // Appends a control (the editor takes ownership); returns its index.
  int AddControl(IControl* control);
  // A one-frame image drawn by plain copy at (0, 0), inserted at index 0.
  int AddBackground(int resourceId, const char* name);
  // The image from the process-wide strip cache, loaded through the window
  // layer on first use. A failed load gives a strip without an image.
  FrameStrip LoadStrip(int resourceId, const char* name, int frameCount = 1);
  void SetKeyCatcher(IControl* control);  // the editor takes ownership

  // ---- Values from the plug-in side ----
  void ShowParameterValue(int paramIdx, double value, bool normalized) override;  // [any thread]
  void PushControlValue(int controlIdx, double value) override;                 // [any thread]
  void ClampParameterControls(int paramIdx, double low, double high) override;  // [lock held]
  void HideParameterControls(int paramIdx, bool hide) override;                 // [lock held]
  void FlagAllForRedraw() override;                                             // [ui thread]
  void SetControlText(int controlIdx, const char* text) override;               // [lock held]
  void SetMeterFloor(int controlIdx, double floorDb) override;                  // [lock held]
  // Creates the back buffer and scratch bitmap of the editor size. [lock held]
  void PrepDraw() override;
  int Width() const override { return width_; }
  int Height() const override { return height_; }

  // ---- Redraw [ui thread] ----
  // Unions the area of every control that needs a redraw into r.
  bool CollectDirty(Rect& r);
  // Paints every visible control meeting the region, in list order, marks
  // all drawn and presents the region.
  void RedrawRegion(const Rect& region);
  // Recreates the drawing surfaces at a new size and tells the owner.
  void Resize(int width, int height);

  // ---- Mouse and keys, editor pixel coordinates [ui thread] ----
  void DispatchMouseDown(int x, int y, const MouseMods& mods);
  void DispatchMouseUp(int x, int y, const MouseMods& mods);
  void DispatchMouseDrag(int x, int y, const MouseMods& mods);
  bool DispatchDoubleClick(int x, int y, const MouseMods& mods);  // true: capture the mouse
  bool DispatchMouseOver(int x, int y, const MouseMods& mods);    // returns handleMouseOver
  void DispatchMouseOut();
  bool DispatchKey(int x, int y, int key);
  // The wheel: window layers find the control with ControlAt and call its MouseWheel.
  void DispatchMouseWheel(int x, int y, const MouseMods& mods, int notches);
  int ControlAt(int x, int y, bool forMouseOver = false) const;

  // ---- Parameter editing [ui thread] ----
  // A popup menu of the display texts, or a text entry with the value.
  void EditParameterValue(IControl* control, int paramIdx, const Rect* rect);

  // Applies the text typed into a parameter's entry: a display text for
  // choices and on/off parameters, a decimal number (negated when the
  // parameter shows negated values) otherwise. Text that is neither changes
  // nothing. A control without a parameter gets AcceptEnteredText.
  void CommitTextEntry(IControl* control, const char* text);

  // ---- Drawing primitives, into the back buffer [ui thread] ----
  // frame is 1-based; out-of-range frames are clamped to the strip.
  bool BlitFrame(const FrameStrip& strip, const Rect& dest, int frame, const BlendSpec* blend = nullptr);
  bool FillArea(const Colour& colour, const Rect& r, const BlendSpec* blend = nullptr);
  // Pixels (x1, y) .. (x2, y), both ends included, clipped to the back buffer.
  bool DrawRowLine(const Colour& colour, int y, int x1, int x2);
  // Draws text (UTF-8) into r, or with measure only sets r to the text extent.
  bool DrawLabel(TextStyle& style, const char* text, Rect& r, bool measure = false);

  // ---- Accessors ----
  IEffectBase* Owner() const { return owner_; }
  int NumControls() const { return static_cast<int>(controls_.size()); }
  IControl* GetControl(int idx) const;
  PIX_IBitmap* BackBuffer() const;
  int FrameRate() const { return frameRate_; }
  const Rect& DrawRegion() const { return drawRegion_; }
  int CapturedControl() const { return capturedControl_; }

  // ---- Platform operations, supplied by the window layer ----
  virtual void PresentRegion(const Rect& region) = 0;
  virtual bool MeasureAndDrawText(TextStyle& style, const char* text, Rect& r) = 0;
  virtual void CancelTextEntry() = 0;
  virtual void ResizeWindow(int width, int height) = 0;
  virtual bool IsWindowOpen() const = 0;
  virtual const char* BackendName() const = 0;
  virtual int ShowMessageBox(const char* text, const char* caption, int type) = 0;
  // Shows the menu at r; returns the picked menu with chosenItem set, or null.
  virtual PopupMenu* ShowPopupMenu(PopupMenu* menu, const Rect& r) = 0;
  virtual void CreateTextEntry(IControl* control, const TextStyle& style, const Rect& r, const char* text) = 0;
  virtual void HostPath(char* path, int size) = 0;
  virtual void PluginPath(char* path, int size) = 0;
  virtual void DesktopPath(char* path, int size) = 0;
  virtual void AppDataPath(char* path, int size) = 0;
  virtual bool PromptForFile(char* path, int size, bool save, const char* extensions) = 0;
  virtual bool PromptForColour(Colour* colour, const char* title) = 0;
  virtual bool OpenURL(const char* url, const char* msgWindowTitle, const char* confirmMsg,
                       const char* errMsg) = 0;
  bool OpenWindow(void* parent) override = 0;
  void CloseWindow() override = 0;
  virtual void* WindowHandle() = 0;
  virtual void HideMouseCursor() = 0;
  virtual void ShowMouseCursor() = 0;
  // Decodes a PNG resource of the module; null when absent or undecodable.
  virtual PIX_IBitmap* LoadPngResource(int resourceId, const char* name) = 0;

  // Clipboard text for the preset loader.
  virtual bool GetClipboardText(std::string& text) = 0;
  virtual bool SetClipboardText(const char* text) = 0;

 protected:
  // Forgets the captured control and the last pointer position (a popup
  // menu takes the mouse before the press that opened it is released).
  void ClearCapture() { ClearMouseState(); }

  int savedCursorX_ = -1;  // screen position kept while the cursor is hidden
  int savedCursorY_ = -1;

 private:
  void CreateSurfaces();
  void ClearMouseState();
  bool HasParam(const IControl* c) const;

  std::vector<IControl*> controls_;  // owned; deleted in reverse order
  IEffectBase* owner_ = nullptr;
  Rect drawRegion_;
  std::unique_ptr<PIX_SysBitmap> backBuffer_;
  std::unique_ptr<PIX_MemBitmap> scratchBitmap_;
  int width_ = kDefaultWidth;
  int height_ = kDefaultHeight;
  int frameRate_ = kDefaultFrameRate;
  int capturedControl_ = -1;
  int mouseOverControl_ = -1;
  int lastMouseX_ = -1;
  int lastMouseY_ = -1;
  bool handleMouseOver_ = false;
  // Kept as settings of the graphics object; no drawing path reads them yet.
  [[maybe_unused]] bool strictDrawing_ = true;
  [[maybe_unused]] bool tooltipsEnabled_ = false;
  IControl* keyCatcher_ = nullptr;  // owned
};
