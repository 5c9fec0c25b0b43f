#include "IControl.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "IEffectBase.h"
#include "IGraphics.h"

IControl::IControl(IEffectBase* owner, const Rect& area, int paramIdx, const BlendSpec& blend)
    : owner_(owner), area_(area), targetArea_(area), paramIdx_(paramIdx), blend_(blend) {}

IControl::~IControl() = default;

IEffectParam* IControl::Param() const { return owner_ && paramIdx_ >= 0 ? owner_->GetParam(paramIdx_) : nullptr; }

void IControl::MouseDown(int /*x*/, int /*y*/, const MouseMods& mods) {
  IEffectParam* param = Param();
  if (!mods.right || !param || promptDisabled_ || !graphics_) return;
  Rect r = area_;
  if (param->DisplayTextCount() == 0) {
    const int cx = static_cast<int>(static_cast<float>(area_.left + area_.right) * 0.5f);
    const int cy = static_cast<int>(static_cast<float>(area_.top + area_.bottom) * 0.5f);
    r = Rect(cx - 15, cy - 8, cx + 15, cy + 8);
  }
  graphics_->EditParameterValue(this, paramIdx_, &r);
  SetPendingRedraw();
}

void IControl::MouseUp(int, int, const MouseMods&) {}
void IControl::MouseDrag(int, int, int, int, const MouseMods&) {}

void IControl::MouseDoubleClick(int, int, const MouseMods&) {
  const double d = DefaultValue();
  if (d >= 0.0) {
    SetValue(d);
    FlagRedraw(true);
  }
}

void IControl::MouseWheel(int, int, const MouseMods& mods, int notches) {
  SetValue(Value() + notches * (mods.control || mods.shift ? 0.001 : 0.01));
  FlagRedraw(true);
}

bool IControl::KeyDown(int, int, int) { return false; }
void IControl::MouseOver(int, int, const MouseMods&) {}
void IControl::MouseOut() {}

void IControl::ReceiveValue(double v) {
  if (!std::isfinite(v)) return;
  if (DefaultValue() < 0.0) {
    value_.store(v, std::memory_order_relaxed);
    defaultValue_.store(v, std::memory_order_relaxed);
    return;
  }
  if (v != Value()) {
    value_.store(v, std::memory_order_relaxed);
    FlagRedraw(false);
    SetPendingRedraw();
  }
}

void IControl::SetHidden(bool hide) {
  hidden_.store(hide, std::memory_order_relaxed);
  SetPendingRedraw();
  FlagRedraw(false);
}

void IControl::SetGrayed(bool gray) {
  grayed_ = gray;
  blend_.weight = gray ? 0.25f : 1.0f;
  FlagRedraw(false);
}

bool IControl::HitTest(int x, int y) const { return !targetArea_.Empty() && targetArea_.Contains(x, y); }

double IControl::Clamped(double v) const {
  if (!std::isfinite(v)) v = 0.0;
  const double lo = std::clamp(ClampLow(), 0.0, 1.0);
  const double hi = std::max(lo, std::clamp(ClampHigh(), 0.0, 1.0));
  return std::clamp(v, lo, hi);
}

void IControl::SetClamp(double low, double high) {
  clampLow_.store(low, std::memory_order_relaxed);
  clampHigh_.store(high, std::memory_order_relaxed);
}

void IControl::FlagRedraw(bool send) {
  value_.store(Clamped(Value()), std::memory_order_relaxed);
  needsRedraw_.store(true, std::memory_order_relaxed);
  IEffectParam* param = Param();
  if (send && param) owner_->SetParamFromEditor(paramIdx_, Value());
  if (!param) return;
  if (valueDisplay_) {
    // Built on the stack: this can run on the audio thread, which must not allocate.
    char value[IEffectParam::kTextSize];
    char text[2 * IEffectParam::kTextSize + 2];
    param->FormatValue(value);
    std::snprintf(text, sizeof text, "%s %s", value, param->UnitLabel());
    valueDisplay_->ShowText(text);
  }
  if (nameDisplay_) nameDisplay_->ShowText(param->Name());
}

void IControl::ClearRedraw() {
  needsRedraw_.store(pendingRedraw_.exchange(false, std::memory_order_relaxed), std::memory_order_relaxed);
}

bool IControl::NeedsRedraw() const { return needsRedraw_.load(std::memory_order_relaxed); }

void IControl::ReceiveAuxValue(int auxIdx, double v) {
  if (auxIdx < 0 || auxIdx >= NumAuxParams() || !std::isfinite(v)) return;
  if (auxParams_[auxIdx].value.load(std::memory_order_relaxed) != v) {
    auxParams_[auxIdx].value.store(v, std::memory_order_relaxed);
    FlagRedraw(false);
    SetPendingRedraw();
  }
}

void IControl::AddAuxParam(int paramIdx, double v) {
  std::vector<AuxParam> grown(auxParams_.size() + 1);
  for (size_t i = 0; i < auxParams_.size(); ++i) {
    grown[i].value.store(auxParams_[i].value.load());
    grown[i].paramIdx = auxParams_[i].paramIdx;
  }
  grown.back().value.store(v);
  grown.back().paramIdx = paramIdx;
  auxParams_.swap(grown);
}

