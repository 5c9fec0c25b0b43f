#pragma once
// What the framework and the plug-in ask of an attached editor.
//
// The editor toolkit implements this interface; a plug-in built without an
// editor never attaches one and every call below is skipped. The value calls
// (ShowParameterValue, PushControlValue) may come from any thread, including
// the audio thread: they only store values and redraw flags.

class IEditorLink {
 public:
  virtual ~IEditorLink() = default;

  // Gives a parameter's value to every control bound to it. A plain value is
  // normalised with the parameter's range and shape first. [any thread]
  virtual void ShowParameterValue(int paramIdx, double value, bool normalized) = 0;
  // ReceiveValue on one control by its index; out-of-range indices do nothing. [any thread]
  virtual void PushControlValue(int controlIdx, double value) = 0;
  // Limits the controls bound to a parameter to [low, high] (plain values). [lock held]
  virtual void ClampParameterControls(int paramIdx, double low, double high) = 0;
  virtual void HideParameterControls(int paramIdx, bool hide) = 0;
  virtual void FlagAllForRedraw() = 0;
  // Replaces the text of a text control. [lock held]
  virtual void SetControlText(int controlIdx, const char* text) = 0;
  // Sets the lowest level (dB) a meter control shows. [lock held]
  virtual void SetMeterFloor(int controlIdx, double floorDb) = 0;
  // Prepares the drawing surfaces once the editor is attached. [lock held]
  virtual void PrepDraw() = 0;

  // False for an editor that cannot open a window on this platform (no
  // window layer exists for it yet): the bindings then offer hosts no editor.
  virtual bool HasWindow() const { return true; }
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Opens the editor window as a child of a native window handle. [ui thread]
  virtual bool OpenWindow(void* parent) = 0;
  virtual void CloseWindow() = 0;
  // Window layers without a timer of their own (X11) are driven by the host:
  // its idle call or run loop hands pending window events to the editor and
  // runs the redraw tick when it is due. [ui thread]
  virtual void WindowIdle() {}
  // The file descriptor a host run loop watches for window events while the
  // window is open; -1 when there is none. [ui thread]
  virtual int WindowEventFd() const { return -1; }
  // The interval of the redraw tick in milliseconds.
  virtual int TickMilliseconds() const { return 33; }
};
