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
