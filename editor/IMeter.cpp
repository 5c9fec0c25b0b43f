#include "IMeter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "IGraphics.h"

namespace {
constexpr double kLn10Over20 = 0.1151292546497;
constexpr double kTopAnchoredEpsilon = 2.22045e-13;
constexpr double kMarkEpsilon = 2.22045e-12;
constexpr double kRangeEpsilon = 2.22045e-11;
constexpr double kDbPerLn = 8.685889638065037;  // 20 / ln(10)

double Range(const double* p, double fallback) { return p ? *p : fallback; }
}  // namespace

double MeterFloorGain(double floorDb) { return std::exp(floorDb * kLn10Over20); }

double MeterFraction(double v, double floorGain) {
  if (!(v > floorGain) || !(floorGain > 0.0) || floorGain >= 1.0) return 0.0;
  return std::log10(v / floorGain) / std::log10(1.0 / floorGain);
}

double MeterFractionTopAnchored(double v, double floorDb, double floorGain) {
  if (!std::isfinite(v)) return 0.0;
  if (v > 1.0 - floorGain) return 1.0;
  if (floorDb == 0.0) return 0.0;
  const double f = 20.0 * std::log10(std::fabs(1.0 - v)) / floorDb;
  return f < kTopAnchoredEpsilon ? 0.0 : f;
}

// A range with lo == hi has no height to map into: everything sits at the bottom.
double MeterRow(double f, int top, int bottom, double lo, double hi) {
  if (hi == lo || !std::isfinite(f)) return bottom;
  const double y = bottom - (bottom - top) * (f - lo) / (hi - lo);
  return std::clamp(y, static_cast<double>(top), static_cast<double>(bottom));
}

double MeterRowTopAnchored(double f, int top, int bottom, double lo, double hi) {
  if (hi == lo || !std::isfinite(f)) return top;
  const double y = ((bottom - top) * (1.0 - f - hi) + top * (lo - hi)) / (lo - hi);
  return std::clamp(y, static_cast<double>(top), static_cast<double>(bottom));
}

// ---- IMeter ----

IMeter::IMeter(IEffectBase* owner, const Rect& area, const Colour& colour, const double* rangeLow,
               const double* rangeHigh)
    : IControl(owner, area), colour_(colour), rangeLow_(rangeLow), rangeHigh_(rangeHigh) {}

void IMeter::SetMeterFloor(double floorDb) {
  floorDb_.store(floorDb, std::memory_order_relaxed);
  floorGain_.store(MeterFloorGain(floorDb), std::memory_order_relaxed);
}

int IMeter::LevelRow() const {
  const double v = Value();
  const double lo = Range(rangeLow_, 0.0);
  const double hi = Range(rangeHigh_, 1.0);
  if (topAnchored_) {
    const double f = logScale_ ? MeterFractionTopAnchored(v, FloorDb(), FloorGain()) : v;
    return static_cast<int>(MeterRowTopAnchored(f, area_.top, area_.bottom, lo, hi));
  }
  const double f = logScale_ ? MeterFraction(v, FloorGain()) : v;
  return static_cast<int>(MeterRow(f, area_.top, area_.bottom, lo, hi));
}

bool IMeter::Paint(IGraphics& graphics) {
  const int y = LevelRow();
  const Rect r = topAnchored_ ? Rect(area_.left, area_.top, area_.right, y)
                              : Rect(area_.left, y, area_.right, area_.bottom);
  graphics.FillArea(colour_, r);
  return true;
}

// ---- IMeterBar ----

IMeterBar::IMeterBar(IEffectBase* owner, const Rect& area, const Colour& colour, const double* rangeLow,
                     const double* rangeHigh)
    : IMeter(owner, area, colour, rangeLow, rangeHigh) {}

bool IMeterBar::Paint(IGraphics& graphics) {
  const int y = LevelRow();
  const int half = barHeight_ / 2;
  const int top = std::clamp(y - half, area_.top, area_.bottom);
  const int bottom = std::clamp(y + half, area_.top, area_.bottom);
  graphics.FillArea(colour_, Rect(area_.left, top, area_.right, bottom));
  return true;
}

