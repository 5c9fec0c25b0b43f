#pragma once

// Single-precision x^0.85 for positive normal x from two tables: 256 entries
// 2^((e - 127) * 0.85) indexed by the exponent field and 2049 entries
// (1 + i/2048)^0.85 indexed by the top 11 mantissa bits, interpolated
// linearly over the low 12 bits. Relative error about 1e-7 (float
// precision). Used once per model load for the memory-term factor.
// Tables are built on first use (thread-safe static). [any thread]
float TablePow085(float x);
