#include "SaturationModels.h"

namespace
{
// Row 17: the tape-like character Velto loads at every reset.
const SaturationModel kModel17 = {
    17,
    {0.028988, 0.0003, 0.088235, 0.95, -156.911765, -80.117647, 15, 12000, -17, 1,
     1, 22000, 0.27, 0.1, 0.1, 55, 3636, 0.48, 0.34, 0.38,
     -0.36, 0.005458, 32, 72.640049, 16000, 0.977941, 0.992647, -5, 3.5, 0.46,
     0, 2, 75, 1250, 1, 0.115204, 0.000235},
    true,
    -110.25,
    0.487941,
};

// Row 25: neutral, the core's construction default (no saturation, no hiss).
const SaturationModel kModel25 = {
    25,
    {0, 0, 1, 1, -240, -240, 20, 22000, -36, 1,
     0, 22000, 0.7, 0.1, 0.1, 0.1, 22000, 0.1, 0.1, 0,
     0, 0, 32, 15, 22000, 1, 1, 0, 0, 0,
     0, 0, 0, 0, 0, 0.01, 0},
    false,
    0.0,
    0.0,
};
}  // namespace

const SaturationModel& FindSaturationModel(int number)
{
    return number == 17 ? kModel17 : kModel25;
}
