#include "AudioFile.h"

#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>

#include "PartFile.h"

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------
// Reading

AudioReader::~AudioReader() {
  if (file_) sf_close(file_);
}

bool AudioReader::Open(const std::string& path, std::string* error) {
  SF_INFO info{};
  path_ = path == "-" ? "standard input" : path;
  file_ = path == "-" ? sf_open_fd(STDIN_FILENO, SFM_READ, &info, SF_FALSE) : sf_open(path.c_str(), SFM_READ, &info);
  if (!file_) {
    *error = "cannot read " + path_ + ": " + sf_strerror(nullptr);
    return false;
  }
  if (info.channels < 1 || info.channels > 2) {
    *error = path_ + " has " + std::to_string(info.channels) +
             " channels; velto-render takes mono or stereo files";
    return false;
  }
  if (info.samplerate <= 0) {
    *error = path_ + " has no valid sample rate";
    return false;
  }
  channels_ = info.channels;
  sampleRate_ = info.samplerate;
  subtype_ = info.format & SF_FORMAT_SUBMASK;
  // A pipe announces an unknown length as a huge one.
  frames_ = info.frames >= 0 && info.frames < (sf_count_t(1) << 50) ? info.frames : -1;
  return true;
}

int AudioReader::Read(double* const* channels, int maxFrames, std::string* error) {
  if (!file_ || maxFrames <= 0) return 0;
  interleaved_.resize(static_cast<size_t>(maxFrames) * channels_);
  const sf_count_t got = sf_readf_double(file_, interleaved_.data(), maxFrames);
  const int err = sf_error(file_);
  if (err != SF_ERR_NO_ERROR) {
    *error = "error while reading " + path_ + ": " + sf_error_number(err);
    return -1;
  }
  for (sf_count_t i = 0; i < got; ++i)
    for (int c = 0; c < channels_; ++c) channels[c][i] = interleaved_[i * channels_ + c];
  return static_cast<int>(got);
}

bool ReadAudioFile(const std::string& path, AudioBuffer* out, std::string* error) {
  AudioReader reader;
  if (!reader.Open(path, error)) return false;
  out->sampleRate = reader.SampleRate();
  out->subtype = reader.Subtype();
  out->channels.assign(reader.Channels(), {});
  const int chunk = 8192;
  std::vector<std::vector<double>> block(reader.Channels(), std::vector<double>(chunk));
  double* ptrs[2] = {block[0].data(), block.back().data()};
  for (;;) {
    const int n = reader.Read(ptrs, chunk, error);
    if (n < 0) return false;
    if (n == 0) return true;
    for (int c = 0; c < reader.Channels(); ++c)
      out->channels[c].insert(out->channels[c].end(), block[c].begin(), block[c].begin() + n);
  }
}

// ---------------------------------------------------------------------------
// Writing

namespace {
const char* KindOf(const struct stat& st) {
  if (S_ISDIR(st.st_mode)) return "a folder";
  if (S_ISFIFO(st.st_mode)) return "a FIFO";
  if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return "a device";
  if (S_ISSOCK(st.st_mode)) return "a socket";
  return "not a regular file";
}
}  // namespace

bool OutputPathUsable(const std::string& path, std::string* error) {
  struct stat st {};
  if (path == "-" || stat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode)) return true;
  *error = "OUTPUT " + path + " is " + KindOf(st) + "; velto-render writes a regular file, or standard output when OUTPUT is -";
  return false;
}

AudioWriter::~AudioWriter() { Abandon(); }

bool AudioWriter::Open(const std::string& path, const OutputFormat& format, int channels, double sampleRate,
                       bool* refused, std::string* error) {
  *refused = false;
  path_ = path;
  channels_ = channels;
  keepsOvers_ = format.keepsOvers;
  SF_INFO info{};
  info.samplerate = static_cast<int>(sampleRate + 0.5);
  info.channels = channels;
  info.format = format.format;

  if (path == "-") {
    file_ = sf_open_fd(STDOUT_FILENO, SFM_WRITE, &info, SF_FALSE);
    if (!file_) {
      *error = std::string("cannot write ") + format.typeName + " to standard output: " + sf_strerror(nullptr) +
               " (through a pipe use --type au, flac, ogg, opus or mp3)";
      return false;
    }
  } else {
    // Only a regular file is replaced; a link is followed to the file it names.
    target_ = path;
    if (!OutputPathUsable(path, error)) {
      *refused = true;
      return false;
    }
    std::error_code ec;
    if (fs::exists(path, ec)) {
      const fs::path resolved = fs::canonical(path, ec);
      if (!ec) target_ = resolved.string();
    }
    const fs::path target(target_);
    std::mt19937 rng(std::random_device{}());
    temp_ = (target.parent_path() / ("." + target.filename().string() + ".part" + std::to_string(rng() % 1000000)))
                .string();
    if (!PartFile::Arm(temp_)) {
      *error = "the name " + path + " is too long";
      temp_.clear();
      return false;
    }
    file_ = sf_open(temp_.c_str(), SFM_WRITE, &info);
    if (!file_) {
      *error = "cannot write " + path + ": " + sf_strerror(nullptr);
      std::error_code ec;
      fs::remove(temp_, ec);
      PartFile::Disarm();
      temp_.clear();
      return false;
    }
  }
  // Integer formats clip instead of wrapping; floating-point ones keep overs.
  sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  // No PEAK chunk: it carries the time of writing, and the same render should
  // give the same file.
  sf_command(file_, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
  return true;
}

bool AudioWriter::Write(const double* const* channels, int frames, std::string* error) {
  if (!file_) return false;
  interleaved_.resize(static_cast<size_t>(frames) * channels_);
  for (int i = 0; i < frames; ++i) {
    for (int c = 0; c < channels_; ++c) {
      const double s = channels[c][i];
      const double magnitude = std::fabs(s);
      peak_ = std::max(peak_, magnitude);
      if (magnitude > 1.0 && !keepsOvers_) ++clipped_;
      interleaved_[static_cast<size_t>(i) * channels_ + c] = s;
    }
  }
  if (sf_writef_double(file_, interleaved_.data(), frames) != frames) {
    *error = "error while writing " + (ToStandardOutput() ? std::string("standard output") : path_) + ": " +
             sf_strerror(file_);
    return false;
  }
  return true;
}

bool AudioWriter::Commit(std::string* error) {
  if (!file_) return false;
  const int closed = sf_close(file_);
  file_ = nullptr;
  if (closed != 0) {
    *error = "error while finishing " + path_;
    Abandon();
    return false;
  }
  if (temp_.empty()) return true;  // standard output
  std::error_code ec;
  fs::rename(temp_, target_, ec);
  if (ec) {
    *error = "cannot move the rendered file into place as " + path_ + ": " + ec.message();
    Abandon();
    return false;
  }
  PartFile::Disarm();
  temp_.clear();
  return true;
}

void AudioWriter::Abandon() {
  if (file_) {
    sf_close(file_);
    file_ = nullptr;
  }
  if (!temp_.empty()) {
    std::error_code ec;
    fs::remove(temp_, ec);
    PartFile::Disarm();
    temp_.clear();
  }
}

bool SameFile(const std::string& a, const std::string& b) {
  if (a == "-" || b == "-") return false;
  std::error_code ec;
  return fs::exists(a, ec) && fs::exists(b, ec) && fs::equivalent(a, b, ec);
}
