// velto-render: runs Velto (or a VST2/VST3 module) over an audio file.

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "AudioFile.h"
#include "EditorSnapshot.h"
#include "ExampleSignal.h"
#include "OutputFormat.h"
#include "PluginSetup.h"
#include "Render.h"
#include "RenderOptions.h"
#include "Velto.h"

namespace {
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int Usage(const std::string& message) {
  std::fprintf(stderr, "velto-render: %s\n(see velto-render --help)\n", message.c_str());
  return kExitUsage;
}

int Failure(const std::string& message) {
  std::fprintf(stderr, "velto-render: %s\n", message.c_str());
  return kExitFailure;
}

int Status(SetupStatus status, const std::string& message) {
  return status == SetupStatus::kUsage ? Usage(message) : Failure(message);
}

void Warn(const std::string& message) { std::fprintf(stderr, "velto-render: warning: %s\n", message.c_str()); }

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Loads --module, naming the module once in any message.
std::unique_ptr<HostedPlugin> LoadModule(const std::string& path, std::string* error) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    *error = "no such module: " + path;
    return nullptr;
  }
  // A Windows VST3 module is one file; a Linux one is a bundle folder.
  if (EndsWith(path, ".dll") || (EndsWith(path, ".vst3") && std::filesystem::is_regular_file(path, ec))) {
    *error = path + " is a Windows module; velto-render on Linux loads Linux modules (a VST2 .so, a VST3 bundle or a .clap)";
    return nullptr;
  }
  std::unique_ptr<HostedPlugin> module = LoadHostedPlugin(path, error);
  if (!module && error->find(path) == std::string::npos) *error = "cannot load " + path + ": " + *error;
  return module;
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

void Summarise(FILE* to, const std::string& output, double sampleRate, int channels, const RenderResult& result,
               bool compensated, double seconds) {
  const double duration = result.frames / sampleRate;
  std::fprintf(to, "%s: %.2f s, %d channel%s, %.0f Hz\n", output == "-" ? "standard output" : output.c_str(),
               duration, channels, channels == 1 ? "" : "s", sampleRate);
  for (int c = 0; c < channels; ++c) {
    std::fprintf(to, "  %s  in peak %s dBFS rms %s dBFS   out peak %s dBFS rms %s dBFS\n",
                 channels == 1 ? "mono " : (c == 0 ? "left " : "right"), FormatDb(result.in[c].PeakDb()).c_str(),
                 FormatDb(result.in[c].RmsDb()).c_str(), FormatDb(result.out[c].PeakDb()).c_str(),
                 FormatDb(result.out[c].RmsDb()).c_str());
  }
  std::fprintf(to, "  latency %d samples%s\n", result.latency,
               result.latency == 0 ? "" : (compensated ? ", compensated" : ", not compensated"));
  std::fprintf(to, "  processed in %.3f s: %.1f x real time\n", seconds, seconds > 0.0 ? duration / seconds : 0.0);
  // The plug-in's own share: processor time inside its process calls.
  if (result.processedFrames > 0 && result.processSeconds > 0.0)
    std::fprintf(to, "  in the plug-in %.3f s of processor time for %lld frames: %.1f ns per frame, %.1f x real time\n",
                 result.processSeconds, static_cast<long long>(result.processedFrames),
                 result.processSeconds * 1e9 / static_cast<double>(result.processedFrames),
                 static_cast<double>(result.processedFrames) / sampleRate / result.processSeconds);
}
}  // namespace