int IControl::AuxParamIdx(int auxIdx) const {
  return auxIdx >= 0 && auxIdx < NumAuxParams() ? auxParams_[auxIdx].paramIdx : -1;
}

double IControl::AuxValue(int auxIdx) const {
  return auxIdx >= 0 && auxIdx < NumAuxParams() ? auxParams_[auxIdx].value.load(std::memory_order_relaxed) : 0.0;
}

// ---- IPanelControl ----

IPanelControl::IPanelControl(IEffectBase* owner, const Rect& area, const Colour& colour)
    : IControl(owner, area), colour_(colour) {}

bool IPanelControl::Paint(IGraphics& graphics) {
  graphics.FillArea(colour_, area_, &blend_);
  return true;
}

// ---- IBitmapControl and ISwitchControl ----

namespace {
Rect StripArea(int x, int y, const FrameStrip& strip) {
  const int frames = std::max(strip.frameCount, 1);
  const int w = strip.framesHorizontal ? strip.width / frames : strip.width;
  const int h = strip.framesHorizontal ? strip.height : strip.height / frames;
  return Rect(x, y, x + w, y + h);
}
}  // namespace

IBitmapControl::IBitmapControl(IEffectBase* owner, int x, int y, int paramIdx, const FrameStrip& strip,
                               int blendMethod)
    : IControl(owner, StripArea(x, y, strip), paramIdx, BlendSpec(blendMethod)), strip_(strip) {}

int IBitmapControl::FrameFor(double value, int frameCount) {
  if (frameCount < 2) return 1;
  if (!std::isfinite(value)) value = 0.0;
  const double f = std::clamp((frameCount - 1) * value + 0.5, 0.0, static_cast<double>(frameCount));
  return std::clamp(static_cast<int>(f) + 1, 1, frameCount);
}

bool IBitmapControl::Paint(IGraphics& graphics) {
  graphics.BlitFrame(strip_, area_, FrameFor(Value(), strip_.frameCount), &blend_);
  return true;
}

void ISwitchControl::MouseDown(int, int, const MouseMods&) {
  const int n = strip_.frameCount;
  double v = Value() + (n < 2 ? 1.0 : 1.0 / (n - 1));
  if (v > 1.001) v = 0.0;
  SetValue(v);
  FlagRedraw(true);
}

void ISwitchControl::MouseDoubleClick(int x, int y, const MouseMods& mods) { MouseDown(x, y, mods); }

// ---- IKnobControl ----

IKnobControl::IKnobControl(IEffectBase* owner, const Rect& area, int paramIdx, int direction, double gearing)
    : IControl(owner, area, paramIdx), direction_(direction), gearing_(gearing) {}

// ---- ITextControl ----

ITextControl::ITextControl(IEffectBase* owner, const Rect& area, const TextStyle& style, const char* text)
    : IControl(owner, area) {
  textStyle_ = style;
  for (auto& c : text_) c.store('\0', std::memory_order_relaxed);
  ShowText(text);
}

std::string ITextControl::Text() const {
  std::string s;
  for (int i = 0; i < kMaxText; ++i) {
    const char c = text_[i].load(std::memory_order_relaxed);
    if (!c) break;
    s += c;
  }
  return s;
}

bool ITextControl::Paint(IGraphics& graphics) {
  const std::string text = Text();
  if (text.empty()) return true;
  Rect r = area_;
  graphics.DrawLabel(textStyle_, text.c_str(), r);
  return true;
}

void ITextControl::ShowText(const char* text) {
  if (!text) text = "";
  const size_t n = std::min(std::strlen(text), static_cast<size_t>(kMaxText));
  bool same = true;
  for (size_t i = 0; i <= n && same; ++i)
    same = text_[i].load(std::memory_order_relaxed) == (i < n ? text[i] : '\0');
  if (same) return;
  FlagRedraw(false);
  for (size_t i = 0; i < n; ++i) text_[i].store(text[i], std::memory_order_relaxed);
  text_[n].store('\0', std::memory_order_relaxed);
}

// ---- IURLControl ----

IURLControl::IURLControl(IEffectBase* owner, const Rect& area, const char* url, const char* backupUrl,
                         const char* titleText)
    : IControl(owner, area) {
  CopyText(url_, url ? url : "", sizeof url_);
  CopyText(backupUrl_, backupUrl ? backupUrl : "", sizeof backupUrl_);
  CopyText(titleText_, titleText ? titleText : "", sizeof titleText_);
}

bool IURLControl::Paint(IGraphics&) { return true; }

void IURLControl::MouseDown(int, int, const MouseMods&) {
  if (!graphics_ || !url_[0]) return;
  if (graphics_->OpenURL(url_, titleText_, nullptr, nullptr)) return;
  if (backupUrl_[0]) graphics_->OpenURL(backupUrl_, titleText_, nullptr, nullptr);
}
