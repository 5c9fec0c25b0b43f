// velto-render: runs Velto (or any VST2/VST3 module) over an audio file.

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "AudioFile.h"
#include "ExampleSignal.h"
#include "Render.h"
#include "RenderOptions.h"
#include "Velto.h"

namespace {
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int Usage(const std::string& message) {
  std::fprintf(stderr, "velto-render: %s\n\n%s", message.c_str(), RenderUsage());
  return kExitUsage;
}

std::string ParamList(OfflineVelto& fx) {
  std::string names;
  for (int i = 0; i < fx.NumParams(); ++i) {
    names += i ? ", " : "";
    names += kVeltoParamNames[i] + std::string(" (\"") + fx.ParamName(i) + "\")";
  }
  return names;
}

void ListParams(OfflineVelto& fx) {
  std::printf("%-5s %-13s %-19s %-22s %-10s %s\n", "index", "enum", "name", "range", "default", "unit");
  for (int i = 0; i < fx.NumParams(); ++i) {
    const IEffectParam* p = fx.Plugin().GetParam(i);
    char range[64], def[32];
    std::snprintf(range, sizeof range, "%g .. %g", p->Min(), p->Max());
    std::snprintf(def, sizeof def, "%g", p->Default());
    const char* kind = p->Type() == kParamBool ? "on/off" : p->Type() == kParamInt ? "choice" : "";
    std::printf("%-5d %-13s %-19s %-22s %-10s %s\n", i, kVeltoParamNames[i], p->Name(), range, def,
                p->Label()[0] ? p->Label() : kind);
  }
}

void ListPresets(HostedPlugin& fx) {
  for (int i = 0; i < fx.NumPresets(); ++i) std::printf("%2d  %s\n", i, fx.PresetName(i).c_str());
}

// A preset by slot number or by name (exact, then case-insensitive).
int FindPreset(HostedPlugin& fx, const std::string& preset) {
  char* end = nullptr;
  const long n = std::strtol(preset.c_str(), &end, 10);
  if (!preset.empty() && *end == '\0') return n >= 0 && n < fx.NumPresets() ? static_cast<int>(n) : -1;
  for (int i = 0; i < fx.NumPresets(); ++i)
    if (fx.PresetName(i) == preset) return i;
  auto lower = [](std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  };
  for (int i = 0; i < fx.NumPresets(); ++i)
    if (lower(fx.PresetName(i)) == lower(preset)) return i;
  return -1;
}

bool ParseNumber(const std::string& text, double* value) {
  char* end = nullptr;
  *value = std::strtod(text.c_str(), &end);
  return !text.empty() && *end == '\0' && std::isfinite(*value);
}

class Progress {
 public:
  explicit Progress(bool show) : show_(show && isatty(STDERR_FILENO)) {}
  void operator()(double fraction) {
    if (!show_) return;
    const int filled = static_cast<int>(fraction * 40.0);
    if (filled == last_) return;
    last_ = filled;
    std::fprintf(stderr, "\r[%-40s] %3d%%", std::string(filled, '#').c_str(), static_cast<int>(fraction * 100.0));
    if (fraction >= 1.0) std::fprintf(stderr, "\n");
  }

 private:
  bool show_;
  int last_ = -1;
};
}  // namespace

