#include "ExampleSignal.h"

#include <cmath>
#include <cstdint>

AudioBuffer MakeExampleSignal(double sampleRate, double seconds) {
  constexpr double kTwoPi = 6.283185307179586;
  AudioBuffer audio;
  audio.sampleRate = sampleRate;
  const int frames = static_cast<int>(sampleRate * seconds);
  audio.channels.assign(2, std::vector<double>(frames));

  // A minor chord (A3, C4, E4, A4) with a slow swell, spread across the field.
  const double chord[] = {220.0, 261.63, 329.63, 440.0};
  const double pan[] = {0.3, 0.7, 0.45, 0.6};
  const double beat = 0.5;  // 120 BPM
  uint32_t noise = 0x12345678u;
  for (int i = 0; i < frames; ++i) {
    const double t = i / sampleRate;
    const double swell = 0.5 - 0.5 * std::cos(kTwoPi * t / seconds);
    double left = 0.0, right = 0.0;
    for (int k = 0; k < 4; ++k) {
      // A little detune between the sides makes the stereo image move.
      const double l = std::sin(kTwoPi * chord[k] * t) + 0.3 * std::sin(2.0 * kTwoPi * chord[k] * t);
      const double r = std::sin(kTwoPi * chord[k] * 1.002 * t) + 0.3 * std::sin(2.0 * kTwoPi * chord[k] * 1.002 * t);
      left += 0.08 * swell * (1.0 - pan[k]) * l;
      right += 0.08 * swell * pan[k] * r;
    }

    // Drum: a pitch-swept sine thump plus a short noise burst on every beat.
    const double sinceBeat = std::fmod(t, beat);
    const double thumpEnv = std::exp(-sinceBeat * 18.0);
    const double thump = 0.55 * thumpEnv * std::sin(kTwoPi * (55.0 * sinceBeat + 90.0 * (1.0 - std::exp(-sinceBeat * 30.0)) / 30.0));
    noise = noise * 1664525u + 1013904223u;
    const double white = (static_cast<int32_t>(noise) / 2147483648.0);
    const double snap = 0.25 * std::exp(-sinceBeat * 60.0) * white;

    // Bass: E1 then A1, a bar each, a square-ish tone with a soft attack.
    const double bassFreq = std::fmod(t, 4.0 * beat) < 2.0 * beat ? 41.2 : 55.0;
    const double bassPhase = std::sin(kTwoPi * bassFreq * t);
    const double bass = 0.22 * std::tanh(2.5 * bassPhase) * (1.0 - std::exp(-std::fmod(t, 2.0 * beat) * 40.0));

    // About -7 dBFS peak: headroom for the drive and the band boosts.
    audio.channels[0][i] = 0.5 * (left + thump + snap + bass);
    audio.channels[1][i] = 0.5 * (right + thump + 0.8 * snap + bass);
  }
  // Short fades so the example starts and ends in silence.
  const int ramp = static_cast<int>(0.01 * sampleRate);
  for (int i = 0; i < ramp && i < frames; ++i) {
    const double g = static_cast<double>(i) / ramp;
    for (auto& ch : audio.channels) {
      ch[i] *= g;
      ch[frames - 1 - i] *= g;
    }
  }
  return audio;
}
