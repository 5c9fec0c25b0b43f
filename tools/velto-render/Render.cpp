#include "Render.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "Velto.h"

OfflineVelto::OfflineVelto() : plugin_(CreatePlugin(IEffectOffline::InstanceInfo{})) {}
OfflineVelto::~OfflineVelto() = default;

std::string OfflineVelto::Name() { return plugin_->EffectName(); }
int OfflineVelto::NumParams() { return kNumParams; }

std::string OfflineVelto::ParamName(int idx) {
  const IEffectParam* p = plugin_->GetParam(idx);
  return p ? p->Name() : "";
}

std::string OfflineVelto::ParamDisplay(int idx) {
  const IEffectParam* p = plugin_->GetParam(idx);
  if (!p) return "";
  char text[IEffectParam::kTextSize];
  p->FormatValue(text);
  return text;
}

double OfflineVelto::GetParamNormalized(int idx) {
  IEffectLock lock(plugin_->Mutex());
  const IEffectParam* p = plugin_->GetParam(idx);
  return p ? p->ToNormalized() : 0.0;
}

void OfflineVelto::SetParamNormalized(int idx, double value) { plugin_->SetParameterNormalized(idx, value); }

int OfflineVelto::NumPresets() { return plugin_->NumPresets(); }
std::string OfflineVelto::PresetName(int idx) { return plugin_->PresetName(idx); }

bool OfflineVelto::SelectPreset(int idx) {
  IEffectLock lock(plugin_->Mutex());
  return plugin_->LoadPreset(idx);
}

bool OfflineVelto::Prepare(double sampleRate, int maxBlock, int channels, std::string* error) {
  if (!plugin_->SetChannels(channels)) {
    *error = "Velto takes one or two channels, not " + std::to_string(channels);
    return false;
  }
  plugin_->Prepare(sampleRate, maxBlock);
  return true;
}

int OfflineVelto::LatencySamples() {
  IEffectLock lock(plugin_->Mutex());
  return plugin_->GetLatency();
}

bool OfflineVelto::PresetIsFilled(int idx) {
  const PresetSlot* slot = plugin_->GetPreset(idx);
  return slot && slot->initialized;
}

void OfflineVelto::Process(const double* const* inputs, double* const* outputs, int frames) {
  // The framework never writes through input pointers.
  plugin_->Process(const_cast<double**>(inputs), const_cast<double**>(outputs), frames);
}

int OfflineVelto::FindParam(const std::string& name) {
  for (int i = 0; i < kNumParams; ++i)
    if (name == kVeltoParamNames[i] || name == plugin_->GetParam(i)->Name()) return i;
  return -1;
}

bool OfflineVelto::SetParamPlain(int idx, double value, bool* clamped) {
  const IEffectParam* p = plugin_->GetParam(idx);
  if (!p || !std::isfinite(value)) return false;
  *clamped = value < p->Min() || value > p->Max();
  return plugin_->SetParameterValue(idx, value);
}

void LevelMeter::Add(const double* samples, int frames) {
  for (int i = 0; i < frames; ++i) {
    peak_ = std::max(peak_, std::fabs(samples[i]));
    sum_ += samples[i] * samples[i];
  }
  count_ += frames;
}

ChannelLevels MeasureLevels(const std::vector<double>& samples) {
  LevelMeter meter;
  meter.Add(samples.data(), static_cast<int>(samples.size()));
  return {meter.PeakDb(), meter.RmsDb()};
}

std::string FormatDb(double db) {
  if (!std::isfinite(db)) return "  -inf";
  char text[32];
  std::snprintf(text, sizeof text, "%6.1f", db);
  return text;
}

int BufferSource::Read(double* const* channels, int maxFrames, std::string*) {
  const int n = std::max(0, std::min(maxFrames, buffer_.Frames() - position_));
  for (int c = 0; c < Channels(); ++c)
    std::copy_n(buffer_.channels[c].begin() + position_, n, channels[c]);
  position_ += n;
  return n;
}

bool BufferSink::Write(const double* const* channels, int frames, std::string*) {
  for (size_t c = 0; c < buffer_.channels.size(); ++c)
    buffer_.channels[c].insert(buffer_.channels[c].end(), channels[c], channels[c] + frames);
  return true;
}

