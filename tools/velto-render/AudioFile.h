#pragma once
// Audio files through libsndfile, read and written a block at a time so a
// render needs the same memory for a second as for an hour. Samples are
// de-interleaved doubles, one buffer per channel.

#include <cstdint>
#include <string>
#include <vector>

#include "OutputFormat.h"

typedef struct sf_private_tag SNDFILE;

// A whole file in memory: the built-in example and tests.
struct AudioBuffer {
  double sampleRate = 44100.0;
  std::vector<std::vector<double>> channels;
  int subtype = 0;  // libsndfile subtype of the file read (0 for generated audio)
  int Frames() const { return channels.empty() ? 0 : static_cast<int>(channels[0].size()); }
};

// Reads a mono or stereo file, or standard input for "-".
class AudioReader {
 public:
  AudioReader() = default;
  ~AudioReader();
  AudioReader(const AudioReader&) = delete;
  AudioReader& operator=(const AudioReader&) = delete;

  bool Open(const std::string& path, std::string* error);
  int Channels() const { return channels_; }
  double SampleRate() const { return sampleRate_; }
  int Subtype() const { return subtype_; }
  int64_t Frames() const { return frames_; }  // -1 when unknown (a pipe)
  // Up to maxFrames frames into one buffer per channel: the count, 0 at the
  // end, -1 with a message on a read error.
  int Read(double* const* channels, int maxFrames, std::string* error);

 private:
  SNDFILE* file_ = nullptr;
  std::string path_;
  int channels_ = 0;
  double sampleRate_ = 0.0;
  int subtype_ = 0;
  int64_t frames_ = -1;
  std::vector<double> interleaved_;
};

// Writes OUTPUT safely: a regular file (or a new path) is written as a hidden
// temporary file beside it and renamed over it only by Commit, so a failure,
// Ctrl-C or a kill leaves OUTPUT as it was and no temporary file behind. "-"
// writes to standard output. Anything else (a FIFO, a device, a folder) is
// refused before anything is written.
class AudioWriter {
 public:
  AudioWriter() = default;
  ~AudioWriter();  // abandons an uncommitted file
  AudioWriter(const AudioWriter&) = delete;
  AudioWriter& operator=(const AudioWriter&) = delete;

  // *refused tells a path of the wrong kind apart from a failure to create the file.
  bool Open(const std::string& path, const OutputFormat& format, int channels, double sampleRate,
            bool* refused, std::string* error);
  bool Write(const double* const* channels, int frames, std::string* error);
  // Finishes the file and moves it into place.
  bool Commit(std::string* error);
  // Closes and removes the temporary file.
  void Abandon();

  // Samples beyond full scale written to a format that cannot keep them, and
  // the largest magnitude written.
  int64_t ClippedSamples() const { return clipped_; }
  double Peak() const { return peak_; }
  bool ToStandardOutput() const { return path_ == "-"; }

 private:
  SNDFILE* file_ = nullptr;
  std::string path_;    // as given
  std::string target_;  // the file renamed over (symbolic links resolved)
  std::string temp_;
  int channels_ = 0;
  bool keepsOvers_ = false;
  int64_t clipped_ = 0;
  double peak_ = 0.0;
  std::vector<double> interleaved_;
};

// False with a message when OUTPUT names something other than a regular
// file, a new path or "-" (a FIFO, a device, a folder).
bool OutputPathUsable(const std::string& path, std::string* error);

// True when both names refer to the same existing file.
bool SameFile(const std::string& a, const std::string& b);

// Whole-file helpers for tests and small tools.
bool ReadAudioFile(const std::string& path, AudioBuffer* out, std::string* error);
