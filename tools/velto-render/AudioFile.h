#pragma once
// Reading and writing audio files through libsndfile. Samples are held
// de-interleaved as doubles, one vector per channel.

#include <string>
#include <vector>

#include "RenderOptions.h"

struct AudioBuffer {
  double sampleRate = 44100.0;
  std::vector<std::vector<double>> channels;
  int subtype = 0;  // libsndfile subtype of the file read (0 for generated audio)
  int Frames() const { return channels.empty() ? 0 : static_cast<int>(channels[0].size()); }
};

bool ReadAudioFile(const std::string& path, AudioBuffer* out, std::string* error);

// Writes to a temporary file beside path and renames it over path only when
// everything was written, so a failure never leaves a half-written OUTPUT.
bool WriteAudioFile(const std::string& path, const AudioBuffer& audio, SampleFormat format,
                    std::string* error);

// True when both names refer to the same existing file.
bool SameFile(const std::string& a, const std::string& b);