int main(int argc, char** argv) {
  RenderOptions options;
  std::string error;
  if (!ParseRenderOptions(std::vector<std::string>(argv + 1, argv + argc), &options, &error))
    return Usage(error);
  if (options.help) {
    std::printf("%s", RenderUsage());
    return kExitOk;
  }
  if (options.seedGiven) VeltoRandomSeed::UseFixedSeed(options.seed);

  // The plug-in: ours through the offline binding, or a module as a host loads it.
  std::unique_ptr<HostedPlugin> module;
  std::unique_ptr<OfflineVelto> velto;
  if (!options.module.empty()) {
    module = LoadHostedPlugin(options.module, &error);
    if (!module) {
      std::fprintf(stderr, "velto-render: cannot load %s: %s\n", options.module.c_str(), error.c_str());
      return kExitFailure;
    }
  } else {
    velto = std::make_unique<OfflineVelto>();
  }
  HostedPlugin& fx = module ? *module : static_cast<HostedPlugin&>(*velto);

  if (options.listParams) {
    if (velto) {
      ListParams(*velto);
    } else {
      for (int i = 0; i < fx.NumParams(); ++i)
        std::printf("%3d  %-24s %s\n", i, fx.ParamName(i).c_str(), fx.ParamDisplay(i).c_str());
    }
  }
  if (options.listPresets) ListPresets(fx);
  if (options.listParams || options.listPresets) return kExitOk;

  // The input.
  AudioBuffer input;
  if (options.input.empty()) {
    input = MakeExampleSignal(options.sampleRate);
    if (options.format == SampleFormat::kAsInput) options.format = SampleFormat::kFloat;
  } else {
    if (SameFile(options.input, options.output)) return Usage("OUTPUT must not be the INPUT file");
    if (!ReadAudioFile(options.input, &input, &error)) {
      std::fprintf(stderr, "velto-render: %s\n", error.c_str());
      return kExitFailure;
    }
  }
  const int channels = static_cast<int>(input.channels.size());

  if (!fx.Prepare(input.sampleRate, options.block, channels, &error)) {
    std::fprintf(stderr, "velto-render: %s\n", error.c_str());
    return kExitFailure;
  }
  if (!Velto::RateSupported(input.sampleRate))
    std::fprintf(stderr, "velto-render: warning: Velto works from %g to %g Hz; at %g Hz the audio passes through unprocessed\n",
                 Velto::kMinSampleRate, Velto::kMaxSampleRate, input.sampleRate);

  // Preset, then the single settings in the order given.
  if (!options.preset.empty()) {
    const int slot = FindPreset(fx, options.preset);
    if (slot < 0) {
      std::string names;
      for (int i = 0; i < fx.NumPresets(); ++i) names += "\n  " + std::to_string(i) + "  " + fx.PresetName(i);
      return Usage("unknown preset \"" + options.preset + "\"; the presets are:" + names);
    }
    if (!fx.SelectPreset(slot)) {
      std::fprintf(stderr, "velto-render: preset %d could not be loaded\n", slot);
      return kExitFailure;
    }
  }
  for (const auto& [name, valueText] : options.sets) {
    double value = 0.0;
    if (!ParseNumber(valueText, &value))
      return Usage("--set " + name + ": \"" + valueText + "\" is not a number");
    if (velto) {
      const int idx = velto->FindParam(name);
      if (idx < 0) return Usage("unknown parameter \"" + name + "\"; valid names: " + ParamList(*velto));
      bool clamped = false;
      velto->SetParamPlain(idx, value, &clamped);
      const IEffectParam* p = velto->Plugin().GetParam(idx);
      if (clamped)
        std::fprintf(stderr, "velto-render: warning: %s = %g is outside %g .. %g; using %g\n",
                     kVeltoParamNames[idx], value, p->Min(), p->Max(), p->Value());
    } else {
      int idx = -1;
      char* end = nullptr;
      const long n = std::strtol(name.c_str(), &end, 10);
      if (*end == '\0' && n >= 0 && n < fx.NumParams()) idx = static_cast<int>(n);
      for (int i = 0; i < fx.NumParams() && idx < 0; ++i)
        if (fx.ParamName(i) == name) idx = i;
      if (idx < 0) {
        std::string names;
        for (int i = 0; i < fx.NumParams(); ++i) names += (i ? ", " : "") + fx.ParamName(i);
        return Usage("unknown parameter \"" + name + "\"; valid names: " + names);
      }
      if (value < 0.0 || value > 1.0) {
        std::fprintf(stderr, "velto-render: warning: %s = %g is outside 0 .. 1 (normalised); clamped\n",
                     name.c_str(), value);
        value = std::fmin(std::fmax(value, 0.0), 1.0);
      }
      fx.SetParamNormalized(idx, value);
    }
  }

  Progress progress(!options.quiet);
  const auto start = std::chrono::steady_clock::now();
  AudioBuffer output = RenderBuffer(fx, input, options.block, [&](double f) { progress(f); });
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  for (const auto& ch : output.channels) {
    for (double s : ch) {
      if (!std::isfinite(s)) {
        std::fprintf(stderr, "velto-render: the plug-in produced non-finite samples; nothing written\n");
        return kExitFailure;
      }
    }
  }
  if (!WriteAudioFile(options.output, output, options.format, &error)) {
    std::fprintf(stderr, "velto-render: %s\n", error.c_str());
    return kExitFailure;
  }

  if (!options.quiet) {
    const double duration = input.Frames() / input.sampleRate;
    std::printf("%s: %.2f s, %d channel%s, %.0f Hz\n", options.output.c_str(), duration, channels,
                channels == 1 ? "" : "s", input.sampleRate);
    for (int c = 0; c < channels; ++c) {
      const ChannelLevels in = MeasureLevels(input.channels[c]);
      const ChannelLevels out = MeasureLevels(output.channels[c]);
      std::printf("  %s  in peak %s dBFS rms %s dBFS   out peak %s dBFS rms %s dBFS\n",
                  channels == 1 ? "mono " : (c == 0 ? "left " : "right"), FormatDb(in.peakDb).c_str(),
                  FormatDb(in.rmsDb).c_str(), FormatDb(out.peakDb).c_str(), FormatDb(out.rmsDb).c_str());
    }
    std::printf("  processed in %.3f s: %.1f x real time\n", seconds,
                seconds > 0.0 ? duration / seconds : 0.0);
  }
  return kExitOk;
}
