// Meter scale mapping, the dB scale's marks and the peak read-out.

#include <atomic>
#include <cmath>

#include "EditorRig.h"
#include "IMeter.h"
#include "EditorCheck.h"

using namespace rig;

namespace {
const double kLow = 0.0;
const double kHigh = 1.0;
const double kMarks[vuLines::kMarkCount] = {-1,  -2,  -3,  -4,  -5,  -6,  -7,  -8,  -9,  -10, -12, -14, -16,
                                            -18, -20, -24, -28, -32, -36, -44, -52, -60, -68, -78, -92};
double Db(double db) { return std::pow(10.0, db / 20.0); }
}  // namespace

MODULE_TEST(MeterScale, EachFloorMapsItsHalfwayLevelToTheMiddleAndClampsAtBothEdges) {
  Rig r;
  IMeter meter(&r.plugin, Rect(0, 0, 10, 436), Colour(128, 255, 255, 255), &kLow, &kHigh);
  CHECK_NEAR(meter.FloorGain(), 0.0630957344480193, 1e-15);
  for (double floorDb : {-3.0, -24.0, -60.0, -96.0}) {
    meter.SetMeterFloor(floorDb);
    CHECK_NEAR(meter.FloorGain(), Db(floorDb), 1e-12);
    meter.SetValue(Db(floorDb / 2));
    CHECK_NEAR(MeterFraction(meter.Value(), meter.FloorGain()), 0.5, 1e-12);
    CHECK_NEAR(meter.LevelRow(), 218, 1);
    meter.SetValue(meter.FloorGain());  // exactly at the floor: an empty column
    CHECK_EQ(meter.LevelRow(), 436);
    meter.SetValue(Db(floorDb) * 0.5);
    CHECK_EQ(meter.LevelRow(), 436);
    meter.SetValue(1.0);
    CHECK_EQ(meter.LevelRow(), 0);
    meter.SetValue(3.0);  // above full scale: held at the top edge
    CHECK_EQ(meter.LevelRow(), 0);
    meter.SetValue(0.0);
    CHECK_EQ(meter.LevelRow(), 436);
  }
  meter.SetMeterFloor(-3.0);
  meter.SetValue(0.7079);  // just below the -3 dB floor: nothing shows
  CHECK_EQ(meter.LevelRow(), 436);
  meter.SetMeterFloor(-24.0);
  meter.SetValue(Db(-6.0));
  CHECK_NEAR(meter.LevelRow(), 109, 1);  // a quarter of the way down
  CHECK_NEAR(MeterFractionTopAnchored(1.0 - Db(-12.0), -24.0, Db(-24.0)), 0.5, 1e-12);
  CHECK_NEAR(MeterFractionTopAnchored(0.99, -24.0, Db(-24.0)), 1.0, 0.0);
}

MODULE_TEST(MeterScale, ThePeakLineIsFourPixelsAroundTheLevelAndStaysInside) {
  Rig r;
  IMeterBar bar(&r.plugin, Rect(0, 100, 10, 536), Colour(255, 255, 0, 0), &kLow, &kHigh);
  CHECK_EQ(bar.BarHeight(), 4);
  bar.SetValue(Db(-12.0));
  CHECK_NEAR(bar.LevelRow(), 318, 1);
}

MODULE_TEST(MeterScale, TheBandSpansRmsToPeakAndVanishesWhenRmsIsAbove) {
  Rig r;
  std::atomic<double> peak{Db(-6.0)};
  std::atomic<double> rms{Db(-12.0)};
  IMeterRange band(&r.plugin, Rect(0, 0, 20, 436), Colour(100, 0, 0, 255), &peak, &rms, &kLow, &kHigh, -24.0);
  int top = 0;
  int bottom = 0;
  band.BandRows(&top, &bottom);
  CHECK_NEAR(top, 109, 1);
  CHECK_NEAR(bottom, 218, 1);
  band.SetMeterFloor(-48.0);
  band.BandRows(&top, &bottom);
  CHECK_EQ(top, 54);
  CHECK_NEAR(bottom, 109, 1);
  rms.store(Db(-3.0));
  band.BandRows(&top, &bottom);
  CHECK_TRUE(bottom < top);
  peak.store(0.0);
  rms.store(0.0);
  band.BandRows(&top, &bottom);
  CHECK_EQ(top, 436);
  CHECK_EQ(bottom, 436);
}

