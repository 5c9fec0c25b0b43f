#include "IGraphics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <locale>
#include <sstream>

#include "EditorCaches.h"
#include "EditorDrawing.h"
#include "IControl.h"
#include "IEffectBase.h"
#include "IMeter.h"
#include "PIX_Bitmap.h"

#include "PIX_SysBitmap.h"

IGraphics::IGraphics(IEffectBase* owner, int width, int height, int frameRate)
    : owner_(owner),
      width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      frameRate_(frameRate > 0 ? frameRate : kDefaultFrameRate) {}

IGraphics::~IGraphics() {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) delete *it;
  controls_.clear();
  delete keyCatcher_;
}

// ---- Building ----

int IGraphics::AddControl(IControl* control) {
  if (!control) return -1;
  control->SetGraphics(this);
  controls_.push_back(control);
  return NumControls() - 1;
}

int IGraphics::AddBackground(int resourceId, const char* name) {
  const FrameStrip strip = LoadStrip(resourceId, name, 1);
  IControl* background = new IBitmapControl(owner_, 0, 0, -1, strip, kBlendCopy);
  background->SetGraphics(this);
  controls_.insert(controls_.begin(), background);
  return 0;
}

FrameStrip IGraphics::LoadStrip(int resourceId, const char* name, int frameCount) {
  FrameStrip strip;
  strip.frameCount = std::max(frameCount, 1);
  PIX_IBitmap* image = StripCache::Instance().Find(resourceId);
  if (!image) {
    std::unique_ptr<PIX_IBitmap> loaded(LoadPngResource(resourceId, name));
    if (loaded && editor_drawing::Width(loaded.get()) > 0 && editor_drawing::Height(loaded.get()) > 0)
      image = StripCache::Instance().Add(resourceId, std::move(loaded));
  }
  if (!image) return strip;
  strip.image = image;
  strip.width = editor_drawing::Width(image);
  strip.height = editor_drawing::Height(image);
  return strip;
}

void IGraphics::SetKeyCatcher(IControl* control) {
  if (control == keyCatcher_) return;
  delete keyCatcher_;
  keyCatcher_ = control;
  if (control) control->SetGraphics(this);
}

IControl* IGraphics::GetControl(int idx) const {
  return idx >= 0 && idx < NumControls() ? controls_[idx] : nullptr;
}

PIX_IBitmap* IGraphics::BackBuffer() const { return backBuffer_.get(); }

// ---- Values from the plug-in side ----

void IGraphics::ShowParameterValue(int paramIdx, double value, bool normalized) {
  if (!std::isfinite(value)) return;
  if (!normalized) {
    const IEffectParam* param = owner_ ? owner_->GetParam(paramIdx) : nullptr;
    if (!param) return;
    value = param->ToNormalized(value);
  }
  for (IControl* c : controls_) {
    if (c->ParamIdx() == paramIdx) c->ReceiveValue(value);
    for (int a = 0; a < c->NumAuxParams(); ++a) {
      if (c->AuxParamIdx(a) == paramIdx) {
        c->ReceiveAuxValue(a, value);
        break;
      }
    }
  }
}

void IGraphics::PushControlValue(int controlIdx, double value) {
  if (IControl* c = GetControl(controlIdx)) c->ReceiveValue(value);
}

void IGraphics::ClampParameterControls(int paramIdx, double low, double high) {
  const IEffectParam* param = owner_ ? owner_->GetParam(paramIdx) : nullptr;
  if (!param || !std::isfinite(low) || !std::isfinite(high)) return;
  const double lo = param->ToNormalized(low);
  const double hi = param->ToNormalized(high);
  for (IControl* c : controls_)
    if (c->ParamIdx() == paramIdx) c->SetClamp(lo, hi);
}

void IGraphics::HideParameterControls(int paramIdx, bool hide) {
  for (IControl* c : controls_)
    if (c->ParamIdx() == paramIdx) c->SetHidden(hide);
}

