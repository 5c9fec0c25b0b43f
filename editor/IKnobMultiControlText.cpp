#include "IKnobMultiControlText.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "IEffectBase.h"
#include "IGraphics.h"

namespace {
constexpr double kPaintEpsilon = 2.22045e-11;
constexpr double kCompareEpsilon = 2.22045e-10;

Rect ImageAreaFor(const Rect& area, const FrameStrip& strip) {
  const int frames = strip.frameCount > 0 ? strip.frameCount : 1;
  return Rect(area.left, area.top, area.left + strip.width, area.top + strip.height / frames);
}
}  // namespace

IKnobMultiControlText::IKnobMultiControlText(IEffectBase* owner, const Rect& area, int paramIdx,
                                             const FrameStrip& strip, const TextStyle& style)
    : IKnobControl(owner, area, paramIdx),
      textArea_(area.left, area.bottom - style.size, area.right, area.bottom),
      imageArea_(ImageAreaFor(area, strip)),
      strip_(strip) {
  textStyle_ = style;
  promptDisabled_ = false;
  lastPaintedValue_ = Value();
  const IEffectParam* param = Param();
  std::snprintf(suffix_, sizeof suffix_, " %s", param ? param->UnitLabel() : "");
  const double d = param ? param->DefaultNormalized() : 0.0;
  lastSet_ = previous_ = stored_ = d;
}

bool IKnobMultiControlText::Paint(IGraphics& graphics) {
  if (std::fabs(lastPaintedValue_ - Value()) > kPaintEpsilon) {
    lastPaintedValue_ = Value();
    FlagRedraw(true);
  }
  graphics.BlitFrame(strip_, imageArea_, IBitmapControl::FrameFor(Value(), strip_.frameCount), &blend_);
  const IEffectParam* param = Param();
  if (!param || grayed_) return true;
  char text[IEffectParam::kTextSize];
  param->FormatValue(text);
  if (!text[0]) return true;
  char label[IEffectParam::kTextSize + sizeof suffix_];
  std::snprintf(label, sizeof label, "%s%s", text, suffix_);
  Rect r = textArea_;
  graphics.DrawLabel(textStyle_, label, r);
  return true;
}

void IKnobMultiControlText::MouseDrag(int, int, int dx, int dy, const MouseMods& mods) {
  double g = gearing_;
  if (mods.alt)
    g *= 10.0;
  else if (mods.shift)
    g *= 100.0;
  double v = Value();
  if (direction_ == kVertical) {
    const int h = area_.top - area_.bottom;
    if (h != 0) v += static_cast<double>(dy) / h / g;
  } else {
    const int w = area_.right - area_.left;
    if (w != 0) v += static_cast<double>(dx) / w / g;
  }
  SetValue(v);
  lastSet_ = Clamped(v);
  FlagRedraw(true);
}

void IKnobMultiControlText::MouseWheel(int x, int y, const MouseMods& mods, int notches) {
  const double step = mods.alt ? 0.006 : mods.shift ? 0.001 : 0.02;
  if (!textArea_.Contains(x, y)) SetValue(Value() + notches * step);
  lastSet_ = Clamped(Value());
  FlagRedraw(true);
}

void IKnobMultiControlText::MouseDown(int x, int y, const MouseMods& mods) {
  if (mods.left && !textArea_.CoversNothing() && textArea_.Contains(x, y)) {
    if (graphics_) graphics_->EditParameterValue(this, paramIdx_, &textArea_);
    return;
  }
  if (mods.right && !mods.shift) {
    previous_ = lastSet_;
    stored_ = lastSet_ = Value();
    FlagRedraw(true);
    return;
  }
  if (mods.right && mods.shift) {
    if (DefaultValue() >= 0.0) SetValue(DefaultValue());
    stored_ = lastSet_ = previous_ = Value();
    FlagRedraw(true);
    return;
  }
  if (mods.left && mods.control) {
    CompareToggle();
    return;
  }
  MouseDrag(x, y, 0, 0, mods);
}

void IKnobMultiControlText::MouseDoubleClick(int x, int y, const MouseMods&) {
  if (!textArea_.CoversNothing() && textArea_.Contains(x, y)) {
    if (graphics_) graphics_->EditParameterValue(this, paramIdx_, &textArea_);
    return;
  }
  CompareToggle();
}

void IKnobMultiControlText::CompareToggle() {
  if (std::fabs(Value() - stored_) > kCompareEpsilon) {
    previous_ = lastSet_;
    lastSet_ = stored_;
    SetValue(stored_);
  } else {
    lastSet_ = previous_;
    SetValue(previous_);
    previous_ = stored_;
  }
  FlagRedraw(true);
}