// ---- IMeterRange ----

IMeterRange::IMeterRange(IEffectBase* owner, const Rect& area, const Colour& colour,
                         const std::atomic<double>* upperLevel, const std::atomic<double>* lowerLevel,
                         const double* rangeLow, const double* rangeHigh, double floorDb)
    : IControl(owner, area),
      colour_(colour),
      upperLevel_(upperLevel),
      lowerLevel_(lowerLevel),
      rangeLow_(rangeLow),
      rangeHigh_(rangeHigh) {
  SetMeterFloor(floorDb);
}

void IMeterRange::SetMeterFloor(double floorDb) {
  floorDb_.store(floorDb, std::memory_order_relaxed);
  floorGain_.store(MeterFloorGain(floorDb), std::memory_order_relaxed);
}

void IMeterRange::BandRows(int* yTop, int* yBottom) const {
  double u = upperLevel_ ? upperLevel_->load(std::memory_order_relaxed) : 0.0;
  double w = lowerLevel_ ? lowerLevel_->load(std::memory_order_relaxed) : 0.0;
  if (logScale_) {
    const double floorGain = floorGain_.load(std::memory_order_relaxed);
    u = MeterFraction(u, floorGain);
    w = MeterFraction(w, floorGain);
  }
  const double lo = Range(rangeLow_, 0.0);
  const double hi = Range(rangeHigh_, 1.0);
  *yTop = static_cast<int>(MeterRow(u, area_.top, area_.bottom, lo, hi));
  *yBottom = static_cast<int>(MeterRow(w, area_.top, area_.bottom, lo, hi));
}

bool IMeterRange::Paint(IGraphics& graphics) {
  int yTop = 0;
  int yBottom = 0;
  BandRows(&yTop, &yBottom);
  if (yBottom <= yTop) return true;  // RMS above peak: no band rather than an inverted one
  graphics.FillArea(colour_, Rect(area_.left + inset_, yTop, area_.right - inset_, yBottom));
  return true;
}

// ---- vuLines ----

vuLines::vuLines(IEffectBase* owner, const Rect& area, const Colour& lineColour, const TextStyle& style,
                 const double* rangeLow, const double* rangeHigh, const double* marksDb, int markCount)
    : IControl(owner, area), rangeLow_(rangeLow), rangeHigh_(rangeHigh), lineColour_(lineColour) {
  textStyle_ = style;
  markCount_ = marksDb ? std::max(markCount, 0) : 0;
  marksDb_.assign(marksDb, marksDb + markCount_);
  positions_.assign(markCount_, area.bottom);
  for (double m : marksDb_) {
    char text[32];
    std::snprintf(text, sizeof text, "%2.0f", m);
    labels_.emplace_back(text);
  }
}

void vuLines::SetMeterFloor(double floorDb) {
  floorDb_.store(floorDb, std::memory_order_relaxed);
  floorGain_.store(MeterFloorGain(floorDb), std::memory_order_relaxed);
  floorChanged_.store(true, std::memory_order_relaxed);
  FlagRedraw(false);
}

void vuLines::SetTickPositions(int leftTickEnd, int rightTickStart, int labelCentre) {
  leftTickEnd_ = leftTickEnd;
  rightTickStart_ = rightTickStart;
  labelCentre_ = labelCentre;
}

void vuLines::ComputePositions() {
  const double lo = Range(rangeLow_, 0.0);
  const double hi = Range(rangeHigh_, 1.0);
  floorChanged_.store(false, std::memory_order_relaxed);
  const double floorDb = floorDb_.load(std::memory_order_relaxed);
  const double floorGain = floorGain_.load(std::memory_order_relaxed);
  for (int i = 0; i < markCount_; ++i) {
    const double m = marksDb_[i];
    double g;
    if (!logScale_) {
      g = std::pow(10.0, m / 20.0);
    } else if (!topAnchored_) {
      g = MeterFraction(std::pow(10.0, m / 20.0), floorGain);
    } else {
      g = floorDb < m ? m / floorDb : 1.0;
    }
    if (g < kMarkEpsilon) g = 0.0;
    positions_[i] = MeterRow(g, area_.top, area_.bottom, lo, hi);
  }
  lastRangeLow_ = lo;
  lastRangeHigh_ = hi;
  computed_ = true;
  FlagRedraw(false);
}