void IGraphics::FlagAllForRedraw() {
  for (IControl* c : controls_) c->FlagRedraw(false);
}

void IGraphics::SetControlText(int controlIdx, const char* text) {
  if (auto* t = dynamic_cast<ITextControl*>(GetControl(controlIdx))) t->ShowText(text);
}

void IGraphics::SetMeterFloor(int controlIdx, double floorDb) {
  if (!std::isfinite(floorDb)) return;
  if (auto* m = dynamic_cast<IMeterScaled*>(GetControl(controlIdx))) m->SetMeterFloor(floorDb);
}

void IGraphics::PrepDraw() { CreateSurfaces(); }

void IGraphics::CreateSurfaces() {
  backBuffer_ = editor_drawing::NewSysBitmap(width_, height_);
  scratchBitmap_ = editor_drawing::NewMemBitmap(0, 0);
}

void IGraphics::Resize(int width, int height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  CreateSurfaces();
  ClearMouseState();
  mouseOverControl_ = -1;
  if (owner_) owner_->ResizeEditor(width_, height_);
}

// ---- Redraw ----

bool IGraphics::CollectDirty(Rect& r) {
  bool found = false;
  for (IControl* c : controls_) {
    if (c->NeedsRedraw()) {
      r = r.Union(c->Area());
      found = true;
    }
  }
  return found;
}

void IGraphics::RedrawRegion(const Rect& region) {
  drawRegion_ = region;
  for (IControl* c : controls_) {
    if (c->IsHidden() || region.Empty() || c->Area().Empty()) continue;
    if (c->Area().Intersects(region)) c->Paint(*this);
  }
  for (IControl* c : controls_) c->ClearRedraw();
  PresentRegion(region);
}

// ---- Mouse and keys ----

bool IGraphics::HasParam(const IControl* c) const {
  return c && c->ParamIdx() >= 0 && owner_ && owner_->GetParam(c->ParamIdx());
}

void IGraphics::ClearMouseState() {
  capturedControl_ = -1;
  lastMouseX_ = lastMouseY_ = -1;
}

int IGraphics::ControlAt(int x, int y, bool forMouseOver) const {
  if (capturedControl_ >= 0) return capturedControl_;
  for (int i = NumControls() - 1; i >= 0; --i) {
    const IControl* c = controls_[i];
    if (c->IsHidden()) continue;
    if (c->IsGrayed() && !(forMouseOver && c->MouseOverWhenGrayed())) continue;
    if (c->HitTest(x, y)) return i;
  }
  return -1;
}

void IGraphics::DispatchMouseDown(int x, int y, const MouseMods& mods) {
  ClearMouseState();
  const int idx = ControlAt(x, y);
  IControl* c = GetControl(idx);
  if (!c) return;
  capturedControl_ = idx;
  lastMouseX_ = x;
  lastMouseY_ = y;
  if (HasParam(c) && owner_->PluginApi() == 1 && mods.right) {
    capturedControl_ = -1;
    owner_->ShowHostParamMenu(c->ParamIdx(), x, y);
    return;
  }
  if (HasParam(c)) owner_->BeginParamEdit(c->ParamIdx());
  c->MouseDown(x, y, mods);
}

void IGraphics::DispatchMouseUp(int x, int y, const MouseMods& mods) {
  IControl* c = GetControl(ControlAt(x, y));
  ClearMouseState();
  if (!c) return;
  c->MouseUp(x, y, mods);
  if (HasParam(c)) owner_->EndParamEdit(c->ParamIdx());
}

void IGraphics::DispatchMouseDrag(int x, int y, const MouseMods& mods) {
  IControl* c = GetControl(capturedControl_);
  if (!c || (x == lastMouseX_ && y == lastMouseY_)) return;
  const int dx = x - lastMouseX_;
  const int dy = y - lastMouseY_;
  lastMouseX_ = x;
  lastMouseY_ = y;
  c->MouseDrag(x, y, dx, dy, mods);
}

