#pragma once
// Runs the real velto-render executable for the tests: through the shell with
// its messages captured, or as a child with its standard input and output on
// pipes and its peak memory measured.

#include <sndfile.h>
#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

struct RenderRun {
  int status = -1;     // exit status, or -1 when it did not exit normally
  std::string output;  // standard output and error together
};

// args is shell syntax, appended to the executable's path; prefix goes before
// it (a command that runs it as another user).
RenderRun RunRender(const std::string& args, const std::string& prefix = "");

// A velto-render child with pipes on its standard input and output (stderr
// goes to a file). The caller writes to inFd and reads from outFd.
struct RenderChild {
  pid_t pid = -1;
  int inFd = -1;
  int outFd = -1;
};
RenderChild SpawnRender(const std::vector<std::string>& args, const std::string& stderrPath);

// Waits for the child: its exit status (-1 when killed: *signal says by
// what) and its peak resident memory in kilobytes.
int WaitRender(const RenderChild& child, long* maxRssKb, int* signal = nullptr);

// A test folder of its own, removed afterwards.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  const std::filesystem::path& Dir() const { return dir_; }
  std::vector<std::string> Names() const;  // every entry, hidden ones included

 private:
  std::filesystem::path dir_;
};

// Writes frames of a deterministic test signal (sum of sines with a drum-like
// burst every half second) to a file of the given libsndfile format.
void WriteTestSignal(const std::string& path, int channels, int format, double rate, int frames);
// The same signal, value for value.
double TestSignal(long frame, int channel, double rate);

// Whole-file read for checks; empty channels on failure.
std::vector<std::vector<double>> ReadChannels(const std::string& path, SF_INFO* info = nullptr);

// Largest difference sample by sample (infinite when the lengths differ).
double MaxDifference(const std::vector<double>& a, const std::vector<double>& b);
// Largest magnitude in [from, to).
double Peak(const std::vector<double>& x, size_t from, size_t to);
// The lag (output behind input, in samples, within +-maxLag) of the
// strongest cross-correlation.
int BestLag(const std::vector<double>& in, const std::vector<double>& out, int maxLag);
