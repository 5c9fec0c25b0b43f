#include "AudioFile.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <random>

namespace fs = std::filesystem;

bool ReadAudioFile(const std::string& path, AudioBuffer* out, std::string* error) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file) {
    *error = "cannot read " + path + ": " + sf_strerror(nullptr);
    return false;
  }
  if (info.channels < 1 || info.channels > 2) {
    sf_close(file);
    *error = path + " has " + std::to_string(info.channels) +
             " channels; velto-render takes mono or stereo files";
    return false;
  }
  if (info.frames < 0 || info.frames > (sf_count_t(1) << 31) / info.channels) {
    sf_close(file);
    *error = path + " is too long to render in one go";
    return false;
  }
  std::vector<double> interleaved(static_cast<size_t>(info.frames) * info.channels);
  const sf_count_t got = sf_readf_double(file, interleaved.data(), info.frames);
  const int err = sf_error(file);
  sf_close(file);
  if (err != SF_ERR_NO_ERROR) {
    *error = "error while reading " + path + ": " + sf_error_number(err);
    return false;
  }
  out->sampleRate = info.samplerate;
  out->subtype = info.format & SF_FORMAT_SUBMASK;
  out->channels.assign(info.channels, std::vector<double>(static_cast<size_t>(got)));
  for (sf_count_t i = 0; i < got; ++i)
    for (int c = 0; c < info.channels; ++c) out->channels[c][i] = interleaved[i * info.channels + c];
  return true;
}

namespace {
int MajorFormatFor(const std::string& path) {
  std::string ext = fs::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  if (ext == ".aif" || ext == ".aiff") return SF_FORMAT_AIFF;
  if (ext == ".flac") return SF_FORMAT_FLAC;
  if (ext == ".ogg" || ext == ".oga") return SF_FORMAT_OGG;
  if (ext == ".caf") return SF_FORMAT_CAF;
  if (ext == ".w64") return SF_FORMAT_W64;
  return SF_FORMAT_WAV;
}

int SubtypeFor(int major, SampleFormat format, int inputSubtype) {
  if (major == SF_FORMAT_OGG) return SF_FORMAT_VORBIS;
  switch (format) {
    case SampleFormat::kFloat: return major == SF_FORMAT_FLAC ? SF_FORMAT_PCM_24 : SF_FORMAT_FLOAT;
    case SampleFormat::kPcm24: return SF_FORMAT_PCM_24;
    case SampleFormat::kPcm16: return SF_FORMAT_PCM_16;
    case SampleFormat::kAsInput: break;
  }
  // Keep the input's sample format where the output container can hold it.
  if (inputSubtype != 0) {
    SF_INFO probe{};
    probe.samplerate = 44100;
    probe.channels = 2;
    probe.format = major | inputSubtype;
    if (sf_format_check(&probe)) return inputSubtype;
  }
  return major == SF_FORMAT_FLAC ? SF_FORMAT_PCM_24 : SF_FORMAT_FLOAT;
}
}  // namespace

bool WriteAudioFile(const std::string& path, const AudioBuffer& audio, SampleFormat format,
                    std::string* error) {
  const int channels = static_cast<int>(audio.channels.size());
  SF_INFO info{};
  info.samplerate = static_cast<int>(audio.sampleRate + 0.5);
  info.channels = channels;
  const int major = MajorFormatFor(path);
  info.format = major | SubtypeFor(major, format, audio.subtype);
  if (!sf_format_check(&info)) {
    *error = "cannot write that sample format into " + path;
    return false;
  }

  const fs::path target(path);
  std::mt19937 rng(std::random_device{}());
  const fs::path temp = target.parent_path() /
                        ("." + target.filename().string() + ".part" + std::to_string(rng() % 1000000));
  SNDFILE* file = sf_open(temp.string().c_str(), SFM_WRITE, &info);
  if (!file) {
    *error = "cannot write " + path + ": " + sf_strerror(nullptr);
    return false;
  }
  // Floating-point outputs keep overs; integer formats clip instead of wrapping.
  sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  // No PEAK chunk: it carries the time of writing, and the same render should
  // give the same file.
  sf_command(file, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);

  const int frames = audio.Frames();
  const int chunk = 8192;
  std::vector<double> interleaved(static_cast<size_t>(chunk) * channels);
  bool ok = true;
  for (int start = 0; start < frames && ok; start += chunk) {
    const int n = std::min(chunk, frames - start);
    for (int i = 0; i < n; ++i)
      for (int c = 0; c < channels; ++c) interleaved[i * channels + c] = audio.channels[c][start + i];
    ok = sf_writef_double(file, interleaved.data(), n) == n;
  }
  if (!ok) *error = std::string("error while writing ") + path + ": " + sf_strerror(file);
  if (sf_close(file) != 0 && ok) {
    ok = false;
    *error = "error while finishing " + path;
  }
  std::error_code ec;
  if (ok) {
    fs::rename(temp, target, ec);
    if (ec) {
      ok = false;
      *error = "cannot move the rendered file into place as " + path + ": " + ec.message();
    }
  }
  if (!ok) fs::remove(temp, ec);
  return ok;
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return fs::exists(a, ec) && fs::exists(b, ec) && fs::equivalent(a, b, ec);
}