MODULE_TEST(ScaleLines, MarksLandAtTheirDbAndCrowdedMarksAreSkippedAtWideScales) {
  Rig r(60, 436);
  auto* lines = new vuLines(&r.plugin, Rect(0, 0, 60, 436), Colour(255, 0, 0, 0), TextStyle(9, Colour()), &kLow,
                            &kHigh, kMarks);
  r.gui->AddControl(lines);
  r.Attach();
  CHECK_EQ(lines->MarkCount(), 25);
  CHECK_EQ(lines->Label(0), std::string("-1"));
  CHECK_EQ(lines->Label(24), std::string("-92"));
  struct Case {
    double floorDb;
    std::vector<int> shown;
    std::vector<double> rows;
  };
  const Case cases[] = {
      {-3.0, {0, 1}, {145.333, 290.667}},
      {-24.0,
       {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14},
       {18.167, 36.333, 54.5, 72.667, 90.833, 109.0, 127.167, 145.333, 163.5, 181.667, 218.0, 254.333, 290.667,
        327.0, 363.333}},
      {-60.0,
       {1, 3, 5, 7, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20},
       {14.533, 29.067, 43.6, 58.133, 72.667, 87.2, 101.733, 116.267, 130.8, 145.333, 174.4, 203.467, 232.533,
        261.6, 319.733, 377.867}},
      {-96.0,
       {2, 5, 8, 10, 12, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24},
       {13.625, 27.25, 40.875, 54.5, 72.667, 90.833, 109.0, 127.167, 145.333, 163.5, 199.833, 236.167, 272.5,
        308.833, 354.25, 417.833}},
  };
  for (const Case& c : cases) {
    r.gui->SetMeterFloor(0, c.floorDb);
    r.gui->Tick();  // always dirty: every tick repaints and recomputes after a floor change
    CHECK_EQ(lines->VisibleMarks(), c.shown);
    for (size_t i = 0; i < c.shown.size(); ++i) CHECK_NEAR(lines->Position(c.shown[i]), c.rows[i], 0.001);
    // Marks at or below the floor sit on the bottom edge.
    for (int i = 0; i < 25; ++i) {
      if (kMarks[i] <= c.floorDb) {
        CHECK_NEAR(lines->Position(i), 436.0, 0.0);
      }
    }
  }
  CHECK_TRUE(lines->NeedsRedraw());
}

MODULE_TEST(ReadOut, HoldsPeaksReleasesSlowlyShowsRedAtZeroDbAndResetsOnAClick) {
  Rig r;
  TextStyle style(10, Colour(255, 200, 200, 200));
  auto* vu = new ITextVU(&r.plugin, Rect(0, 0, 40, 12), style, Colour(0, 0, 0, 0), 10.0);
  r.gui->AddControl(vu);
  r.Attach();
  CHECK_NEAR(vu->ReleaseCoefficient(), 0.998549939236392, 1e-15);
  vu->ReceiveValue(0.5);
  CHECK_NEAR(vu->HeldLevel(), 0.5, 0.0);
  vu->ReceiveValue(0.1);
  CHECK_NEAR(vu->HeldLevel(), 0.4 * 0.998549939236392 + 0.1, 1e-15);
  vu->ReceiveValue(-0.8);  // the magnitude counts
  CHECK_NEAR(vu->HeldLevel(), 0.8, 0.0);
  vu->ReceiveValue(std::nan(""));
  CHECK_NEAR(vu->HeldLevel(), 0.8, 0.0);
  CHECK_NEAR(vu->ShownDb(), -1.9382, 1e-4);
  CHECK_TRUE(vu->TextColour() == style.colour);
  vu->ReceiveValue(1.0);
  CHECK_NEAR(vu->ShownDb(), 0.0, 1e-12);
  CHECK_TRUE(vu->TextColour() == Colour(255, 255, 0, 0));
  r.gui->DispatchMouseDown(5, 5, Left());
  CHECK_NEAR(vu->HeldLevel(), 0.001, 0.0);
  CHECK_NEAR(vu->ShownDb(), -60.0, 1e-9);
  CHECK_TRUE(vu->TextColour() == style.colour);
  ITextVU fresh(&r.plugin, Rect(0, 0, 40, 12), style, Colour(0, 0, 0, 0));
  CHECK_NEAR(fresh.ShownDb(), -60.0, 0.0);  // below the floor
  CHECK_TRUE(vu->NeedsRedraw());
}
