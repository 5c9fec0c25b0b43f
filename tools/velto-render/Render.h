#pragma once
// Running a plug-in over audio the way a host plays a file, a block at a time.

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AudioFile.h"
#include "HostedPlugin.h"

class IEffectOffline;

// The built-in plug-in through the offline binding, seen through the same
// interface as a loaded module, plus access by plain values and names.
class OfflineVelto : public HostedPlugin {
 public:
  OfflineVelto();
  ~OfflineVelto() override;

  std::string Name() override;
  int NumParams() override;  // the declared parameters
  std::string ParamName(int idx) override;
  std::string ParamDisplay(int idx) override;
  double GetParamNormalized(int idx) override;
  void SetParamNormalized(int idx, double value) override;
  int NumPresets() override;
  std::string PresetName(int idx) override;
  bool SelectPreset(int idx) override;
  bool Prepare(double sampleRate, int maxBlock, int channels, std::string* error) override;
  void Process(const double* const* inputs, double* const* outputs, int frames) override;
  int LatencySamples() override;

  // Index of a parameter by enum name ("kMix") or display name ("Mix"); -1 if none.
  int FindParam(const std::string& name);
  // Sets a plain value; *clamped tells whether it had to be limited to the range.
  bool SetParamPlain(int idx, double value, bool* clamped);
  // Slots that hold a preset (the factory ones); the rest are unfilled.
  bool PresetIsFilled(int idx);
  IEffectOffline& Plugin() { return *plugin_; }

 private:
  std::unique_ptr<IEffectOffline> plugin_;
};

// Peak and RMS of a stream, added to a block at a time.
class LevelMeter {
 public:
  void Add(const double* samples, int frames);
  double PeakDb() const { return peak_ > 0.0 ? 20.0 * std::log10(peak_) : -HUGE_VAL; }
  double RmsDb() const {
    return count_ > 0 && sum_ > 0.0 ? 10.0 * std::log10(sum_ / static_cast<double>(count_)) : -HUGE_VAL;
  }

 private:
  double peak_ = 0.0, sum_ = 0.0;
  int64_t count_ = 0;
};

struct ChannelLevels {
  double peakDb = -HUGE_VAL;
  double rmsDb = -HUGE_VAL;
};
ChannelLevels MeasureLevels(const std::vector<double>& samples);
std::string FormatDb(double db);

// Where the audio comes from and goes to.
class AudioSource {
 public:
  virtual ~AudioSource() = default;
  virtual int Channels() const = 0;
  virtual double SampleRate() const = 0;
  virtual int64_t TotalFrames() const = 0;  // -1 when unknown
  // As AudioReader::Read: a count, 0 at the end, -1 with a message.
  virtual int Read(double* const* channels, int maxFrames, std::string* error) = 0;
};

class AudioSink {
 public:
  virtual ~AudioSink() = default;
  virtual bool Write(const double* const* channels, int frames, std::string* error) = 0;
};

class ReaderSource : public AudioSource {
 public:
  explicit ReaderSource(AudioReader& reader) : reader_(reader) {}
  int Channels() const override { return reader_.Channels(); }
  double SampleRate() const override { return reader_.SampleRate(); }
  int64_t TotalFrames() const override { return reader_.Frames(); }
  int Read(double* const* channels, int maxFrames, std::string* error) override {
    return reader_.Read(channels, maxFrames, error);
  }

 private:
  AudioReader& reader_;
};

class BufferSource : public AudioSource {
 public:
  explicit BufferSource(const AudioBuffer& buffer) : buffer_(buffer) {}
  int Channels() const override { return static_cast<int>(buffer_.channels.size()); }
  double SampleRate() const override { return buffer_.sampleRate; }
  int64_t TotalFrames() const override { return buffer_.Frames(); }
  int Read(double* const* channels, int maxFrames, std::string* error) override;

 private:
  const AudioBuffer& buffer_;
  int position_ = 0;
};

class WriterSink : public AudioSink {
 public:
  explicit WriterSink(AudioWriter& writer) : writer_(writer) {}
  bool Write(const double* const* channels, int frames, std::string* error) override {
    return writer_.Write(channels, frames, error);
  }

 private:
  AudioWriter& writer_;
};

class BufferSink : public AudioSink {
 public:
  explicit BufferSink(AudioBuffer& buffer) : buffer_(buffer) {}
  bool Write(const double* const* channels, int frames, std::string* error) override;

 private:
  AudioBuffer& buffer_;
};

struct RenderSettings {
  int block = 512;
  // The latency the plug-in reports is always flushed at the end; with
  // compensation it is also trimmed from the start, so the output lines up
  // with the input sample for sample.
  bool compensateLatency = true;
  // Silence run through the plug-in before the audio, so the fade-in that
  // follows a reset and the initial settings is over when the audio starts.
  double prerollSeconds = 0.25;
};

struct RenderResult {
  int64_t frames = 0;  // written
  int latency = 0;     // as the plug-in reported it
  // Every frame through the plug-in's process call (the pre-roll and the
  // latency flush included), and this thread's processor time inside those
  // calls: the plug-in's own cost, without the file reading and writing.
  int64_t processedFrames = 0;
  double processSeconds = 0.0;
  std::vector<LevelMeter> in, out;
};

// Streams source through the plug-in into sink, block by block: memory does
// not grow with the length. The output has the input's length when latency is
// compensated, and that plus the latency when not. progress(fraction) is
// called between blocks when the length is known. The plug-in must be
// prepared for the source's rate, channels and this block length.
bool RenderStream(HostedPlugin& plugin, AudioSource& source, AudioSink& sink, const RenderSettings& settings,
                  const std::function<void(double)>& progress, RenderResult* result, std::string* error);

// The whole buffer through RenderStream (tests and small tools).
AudioBuffer RenderBuffer(HostedPlugin& plugin, const AudioBuffer& input, int block,
                         const std::function<void(double)>& progress, const RenderSettings& settings = {});
