#pragma once

// Constant per-sample gain modulations of the saturation core, identical in
// every instance and on every platform (written-out literals).
constexpr int kModulationTableSize = 604;
// The read position runs over the first 600 entries; five consecutive values
// are read from it, hence the four extra entries.
constexpr int kModulationCycle = 600;

// Pointer to kModulationTableSize doubles in [0.996000406, 1.003993875].
// [any thread]
const double* ModulationTable();

// The factors the saturation core reads at each position p, arranged per
// channel pair so that one load fetches both channels' factor: {m[p+2],
// m[p]} for the low-band stages of channels A and B, {m[p+1], m[p+4]} for
// the high-band stages, {m[p+3], m[p]} for the hiss. Positions run on past
// the cycle by kBlockSpan entries, which repeat the first ones, so that a
// block of up to kBlockSpan + 1 successive positions starting anywhere in
// the cycle reads consecutive entries.
struct ModulationPairs
{
    static constexpr int kBlockSpan = 7;
    static constexpr int kEntries = kModulationCycle + kBlockSpan;
    double low[kEntries][2];
    double high[kEntries][2];
    double hiss[kEntries][2];
};

// Built from ModulationTable on the first call (make it outside the audio
// thread). [any thread]
const ModulationPairs& PairedModulation();
