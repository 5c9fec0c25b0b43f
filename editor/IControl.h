#pragma once
// The editor's controls: each owns a screen rectangle, may be bound to one
// plug-in parameter, holds that parameter's normalised value (0..1), paints
// itself into the editor's back buffer and reacts to the mouse and keys as
// IGraphics routes them.
//
// Threads: value, default value, clamp range and the redraw flags are atomics
// because the host's threads and the audio thread push values
// (ReceiveValue, ReceiveAuxValue, FlagRedraw without sending) while the
// window thread paints. Relaxed order is enough: a value is a single double,
// the flag only asks for a later repaint. Everything else is window thread.

#include <atomic>
#include <string>
#include <vector>

#include "EditorTypes.h"

class IEffectBase;
class IEffectParam;
class IGraphics;
class ITextControl;

static_assert(std::atomic<double>::is_always_lock_free,
              "control values cross threads without a lock: double atomics must be lock-free");

class IControl {
 public:
  IControl(IEffectBase* owner, const Rect& area, int paramIdx = -1, const BlendSpec& blend = BlendSpec());
  virtual ~IControl();
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  // ---- The 21 operations; IGraphics calls them on the window thread unless tagged ----
  virtual void MouseDown(int x, int y, const MouseMods& mods);
  virtual void MouseUp(int x, int y, const MouseMods& mods);
  virtual void MouseDrag(int x, int y, int dx, int dy, const MouseMods& mods);
  virtual void MouseDoubleClick(int x, int y, const MouseMods& mods);
  virtual void MouseWheel(int x, int y, const MouseMods& mods, int notches);
  virtual bool KeyDown(int x, int y, int key);
  virtual void MouseOver(int x, int y, const MouseMods& mods);
  virtual void MouseOut();
  virtual bool Paint(IGraphics& graphics) = 0;
  virtual void ReceiveValue(double value);  // [any thread]
  virtual const char* TooltipText() const { return tooltip_; }
  virtual void AcceptEnteredText(const char* /*text*/) {}
  virtual void SetHidden(bool hide);
  virtual void SetGrayed(bool gray);
  virtual bool HitTest(int x, int y) const;
  virtual void FlagRedraw(bool send);  // [any thread when send is false]
  virtual void ClearRedraw();
  virtual bool NeedsRedraw() const;
  virtual void Idle() {}
  virtual void ReceiveAuxValue(int auxIdx, double value);  // [any thread]

  // ---- Accessors ----
  void SetGraphics(IGraphics* graphics) { graphics_ = graphics; }
  IGraphics* Graphics() const { return graphics_; }
  IEffectBase* Owner() const { return owner_; }
  int ParamIdx() const { return paramIdx_; }
  // The bound parameter, or null.
  IEffectParam* Param() const;
  const Rect& Area() const { return area_; }
  const Rect& TargetArea() const { return targetArea_; }
  void SetTargetArea(const Rect& r) { targetArea_ = r; }
  double Value() const { return value_.load(std::memory_order_relaxed); }
  void SetValue(double v) { value_.store(v, std::memory_order_relaxed); }
  double DefaultValue() const { return defaultValue_.load(std::memory_order_relaxed); }
  void SetClamp(double low, double high);
  double ClampLow() const { return clampLow_.load(std::memory_order_relaxed); }
  double ClampHigh() const { return clampHigh_.load(std::memory_order_relaxed); }
  bool IsHidden() const { return hidden_.load(std::memory_order_relaxed); }
  bool IsGrayed() const { return grayed_; }
  void SetPendingRedraw() { pendingRedraw_.store(true, std::memory_order_relaxed); }
  bool PromptDisabled() const { return promptDisabled_; }
  bool DoubleClickAsPress() const { return doubleClickAsPress_; }
  bool MouseOverWhenGrayed() const { return mouseOverWhenGrayed_; }
  const BlendSpec& Blend() const { return blend_; }
  TextStyle& Style() { return textStyle_; }
  int TextEntryLimit() const { return textEntryLimit_; }
  void AddAuxParam(int paramIdx, double value = 0.0);
  int NumAuxParams() const { return static_cast<int>(auxParams_.size()); }
  int AuxParamIdx(int auxIdx) const;
  double AuxValue(int auxIdx) const;
  void SetValueDisplay(ITextControl* c) { valueDisplay_ = c; }
  void SetNameDisplay(ITextControl* c) { nameDisplay_ = c; }
  void SetTooltip(const char* text) { tooltip_ = text ? text : ""; }