bool IGraphics::DispatchDoubleClick(int x, int y, const MouseMods& mods) {
  ClearMouseState();
  const int idx = ControlAt(x, y);
  IControl* c = GetControl(idx);
  if (!c) return false;
  if (c->DoubleClickAsPress()) {
    capturedControl_ = idx;
    lastMouseX_ = x;
    lastMouseY_ = y;
    c->MouseDown(x, y, mods);
    return true;
  }
  c->MouseDoubleClick(x, y, mods);
  return false;
}

bool IGraphics::DispatchMouseOver(int x, int y, const MouseMods& mods) {
  if (!handleMouseOver_) return false;
  const int idx = ControlAt(x, y, true);
  if (IControl* c = GetControl(idx)) c->MouseOver(x, y, mods);
  if (mouseOverControl_ != idx)
    if (IControl* previous = GetControl(mouseOverControl_)) previous->MouseOut();
  mouseOverControl_ = idx;
  return handleMouseOver_;
}

void IGraphics::DispatchMouseOut() {
  for (IControl* c : controls_) c->MouseOut();
  mouseOverControl_ = -1;
}

bool IGraphics::DispatchKey(int x, int y, int key) {
  const int idx = ControlAt(x, y);
  if (idx >= 1) return controls_[idx]->KeyDown(x, y, key);
  return keyCatcher_ ? keyCatcher_->KeyDown(x, y, key) : false;
}

void IGraphics::DispatchMouseWheel(int x, int y, const MouseMods& mods, int notches) {
  if (IControl* c = GetControl(ControlAt(x, y))) c->MouseWheel(x, y, mods, notches);
}

// ---- Parameter editing ----

void IGraphics::EditParameterValue(IControl* control, int paramIdx, const Rect* rect) {
  IEffectParam* param = owner_ ? owner_->GetParam(paramIdx) : nullptr;
  if (!control || !param || !rect) return;
  const int textCount = param->DisplayTextCount();
  if (param->Type() == kParamEnum || (param->Type() == kParamBool && textCount > 0)) {
    PopupMenu menu;
    char current[IEffectParam::kTextSize];
    param->FormatValue(current);
    for (int v = 0; v < textCount; ++v) {
      const char* text = param->DisplayTextFor(v);
      menu.AddItem(text, text[0] && std::strcmp(text, current) == 0 ? kItemChecked : 0);
    }
    PopupMenu* result = ShowPopupMenu(&menu, *rect);
    if (!result || result->chosenItem < 0 || result->chosenItem >= static_cast<int>(result->items.size()))
      return;
    const double plain = std::clamp(static_cast<double>(result->chosenItem), param->Min(), param->Max());
    const double normalized = param->ToNormalized(plain);
    if (normalized != control->Value()) {
      control->SetValue(normalized);
      control->FlagRedraw(true);
      control->SetPendingRedraw();
    }
    return;
  }
  char text[64];
  double v = param->Value();
  if (param->NegateDisplay()) v = -v;
  if (param->DisplayPrecision() > 0)
    std::snprintf(text, sizeof text, "%.*f", param->DisplayPrecision(), v);
  else
    std::snprintf(text, sizeof text, "%d", static_cast<int>(v));
  CreateTextEntry(control, control->Style(), *rect, text);
}

void IGraphics::CommitTextEntry(IControl* control, const char* text) {
  if (!control || !text) return;
  char typed[IEffectParam::kTextSize + 1] = {};
  std::strncat(typed, text, IEffectParam::kTextSize);
  IEffectParam* param = control->Param();
  if (!param) {
    control->AcceptEnteredText(typed);
    return;
  }
  double plain = 0.0;
  if (param->Type() == kParamEnum || param->Type() == kParamBool) {
    if (!param->FindDisplayTextValue(typed, &plain)) return;
  } else {
    // Typed by a person in any host locale: read with the "C" rules.
    std::istringstream in(typed);
    in.imbue(std::locale::classic());
    if (!(in >> plain) || !std::isfinite(plain)) return;
    if (param->NegateDisplay()) plain = -plain;
  }
  const double normalized = param->ToNormalized(plain);
  if (normalized != control->Value()) {
    control->SetValue(normalized);
    control->FlagRedraw(true);
    control->SetPendingRedraw();
  }
}

