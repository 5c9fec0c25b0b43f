#pragma once

// Linear-phase FIR low-pass prototype for the resamplers.
//
// Fills h[0..taps-1] with sin(w*t)/t, t = i - (taps-1)/2, w = 2*pi*cutoff
// (cutoff as a fraction of the sampling rate, 0..0.5), normalised to a sum
// of 1, then weighted by the Blackman window. Normalised values that are not
// finite or below 2^-54 in magnitude become 0, so cutoff 0 yields all zeros.
// Because the window is applied after normalising, the DC gain is slightly
// below 1 (the window is below 1 away from the centre).
// taps >= 2; allocates nothing. [any thread]
void DesignWindowedSinc(double* h, int taps, double cutoff);