 protected:
  // The value limited to the clamp range, and 0..1 whatever the range says.
  double Clamped(double v) const;

  int textEntryLimit_ = 9;
  TextStyle textStyle_;
  IEffectBase* owner_ = nullptr;
  Rect area_;
  Rect targetArea_;
  int paramIdx_ = -1;
  struct AuxParam {
    std::atomic<double> value{0.0};
    int paramIdx = -1;
  };
  std::vector<AuxParam> auxParams_;  // sized while building, never resized afterwards
  std::atomic<double> value_{0.0};
  std::atomic<double> defaultValue_{-1.0};
  std::atomic<double> clampLow_{0.0};
  std::atomic<double> clampHigh_{1.0};
  std::atomic<bool> needsRedraw_{true};
  std::atomic<bool> hidden_{false};
  bool grayed_ = false;
  std::atomic<bool> pendingRedraw_{false};
  bool promptDisabled_ = true;
  bool doubleClickAsPress_ = false;
  bool mouseOverWhenGrayed_ = false;
  BlendSpec blend_;
  ITextControl* valueDisplay_ = nullptr;
  ITextControl* nameDisplay_ = nullptr;
  const char* tooltip_ = "";
  IGraphics* graphics_ = nullptr;  // set by IGraphics::AddControl
};

// A filled rectangle.
class IPanelControl : public IControl {
 public:
  IPanelControl(IEffectBase* owner, const Rect& area, const Colour& colour);
  bool Paint(IGraphics& graphics) override;
  const Colour& GetColour() const { return colour_; }

 protected:
  Colour colour_;
};

// One frame of an image strip, chosen by the value.
class IBitmapControl : public IControl {
 public:
  IBitmapControl(IEffectBase* owner, int x, int y, int paramIdx, const FrameStrip& strip,
                 int blendMethod = kBlendDefault);
  bool Paint(IGraphics& graphics) override;
  // frame = int((N - 1) * value + 0.5) + 1 within 1..N, or 1 for a single frame.
  static int FrameFor(double value, int frameCount);

 protected:
  FrameStrip strip_;
};

// A multi-state button that advances one state per click and wraps to 0.
class ISwitchControl : public IBitmapControl {
 public:
  using IBitmapControl::IBitmapControl;
  void MouseDown(int x, int y, const MouseMods& mods) override;
  void MouseDoubleClick(int x, int y, const MouseMods& mods) override;
};

// A rotary control turned by vertical (or horizontal) drags.
class IKnobControl : public IControl {
 public:
  enum Direction : int { kVertical = 0, kHorizontal = 1 };
  IKnobControl(IEffectBase* owner, const Rect& area, int paramIdx, int direction = kVertical,
               double gearing = 4.0);

 protected:
  int direction_ = kVertical;
  double gearing_ = 4.0;
};

// A line of text.
class ITextControl : public IControl {
 public:
  ITextControl(IEffectBase* owner, const Rect& area, const TextStyle& style, const char* text = "");
  bool Paint(IGraphics& graphics) override;
  static constexpr int kMaxText = 128;  // longer texts are cut
  // Replaces the text and flags a redraw when it differs. [any thread]
  void ShowText(const char* text);
  std::string Text() const;

 protected:
  // Written by the parameter reaction (possibly on the audio thread) while the
  // window thread paints: character atomics, so a text changing mid-paint
  // shows at worst a mix for one tick and is repainted at the next.
  std::atomic<char> text_[kMaxText + 1];
};

// An invisible area that opens a web address when pressed.
class IURLControl : public IControl {
 public:
  static constexpr const char* kMakerUrl = "https://velto.invalid/";
  IURLControl(IEffectBase* owner, const Rect& area, const char* url = kMakerUrl, const char* backupUrl = "",
              const char* titleText = "");
  bool Paint(IGraphics& graphics) override;
  void MouseDown(int x, int y, const MouseMods& mods) override;

 private:
  char url_[256] = {};
  char backupUrl_[256] = {};
  char titleText_[1024] = {};
};