// ---- Drawing primitives ----

bool IGraphics::BlitFrame(const FrameStrip& strip, const Rect& dest, int frame, const BlendSpec* blend) {
  PIX_IBitmap* back = backBuffer_.get();
  if (!back || !strip.image || strip.width <= 0 || strip.height <= 0 || dest.CoversNothing()) return false;
  const int count = std::max(strip.frameCount, 1);
  frame = std::clamp(frame, 1, count);
  const int extent = strip.framesHorizontal ? strip.width : strip.height;
  int offset = 0;
  if (count >= 2 && frame >= 2) offset = static_cast<int>(double(frame - 1) * extent / count + 0.5);
  const int frameW = strip.framesHorizontal ? strip.width / count : strip.width;
  const int frameH = strip.framesHorizontal ? strip.height : strip.height / count;
  const Rect clipped = dest.Clip(drawRegion_);
  if (clipped.CoversNothing()) return false;
  int sx = (strip.framesHorizontal ? offset : 0) + (clipped.left - dest.left);
  int sy = (strip.framesHorizontal ? 0 : offset) + (clipped.top - dest.top);
  // Never read past the chosen frame into its neighbour.
  const int frameLeft = strip.framesHorizontal ? offset : 0;
  const int frameTop = strip.framesHorizontal ? 0 : offset;
  const int w = std::min(clipped.W(), frameLeft + frameW - sx);
  const int h = std::min(clipped.H(), frameTop + frameH - sy);
  if (w <= 0 || h <= 0) return false;
  editor_drawing::Blit(back, strip.image, clipped.left, clipped.top, sx, sy, w, h, blend ? *blend : BlendSpec());
  return true;
}

bool IGraphics::FillArea(const Colour& colour, const Rect& r, const BlendSpec* blend) {
  PIX_IBitmap* back = backBuffer_.get();
  if (!back) return false;
  const Rect clipped = r.Clip(drawRegion_);
  if (clipped.CoversNothing()) return false;
  editor_drawing::Fill(back, clipped, colour, blend ? *blend : BlendSpec());
  return true;
}

bool IGraphics::DrawRowLine(const Colour& colour, int y, int x1, int x2) {
  PIX_IBitmap* back = backBuffer_.get();
  if (!back) return false;
  editor_drawing::RowLine(back, y, x1, x2, colour);
  return true;
}

bool IGraphics::DrawLabel(TextStyle& style, const char* text, Rect& r, bool measure) {
  if (!text || !text[0]) return false;
  if (!style.cachedFont) style.cachedFont = FontCache::Instance().FontFor(style);
  if (!style.cachedFont) return false;
  if (measure) {
    Rect extent(r.left, r.top, r.left, r.top);
    if (!editor_drawing::Text(style.cachedFont, nullptr, text, style.colour, kAlignLeft, extent, true))
      return false;
    const int w = extent.right - extent.left;
    const int h = extent.bottom - extent.top;
    if (style.align == kAlignCentre) {
      const int centre = (r.left + r.right) / 2;
      r.left = centre - w / 2;
      r.right = r.left + w;
    } else if (style.align == kAlignRight) {
      r.left = r.right - w;
    } else {
      r.right = r.left + w;
    }
    r.bottom = r.top + h;
    return true;
  }
  if (!backBuffer_ || r.CoversNothing()) return false;
  return editor_drawing::Text(style.cachedFont, backBuffer_.get(), text, style.colour, style.align, r, false);
}
