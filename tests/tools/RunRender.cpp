#include "RunRender.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

extern char** environ;

RenderRun RunRender(const std::string& args, const std::string& prefix) {
  const std::string command = prefix + VELTO_RENDER_EXE + " " + args + " 2>&1";
  RenderRun r;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return r;
  char buffer[4096];
  while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) r.output.append(buffer, n);
  const int status = pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

RenderChild SpawnRender(const std::vector<std::string>& args, const std::string& stderrPath) {
  RenderChild child;
  int in[2], out[2];
  if (pipe(in) != 0) return child;
  if (pipe(out) != 0) {
    close(in[0]);
    close(in[1]);
    return child;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  for (int fd : {in[0], in[1], out[0], out[1]}) posix_spawn_file_actions_addclose(&actions, fd);
  std::vector<std::string> argv = {VELTO_RENDER_EXE};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> cargs;
  for (std::string& a : argv) cargs.push_back(a.data());
  cargs.push_back(nullptr);
  if (posix_spawn(&child.pid, VELTO_RENDER_EXE, &actions, nullptr, cargs.data(), environ) != 0) child.pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  child.inFd = in[1];
  child.outFd = out[0];
  return child;
}

int WaitRender(const RenderChild& child, long* maxRssKb, int* signal) {
  int status = 0;
  struct rusage usage {};
  if (wait4(child.pid, &status, 0, &usage) != child.pid) return -1;
  if (maxRssKb) *maxRssKb = usage.ru_maxrss;
  if (signal) *signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TempFolder::TempFolder() {
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  dir_ = std::filesystem::temp_directory_path() /
         ("velto-render-" + std::to_string(getpid()) + "-" + test->test_suite_name() + "-" + test->name());
  std::filesystem::create_directories(dir_);
}

TempFolder::~TempFolder() {
  std::error_code ec;
  std::filesystem::permissions(dir_, std::filesystem::perms::owner_all, ec);
  std::filesystem::remove_all(dir_, ec);
}

std::vector<std::string> TempFolder::Names() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir_)) names.push_back(entry.path().filename());
  return names;
}

double TestSignal(long frame, int channel, double rate) {
  const double t = frame / rate;
  const double kTwoPi = 6.283185307179586;
  const double sinceBeat = std::fmod(t, 0.5);
  const double burst = 0.6 * std::exp(-sinceBeat * 25.0) * std::sin(kTwoPi * 70.0 * sinceBeat);
  const double tone = 0.1 * std::sin(kTwoPi * (220.0 + 110.0 * channel) * t) + 0.05 * std::sin(kTwoPi * 1333.0 * t);
  // A touch of deterministic noise gives the cross-correlation a sharp peak.
  unsigned h = static_cast<unsigned>(frame) * 2654435761u + static_cast<unsigned>(channel) * 40503u;
  h ^= h >> 15;
  h *= 2246822519u;
  h ^= h >> 13;
  const double noise = 0.02 * (static_cast<double>(h & 0xFFFF) / 32768.0 - 1.0);
  return burst + tone + noise;
}

void WriteTestSignal(const std::string& path, int channels, int format, double rate, int frames) {
  SF_INFO info{};
  info.samplerate = static_cast<int>(rate);
  info.channels = channels;
  info.format = format;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
  std::vector<double> interleaved(static_cast<size_t>(frames) * channels);
  for (int i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c) interleaved[static_cast<size_t>(i) * channels + c] = TestSignal(i, c, rate);
  sf_writef_double(f, interleaved.data(), frames);
  sf_close(f);
}

std::vector<std::vector<double>> ReadChannels(const std::string& path, SF_INFO* infoOut) {
  SF_INFO info{};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  if (!f) return {};
  std::vector<double> interleaved(static_cast<size_t>(info.frames) * info.channels);
  const sf_count_t got = sf_readf_double(f, interleaved.data(), info.frames);
  sf_close(f);
  std::vector<std::vector<double>> channels(info.channels, std::vector<double>(static_cast<size_t>(got)));
  for (sf_count_t i = 0; i < got; ++i)
    for (int c = 0; c < info.channels; ++c) channels[c][i] = interleaved[i * info.channels + c];
  if (infoOut) *infoOut = info;
  return channels;
}

double MaxDifference(const std::vector<double>& a, const std::vector<double>& b) {
  double worst = a.size() == b.size() ? 0.0 : HUGE_VAL;
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) worst = std::max(worst, std::fabs(a[i] - b[i]));
  return worst;
}

double Peak(const std::vector<double>& x, size_t from, size_t to) {
  double peak = 0.0;
  for (size_t i = from; i < std::min(to, x.size()); ++i) peak = std::max(peak, std::fabs(x[i]));
  return peak;
}

int BestLag(const std::vector<double>& in, const std::vector<double>& out, int maxLag) {
  int best = 0;
  double bestSum = -HUGE_VAL;
  for (int lag = -maxLag; lag <= maxLag; ++lag) {
    double sum = 0.0;
    for (size_t i = 0; i < in.size(); ++i) {
      const long j = static_cast<long>(i) + lag;
      if (j >= 0 && j < static_cast<long>(out.size())) sum += in[i] * out[j];
    }
    if (sum > bestSum) {
      bestSum = sum;
      best = lag;
    }
  }
  return best;
}
