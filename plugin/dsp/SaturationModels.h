#pragma once

// Character rows of the saturation core. Values are indexed as the core's
// GetModelValue reads them:
//  0, 1  low / high band saturation amount     2, 3  low / high band asymmetry
//  4, 5  low / high band crosstalk, dB         6     core band split, Hz
//  7     presence filter, Hz                   8     presence level, dB
//  9     constant 1                            10    presence flag (1 / 0)
// 11, 12 unused frequency (Hz) and factor      13, 14 equaliser high-pass Hz, Q
// 15, 16 low / high peak, Hz                   17, 18 low / high peak Q
// 19, 20 low / high peak gain, dB              21    memory-term base
// 22     quantiser bits (32 = off)             23, 24 low / high boost filter, Hz
// 25, 26 low / high boost exponent             27    channel mismatch, percent
// 28     drive exponent                        29    low band drive factor
// 30     curve set                             31    envelope weight
// 32, 33 envelope attack / release             34    lag blend (superseded)
// 35     lag time                              36    lag rise offset, percent
constexpr int kModelValueCount = 37;

struct SaturationModel
{
    int number;
    double value[kModelValueCount];
    bool hasNoise;       // hiss on: a negative noise level
    double noiseLevelDb;
    double noiseColour;  // < 1 red/pink/white blend, >= 1 pink/white
};

// Rows 17 and 25 exist; any other number gives row 25 (the neutral row).
// [any thread]
const SaturationModel& FindSaturationModel(int number);
