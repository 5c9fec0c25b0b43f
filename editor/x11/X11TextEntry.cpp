#include "X11TextEntry.h"

#include "IControl.h"
#include "IEffectParam.h"

X11TextEntry::X11TextEntry(IControl* control, const TextStyle& style, const Rect& rect, const char* text,
                           int limit)
    : control_(control), style_(style), rect_(rect), text_(text ? text : ""), limit_(limit) {
  style_.cachedFont = nullptr;  // looked up again for this style
  if (limit_ > 0 && static_cast<int>(text_.size()) > limit_) text_.resize(limit_);
}

bool X11TextEntry::Accepts(const IEffectParam* param, char c) {
  if (!param) return static_cast<unsigned char>(c) >= 32 && c != 127;
  const bool digitOrSign = (c >= '0' && c <= '9') || c == '-' || c == '+';
  switch (param->Type()) {
    case kParamBool:
    case kParamInt:
    case kParamEnum:
      return digitOrSign;
    default:
      return digitOrSign || c == '.';
  }
}

bool X11TextEntry::Type(char c) {
  if (!Accepts(control_ ? control_->Param() : nullptr, c)) return false;
  if (allSelected_) {
    text_.clear();
    allSelected_ = false;
  }
  if (limit_ > 0 && static_cast<int>(text_.size()) >= limit_) return false;
  text_.push_back(c);
  return true;
}

bool X11TextEntry::Backspace() {
  if (allSelected_) {
    allSelected_ = false;
    const bool had = !text_.empty();
    text_.clear();
    return had;
  }
  if (text_.empty()) return false;
  text_.pop_back();
  return true;
}
