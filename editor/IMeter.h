#pragma once
// The level meters: translucent level columns (IMeter), thin peak lines
// (IMeterBar), the band between RMS and peak (IMeterRange), the dB scale
// (vuLines) and the numeric peak read-out (ITextVU). All share one scale: 0 dB
// (amplitude 1.0) at the top, a floor in dB at the bottom.
//
// Threads: the audio thread pushes levels once per block (ReceiveValue, and
// the level doubles IMeterRange reads) while the window thread paints on its
// timer; both sides go through atomics, neither takes a lock. SetMeterFloor
// runs in the plug-in's parameter reaction, under the plug-in lock.

#include <atomic>
#include <string>
#include <vector>

#include "IControl.h"

// Every meter control takes the scale floor from the plug-in's meter-scale setting.
class IMeterScaled {
 public:
  virtual ~IMeterScaled() = default;
  virtual void SetMeterFloor(double floorDb) = 0;  // [lock held]
};

// exp(floorDb * ln(10)/20), the amplitude of the floor.
double MeterFloorGain(double floorDb);
// A bottom-anchored log scale: the fraction of the height a level v fills.
// 0 at or below floorGain, 1 at amplitude 1.
double MeterFraction(double v, double floorGain);
// A top-anchored log scale reads v as 1 - gain.
double MeterFractionTopAnchored(double v, double floorDb, double floorGain);
// The pixel row of fraction f between top T and bottom B for the range lo..hi, within [T, B].
double MeterRow(double f, int top, int bottom, double lo, double hi);
double MeterRowTopAnchored(double f, int top, int bottom, double lo, double hi);

class IMeter : public IControl, public IMeterScaled {
 public:
  IMeter(IEffectBase* owner, const Rect& area, const Colour& colour, const double* rangeLow,
         const double* rangeHigh);
  bool Paint(IGraphics& graphics) override;
  void SetMeterFloor(double floorDb) override;
  void SetTopAnchored(bool top) { topAnchored_ = top; }
  void SetLogScale(bool log) { logScale_ = log; }
  double FloorDb() const { return floorDb_.load(std::memory_order_relaxed); }
  double FloorGain() const { return floorGain_.load(std::memory_order_relaxed); }
  // The pixel row of the current level's edge.
  int LevelRow() const;

 protected:
  Colour colour_;
  bool topAnchored_ = false;
  const double* rangeLow_ = nullptr;   // owned by the plug-in, 0.0
  const double* rangeHigh_ = nullptr;  // owned by the plug-in, 1.0
  bool logScale_ = true;
  std::atomic<double> floorDb_{-24.0};
  std::atomic<double> floorGain_{0.0630957344480193};
};

// A peak line barHeight pixels thick at the level.
class IMeterBar : public IMeter {
 public:
  IMeterBar(IEffectBase* owner, const Rect& area, const Colour& colour, const double* rangeLow,
            const double* rangeHigh);
  bool Paint(IGraphics& graphics) override;
  int BarHeight() const { return barHeight_; }

 private:
  int barHeight_ = 4;
};

// The band between a channel's RMS level (below) and its peak level (above).
// It reads both levels when it paints; the audio side writes them.
class IMeterRange : public IControl, public IMeterScaled {
 public:
  IMeterRange(IEffectBase* owner, const Rect& area, const Colour& colour, const std::atomic<double>* upperLevel,
              const std::atomic<double>* lowerLevel, const double* rangeLow, const double* rangeHigh,
              double floorDb = -24.0);
  bool Paint(IGraphics& graphics) override;
  void SetMeterFloor(double floorDb) override;
  // The band's rows for the current levels: top (peak) and bottom (RMS).
  void BandRows(int* yTop, int* yBottom) const;

 private:
  Colour colour_;
  const std::atomic<double>* upperLevel_ = nullptr;  // peak, written by the audio thread
  const std::atomic<double>* lowerLevel_ = nullptr;  // RMS, written by the audio thread
  const double* rangeLow_ = nullptr;
  const double* rangeHigh_ = nullptr;
  int inset_ = 6;
  bool logScale_ = true;
  std::atomic<double> floorDb_{-24.0};
  std::atomic<double> floorGain_{0.0630957344480193};
};

// The dB scale: short tick lines at both sides and a label in the middle for
// each mark, skipping marks at the edges and marks closer than 10 pixels to
// the last one drawn. Always dirty, so the meters under it repaint every tick.
class vuLines : public IControl, public IMeterScaled {
 public:
  static constexpr int kMarkCount = 25;
  vuLines(IEffectBase* owner, const Rect& area, const Colour& lineColour, const TextStyle& style,
          const double* rangeLow, const double* rangeHigh, const double* marksDb, int markCount = kMarkCount);
  bool Paint(IGraphics& graphics) override;
  bool NeedsRedraw() const override { return true; }
  void SetMeterFloor(double floorDb) override;
  void SetTickFraction(double f) { tickFraction_ = f; }
  void SetTickPositions(int leftTickEnd, int rightTickStart, int labelCentre);
  void SetTopAnchored(bool top) { topAnchored_ = top; }
  int MarkCount() const { return markCount_; }
  // Mark rows as of the last paint. [ui thread]
  double Position(int i) const { return i >= 0 && i < markCount_ ? positions_[i] : 0.0; }
  const std::string& Label(int i) const { return labels_[i]; }
  // The marks that paint draws, as indices in mark order.
  std::vector<int> VisibleMarks() const;

 private:
  void ComputePositions();

  std::vector<double> positions_;
  std::vector<double> marksDb_;
  std::vector<std::string> labels_;
  const double* rangeLow_ = nullptr;
  const double* rangeHigh_ = nullptr;
  double lastRangeLow_ = 0.0;
  double lastRangeHigh_ = 0.0;
  bool computed_ = false;  // the first paint always computes
  int markCount_ = kMarkCount;
  bool logScale_ = true;
  // Written by the parameter reaction (any thread, plug-in lock held); the
  // window thread recomputes the positions at its next paint.
  std::atomic<double> floorDb_{-24.0};
  std::atomic<double> floorGain_{0.0630957344480193};
  std::atomic<bool> floorChanged_{false};
  bool topAnchored_ = false;
  Colour lineColour_;
  double tickFraction_ = 0.85;
  int leftTickEnd_ = 0;
  int rightTickStart_ = 0;
  int labelCentre_ = 0;
};

// A held peak in dB as text, red at or above 0 dB; a click resets it.
class ITextVU : public IControl {
 public:
  ITextVU(IEffectBase* owner, const Rect& area, const TextStyle& style, const Colour& background,
          double releaseSetting = 10.0);
  bool Paint(IGraphics& graphics) override;
  bool NeedsRedraw() const override { return true; }
  void ReceiveValue(double value) override;  // [audio thread]
  void MouseDown(int x, int y, const MouseMods& mods) override;
  void MouseDrag(int x, int y, int dx, int dy, const MouseMods& mods) override;
  void MouseOver(int x, int y, const MouseMods& mods) override;
  double HeldLevel() const { return heldLevel_.load(std::memory_order_relaxed); }
  double ReleaseCoefficient() const { return releaseCoefficient_; }
  // The shown number and its colour for the held level.
  double ShownDb() const;
  Colour TextColour() const;
  void Reset();

 private:
  Colour background_;
  Colour normalTextColour_;
  std::atomic<double> heldLevel_{0.0};  // written by the audio thread and reset by the window thread
  double releaseCoefficient_ = 0.998549939236392;
  double floorGain_ = 0.001;
  double floorDbShown_ = -60.0;
};
