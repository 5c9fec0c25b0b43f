#include "OutputFormat.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace {
struct TypeInfo {
  const char* name;
  const char* label;       // for messages
  int major;
  int lossySubtype;        // 0 for containers of plain samples
  const char* extensions;  // space separated, with the dot
};

// Every container libsndfile 1.2 writes that a user is likely to want.
const TypeInfo kTypes[] = {
    {"wav", "WAV", SF_FORMAT_WAV, 0, ".wav .wave"},
    {"aiff", "AIFF", SF_FORMAT_AIFF, 0, ".aif .aiff .aifc"},
    {"flac", "FLAC", SF_FORMAT_FLAC, 0, ".flac"},
    {"ogg", "OGG/Vorbis", SF_FORMAT_OGG, SF_FORMAT_VORBIS, ".ogg .oga"},
    {"opus", "Opus", SF_FORMAT_OGG, SF_FORMAT_OPUS, ".opus"},
    {"mp3", "MP3", SF_FORMAT_MPEG, SF_FORMAT_MPEG_LAYER_III, ".mp3"},
    {"caf", "CAF", SF_FORMAT_CAF, 0, ".caf"},
    {"w64", "Wave64", SF_FORMAT_W64, 0, ".w64"},
    {"au", "AU", SF_FORMAT_AU, 0, ".au .snd"},
};

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

const TypeInfo* TypeByName(const std::string& name) {
  for (const TypeInfo& t : kTypes)
    if (Lower(name) == t.name) return &t;
  return nullptr;
}

const TypeInfo* TypeByExtension(const std::string& ext) {
  if (ext.empty()) return nullptr;
  for (const TypeInfo& t : kTypes) {
    const std::string list = std::string(" ") + t.extensions + " ";
    if (list.find(" " + Lower(ext) + " ") != std::string::npos) return &t;
  }
  return nullptr;
}

bool Writable(int format, int channels, int rate) {
  SF_INFO probe{};
  probe.samplerate = rate;
  probe.channels = channels;
  probe.format = format;
  return sf_format_check(&probe) != 0;
}

const char* SampleFormatName(int subtype) {
  switch (subtype) {
    case SF_FORMAT_FLOAT: return "32-bit float";
    case SF_FORMAT_DOUBLE: return "64-bit float";
    case SF_FORMAT_PCM_24: return "24-bit";
    case SF_FORMAT_PCM_16: return "16-bit";
    default: return "its own";
  }
}
}  // namespace

std::string OutputTypeList() {
  std::string list;
  for (const TypeInfo& t : kTypes) list += (list.empty() ? "" : ", ") + std::string(t.name);
  return list;
}

bool ChooseOutputFormat(const std::string& path, const std::string& type, SampleFormat requested,
                        int inputSubtype, int channels, int sampleRate, OutputFormat* out,
                        std::vector<std::string>* warnings, std::string* error) {
  const TypeInfo* info = nullptr;
  if (!type.empty()) {
    info = TypeByName(type);
    if (!info) {
      *error = "--type takes " + OutputTypeList() + ", not \"" + type + "\"";
      return false;
    }
  } else if (path == "-") {
    info = TypeByName("au");
  } else {
    const std::string ext = std::filesystem::path(path).extension().string();
    info = TypeByExtension(ext);
    if (!info) {
      *error = "cannot tell the file type from \"" + path + "\"" +
               (ext.empty() ? std::string(" (no extension)") : " (\"" + ext + "\" is not one velto-render writes)") +
               "; name it .wav, .aiff, .flac, .ogg, .opus, .mp3, .caf, .w64 or .au, or give --type";
      return false;
    }
  }
  out->typeName = info->name;

  if (info->lossySubtype != 0) {
    if (requested != SampleFormat::kAsInput)
      warnings->push_back(std::string(info->label) + " is a lossy format with no sample format of its own; --format is ignored");
    out->format = info->major | info->lossySubtype;
  } else {
    // The asked-for format, then the nearest ones below it.
    std::vector<int> candidates;
    switch (requested) {
      case SampleFormat::kFloat: candidates = {SF_FORMAT_FLOAT, SF_FORMAT_PCM_24, SF_FORMAT_PCM_16}; break;
      case SampleFormat::kPcm24: candidates = {SF_FORMAT_PCM_24, SF_FORMAT_PCM_16}; break;
      case SampleFormat::kPcm16: candidates = {SF_FORMAT_PCM_16}; break;
      case SampleFormat::kAsInput:
        if (inputSubtype != 0) candidates.push_back(inputSubtype);
        candidates.insert(candidates.end(), {SF_FORMAT_FLOAT, SF_FORMAT_PCM_24, SF_FORMAT_PCM_16});
        break;
    }
    out->format = 0;
    for (int subtype : candidates) {
      if (Writable(info->major | subtype, channels, sampleRate)) {
        out->format = info->major | subtype;
        break;
      }
    }
    if (out->format == 0) {
      *error = std::string("libsndfile cannot write ") + info->label + " with " + std::to_string(channels) +
               " channel(s) at " + std::to_string(sampleRate) + " Hz";
      return false;
    }
    const int chosen = out->format & SF_FORMAT_SUBMASK;
    if (requested != SampleFormat::kAsInput && chosen != candidates.front())
      warnings->push_back(std::string(info->label) + " cannot hold " + SampleFormatName(candidates.front()) +
                          " samples; writing " + SampleFormatName(chosen));
  }
  if (!Writable(out->format, channels, sampleRate)) {
    *error = std::string("libsndfile cannot write ") + info->label + " with " + std::to_string(channels) +
             " channel(s) at " + std::to_string(sampleRate) + " Hz";
    return false;
  }
  const int subtype = out->format & SF_FORMAT_SUBMASK;
  out->keepsOvers = subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE;
  return true;
}