int main(int argc, char** argv) {
  RenderOptions options;
  std::string error;
  if (!ParseRenderOptions(std::vector<std::string>(argv + 1, argv + argc), &options, &error)) return Usage(error);
  if (options.help) {
    std::printf("%s", RenderUsage());
    return kExitOk;
  }
  if (options.seedGiven) VeltoRandomSeed::UseFixedSeed(options.seed);
  if (!options.snapshot.empty() && !options.module.empty())
    return Usage("--snapshot paints the built-in plug-in's editor; it does not work with --module");

  // The plug-in: ours through the offline binding, or a module as a host loads it.
  std::unique_ptr<HostedPlugin> module;
  std::unique_ptr<OfflineVelto> velto;
  if (!options.module.empty()) {
    module = LoadModule(options.module, &error);
    if (!module) return Failure(error);
  } else {
    velto = std::make_unique<OfflineVelto>();
  }
  HostedPlugin& fx = module ? *module : static_cast<HostedPlugin&>(*velto);

  if (options.listParams) ListParams(fx, velto.get());
  if (options.listPresets) ListPresets(fx, velto.get());
  if (options.listParams || options.listPresets) return kExitOk;

  // The input: a file read a block at a time, or the built-in example.
  AudioReader reader;
  AudioBuffer example;
  std::unique_ptr<AudioSource> source;
  int inputSubtype = 0;
  if (options.input.empty()) {
    example = MakeExampleSignal(options.sampleRate);
    if (options.format == SampleFormat::kAsInput) options.format = SampleFormat::kFloat;
    source = std::make_unique<BufferSource>(example);
  } else {
    if (SameFile(options.input, options.output)) return Usage("OUTPUT must not be the INPUT file");
    if (!reader.Open(options.input, &error)) return Failure(error);
    inputSubtype = reader.Subtype();
    source = std::make_unique<ReaderSource>(reader);
  }
  const int channels = source->Channels();
  const double sampleRate = source->SampleRate();

  if (!OutputPathUsable(options.output, &error)) return Usage(error);
  OutputFormat format;
  std::vector<std::string> warnings;
  if (!ChooseOutputFormat(options.output, options.type, options.format, inputSubtype, channels,
                          static_cast<int>(sampleRate + 0.5), &format, &warnings, &error))
    return Usage(error);

  if (!fx.Prepare(sampleRate, options.block, channels, &error)) return Failure(error);
  if (!Velto::RateSupported(sampleRate))
    std::fprintf(stderr, "velto-render: warning: Velto works from %g to %g Hz; at %g Hz the audio passes through unprocessed\n",
                 Velto::kMinSampleRate, Velto::kMaxSampleRate, sampleRate);
  // Preset, then the single settings in the order given.
  if (!options.preset.empty()) {
    const SetupStatus status = ApplyPreset(fx, velto.get(), options.preset, &error);
    if (status != SetupStatus::kOk) return Status(status, error);
  }
  const SetupStatus set = ApplySettings(fx, velto.get(), options.sets, &warnings, &error);
  if (set != SetupStatus::kOk) return Status(set, error);
  for (const std::string& w : warnings) Warn(w);

  AudioWriter writer;
  bool refused = false;
  if (!writer.Open(options.output, format, channels, sampleRate, &refused, &error))
    return refused ? Usage(error) : Failure(error);

  Progress progress(!options.quiet);
  RenderSettings settings;
  settings.block = options.block;
  settings.compensateLatency = options.compensateLatency;
  RenderResult result;
  WriterSink sink(writer);
  const auto start = std::chrono::steady_clock::now();
  if (!RenderStream(fx, *source, sink, settings, [&](double f) { progress(f); }, &result, &error)) {
    writer.Abandon();
    return Failure(error + (writer.ToStandardOutput() ? "; the output stream is incomplete" : "; nothing written"));
  }
  if (!writer.Commit(&error)) return Failure(error);
  if (!options.snapshot.empty() && !WriteEditorSnapshot(velto->Plugin(), options.snapshot, &error))
    return Failure(error);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  if (writer.ClippedSamples() > 0) {
    char text[200];
    std::snprintf(text, sizeof text,
                  "%lld samples clipped at full scale (peak %+.1f dBFS); lower the output gain or write "
                  "--format float",
                  static_cast<long long>(writer.ClippedSamples()), 20.0 * std::log10(writer.Peak()));
    Warn(text);
  }
  // The summary goes to standard error when the audio goes to standard output.
  if (!options.quiet)
    Summarise(writer.ToStandardOutput() ? stderr : stdout, options.output, sampleRate, channels, result,
              options.compensateLatency, seconds);
  return kExitOk;
}
