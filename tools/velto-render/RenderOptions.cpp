#include "RenderOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {
bool ParseInt(const std::string& text, long minValue, long maxValue, long* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < minValue || v > maxValue) return false;
  *out = v;
  return true;
}

bool ParseReal(const std::string& text, double* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (*end != '\0' || !std::isfinite(v)) return false;
  *out = v;
  return true;
}
}  // namespace

const char* RenderUsage() {
  return "usage: velto-render [options] [INPUT] OUTPUT\n"
         "\n"
         "Runs Velto over an audio file (any format libsndfile reads, mono or stereo)\n"
         "and writes the result. Without INPUT it renders a built-in example. The\n"
         "output has the input's length and lines up with it sample for sample.\n"
         "INPUT - reads standard input; OUTPUT - writes standard output (AU unless\n"
         "--type says otherwise).\n"
         "\n"
         "options:\n"
         "  --preset NAME|N      factory preset by name or slot (default: slot 0, \"-\")\n"
         "  --set PARAM=VALUE    set a parameter after the preset; PARAM is the enum name\n"
         "                       (kMix) or the display name (\"Mix\"), VALUE is in the\n"
         "                       parameter's unit, a choice's name (\"HP Q=Butterworth\")\n"
         "                       or on/off for a switch; repeatable\n"
         "  --list-presets       list the presets and exit\n"
         "  --list-params        list the parameters and exit\n"
         "  --block N            block length in samples (default 512)\n"
         "  --sample-rate HZ     sample rate of the built-in example (default 44100)\n"
         "  --seed N             seed the hiss and modulation, for repeatable output\n"
         "  --format F           sample format: float, pcm24 or pcm16 (default: as the\n"
         "                       input; float for the example)\n"
         "  --type T             file type: wav, aiff, flac, ogg, opus, mp3, caf, w64 or\n"
         "                       au (default: from OUTPUT's extension)\n"
         "  --no-latency-compensation\n"
         "                       write the plug-in's raw output stream: delayed by its\n"
         "                       latency and that much longer than the input\n"
         "  --module PATH        process through a Linux VST2 (.so), VST3 (.vst3) or CLAP\n"
         "                       (.clap) module\n"
         "                       instead; --set then takes PARAM as a name or index and\n"
         "                       VALUE as the host's normalised 0..1 value\n"
         "  --snapshot FILE.png  after processing, paint the editor with its meters and\n"
         "                       settings into a PNG picture (built-in plug-in only)\n"
         "  --quiet              no progress bar and no summary\n"
         "  -h, --help           this text\n";
}

bool ParseRenderOptions(const std::vector<std::string>& args, RenderOptions* o, std::string* error) {
  std::vector<std::string> files;
  auto needValue = [&](size_t& i, const std::string& name, std::string* value) {
    if (i + 1 >= args.size()) {
      *error = name + " needs a value";
      return false;
    }
    *value = args[++i];
    return true;
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string value;
    if (a == "-h" || a == "--help") {
      o->help = true;
    } else if (a == "--list-presets") {
      o->listPresets = true;
    } else if (a == "--list-params") {
      o->listParams = true;
    } else if (a == "--quiet" || a == "-q") {
      o->quiet = true;
    } else if (a == "--preset") {
      if (!needValue(i, a, &o->preset)) return false;
    } else if (a == "--module") {
      if (!needValue(i, a, &o->module)) return false;
    } else if (a == "--snapshot") {
      if (!needValue(i, a, &o->snapshot)) return false;
    } else if (a == "--set") {
      if (!needValue(i, a, &value)) return false;
      const size_t eq = value.find('=');
      if (eq == std::string::npos || eq == 0) {
        *error = "--set takes PARAM=VALUE, not \"" + value + "\"";
        return false;
      }
      o->sets.emplace_back(value.substr(0, eq), value.substr(eq + 1));
    } else if (a == "--type") {
      if (!needValue(i, a, &o->type)) return false;
    } else if (a == "--no-latency-compensation") {
      o->compensateLatency = false;
    } else if (a == "--block") {
      long n = 0;
      if (!needValue(i, a, &value)) return false;
      if (!ParseInt(value, 1, 65536, &n)) {
        *error = "--block takes a whole number from 1 to 65536, not \"" + value + "\"";
        return false;
      }
      o->block = static_cast<int>(n);
    } else if (a == "--sample-rate") {
      if (!needValue(i, a, &value)) return false;
      if (!ParseReal(value, &o->sampleRate) || o->sampleRate < 8000.0 || o->sampleRate > 384000.0) {
        *error = "--sample-rate takes a rate from 8000 to 384000 Hz, not \"" + value + "\"";
        return false;
      }
      o->sampleRateGiven = true;
    } else if (a == "--seed") {
      long n = 0;
      if (!needValue(i, a, &value)) return false;
      if (!ParseInt(value, 0, 4294967295L, &n)) {
        *error = "--seed takes a whole number from 0 to 4294967295, not \"" + value + "\"";
        return false;
      }
      o->seed = static_cast<unsigned>(n);
      o->seedGiven = true;
    } else if (a == "--format") {
      if (!needValue(i, a, &value)) return false;
      if (value == "float") o->format = SampleFormat::kFloat;
      else if (value == "pcm24") o->format = SampleFormat::kPcm24;
      else if (value == "pcm16") o->format = SampleFormat::kPcm16;
      else {
        *error = "--format takes float, pcm24 or pcm16, not \"" + value + "\"";
        return false;
      }
    } else if (a.size() > 1 && a[0] == '-' && a != "-") {
      *error = "unknown option " + a;
      return false;
    } else {
      files.push_back(a);
    }
  }
  if (o->help || o->listParams || o->listPresets) {
    if (!files.empty()) *error = "";
    return true;
  }
  if (files.empty()) {
    *error = "no OUTPUT file given";
    return false;
  }
  if (files.size() > 2) {
    *error = "too many files: give at most INPUT and OUTPUT";
    return false;
  }
  if (files.size() == 2) {
    o->input = files[0];
    o->output = files[1];
    if (o->sampleRateGiven) {
      *error = "--sample-rate is for the built-in example only; a file plays at its own rate";
      return false;
    }
  } else {
    o->output = files[0];
  }
  return true;
}
