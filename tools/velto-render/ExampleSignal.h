#pragma once
#include "AudioFile.h"

// A few seconds of music-like stereo test signal: a sustained chord, a
// drum-like transient on every beat and a bass note, at the given rate.
AudioBuffer MakeExampleSignal(double sampleRate, double seconds = 4.0);