namespace {
// A longer delay than this is a module's mistake, not a latency to wait out.
constexpr double kMaxLatencySeconds = 10.0;
// The fastest rate hosts run plug-ins at; fades last no more samples than here.
constexpr double kMaxProcessedRate = 768000.0;

// This thread's processor time in seconds; the steady clock where the system
// has no per-thread clock.
double ThreadSeconds() {
#if defined(CLOCK_THREAD_CPUTIME_ID)
  timespec t{};
  if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t) == 0) return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
#endif
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}
}  // namespace

bool RenderStream(HostedPlugin& plugin, AudioSource& source, AudioSink& sink, const RenderSettings& settings,
                  const std::function<void(double)>& progress, RenderResult* result, std::string* error) {
  const int channels = source.Channels();
  const int block = std::max(1, settings.block);
  std::vector<std::vector<double>> inBuf(channels, std::vector<double>(block, 0.0));
  std::vector<std::vector<double>> outBuf(channels, std::vector<double>(block, 0.0));
  double* in[2] = {};
  double* out[2] = {};
  const double* written[2] = {};
  for (int c = 0; c < channels; ++c) {
    in[c] = inBuf[c].data();
    out[c] = outBuf[c].data();
  }
  result->in.assign(channels, LevelMeter());
  result->out.assign(channels, LevelMeter());
  result->frames = 0;
  result->processedFrames = 0;
  result->processSeconds = 0.0;
  auto process = [&](int n) {
    const double start = ThreadSeconds();
    plugin.Process(in, out, n);
    result->processSeconds += ThreadSeconds() - start;
    result->processedFrames += n;
  };

  auto silence = [&](int64_t frames, const std::function<bool(int)>& use) {
    for (int c = 0; c < channels; ++c) std::fill(inBuf[c].begin(), inBuf[c].end(), 0.0);
    while (frames > 0) {
      const int n = static_cast<int>(std::min<int64_t>(block, frames));
      process(n);
      if (!use(n)) return false;
      frames -= n;
    }
    return true;
  };

  // A file claiming a wilder rate than any host runs gets no longer a wait.
  const double prerollRate = std::min(source.SampleRate(), kMaxProcessedRate);
  silence(static_cast<int64_t>(std::ceil(settings.prerollSeconds * prerollRate)), [](int) { return true; });

  // Asked after the pre-roll: a module may apply the settings with its first block.
  const int latency = plugin.LatencySamples();
  if (latency < 0 || latency > kMaxLatencySeconds * source.SampleRate()) {
    *error = "the plug-in reports a latency of " + std::to_string(latency) + " samples, which cannot be right";
    return false;
  }
  result->latency = latency;
  int64_t skip = settings.compensateLatency ? latency : 0;

  // Passes the processed block on, less what is still to be trimmed.
  auto emit = [&](int n) {
    const int offset = static_cast<int>(std::min<int64_t>(skip, n));
    skip -= offset;
    const int count = n - offset;
    if (count == 0) return true;
    for (int c = 0; c < channels; ++c) {
      for (int i = offset; i < n; ++i) {
        if (!std::isfinite(out[c][i])) {
          *error = "the plug-in produced non-finite samples";
          return false;
        }
      }
      written[c] = out[c] + offset;
      result->out[c].Add(written[c], count);
    }
    if (!sink.Write(written, count, error)) return false;
    result->frames += count;
    return true;
  };

  const int64_t total = source.TotalFrames();
  int64_t read = 0;
  for (;;) {
    const int n = source.Read(in, block, error);
    if (n < 0) return false;
    if (n == 0) break;
    for (int c = 0; c < channels; ++c) result->in[c].Add(in[c], n);
    process(n);
    if (!emit(n)) return false;
    read += n;
    if (progress && total > 0) progress(static_cast<double>(read) / static_cast<double>(total));
  }
  // The last latency's worth of the input is still inside the plug-in.
  return silence(latency, emit);
}

AudioBuffer RenderBuffer(HostedPlugin& plugin, const AudioBuffer& input, int block,
                         const std::function<void(double)>& progress, const RenderSettings& settings) {
  AudioBuffer output;
  output.sampleRate = input.sampleRate;
  output.subtype = input.subtype;
  output.channels.assign(input.channels.size(), {});
  BufferSource source(input);
  BufferSink sink(output);
  RenderSettings s = settings;
  s.block = block;
  RenderResult result;
  std::string error;
  RenderStream(plugin, source, sink, s, progress, &result, &error);
  return output;
}