std::vector<int> vuLines::VisibleMarks() const {
  std::vector<int> shown;
  double last = area_.top;
  for (int i = 0; i < markCount_; ++i) {
    const double y = positions_[i];
    if (y <= area_.top + 3 || y >= area_.bottom - 3) continue;
    if (!(y > last + 10 || y < last - 10)) continue;
    shown.push_back(i);
    last = y;
  }
  return shown;
}

bool vuLines::Paint(IGraphics& graphics) {
  const int h = (area_.right - area_.left) / 2;
  const int leftEnd = leftTickEnd_ >= 1 ? leftTickEnd_ : static_cast<int>(area_.left + h * tickFraction_);
  const int rightStart =
      rightTickStart_ >= 1 ? rightTickStart_ : static_cast<int>(area_.right - h * tickFraction_);
  const int centre = labelCentre_ >= 1 ? labelCentre_ : area_.left + h;
  const double lo = Range(rangeLow_, 0.0);
  const double hi = Range(rangeHigh_, 1.0);
  if (!computed_ || floorChanged_.load(std::memory_order_relaxed) || std::fabs(lo - lastRangeLow_) > kRangeEpsilon || std::fabs(hi - lastRangeHigh_) > kRangeEpsilon)
    ComputePositions();
  const int half = textStyle_.size / 2;
  for (int i : VisibleMarks()) {
    const int y = static_cast<int>(positions_[i]);
    graphics.DrawRowLine(lineColour_, y, area_.left, leftEnd);
    graphics.DrawRowLine(lineColour_, y, rightStart, area_.right);
    Rect r(centre - 12, y - half, centre + 12, y + half);
    graphics.DrawLabel(textStyle_, labels_[i].c_str(), r);
  }
  return true;
}

// ---- ITextVU ----

ITextVU::ITextVU(IEffectBase* owner, const Rect& area, const TextStyle& style, const Colour& background,
                 double releaseSetting)
    : IControl(owner, area), background_(background), normalTextColour_(style.colour) {
  textStyle_ = style;
  if (releaseSetting > 0.0 && std::isfinite(releaseSetting))
    releaseCoefficient_ = std::exp(-0.4353339357479107 / (releaseSetting * 30.0));
}

void ITextVU::ReceiveValue(double x) {
  if (!std::isfinite(x)) return;
  const double a = std::fabs(x);
  const double held = HeldLevel();
  heldLevel_.store(held <= a ? a : (held - a) * releaseCoefficient_ + a, std::memory_order_relaxed);
}

double ITextVU::ShownDb() const {
  const double held = HeldLevel();
  if (held < floorGain_) return floorDbShown_;
  return std::log(std::fabs(held)) * kDbPerLn;
}

Colour ITextVU::TextColour() const { return ShownDb() >= 0.0 ? Colour(255, 255, 0, 0) : normalTextColour_; }

bool ITextVU::Paint(IGraphics& graphics) {
  char text[32];
  std::snprintf(text, sizeof text, "%2.1f", ShownDb());
  textStyle_.colour = TextColour();
  if (!text[0]) return true;
  graphics.FillArea(background_, area_);
  Rect r = area_;
  graphics.DrawLabel(textStyle_, text, r);
  return true;
}

void ITextVU::Reset() {
  heldLevel_.store(floorGain_, std::memory_order_relaxed);
  textStyle_.colour = normalTextColour_;
}

void ITextVU::MouseDown(int, int, const MouseMods&) { Reset(); }
void ITextVU::MouseDrag(int, int, int, int, const MouseMods&) { Reset(); }
void ITextVU::MouseOver(int, int, const MouseMods&) { Reset(); }
