// velto-render streams: standard input to standard output through pipes, and
// a long render needs no more memory than a short one.

#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <thread>

#include "RunRender.h"

namespace {
struct StreamRun {
  int status = -1;
  long maxRssKb = 0;
  long framesOut = 0;
  double maxDifference = 0.0;  // output against the input, when bypassed
  std::string messages;
};

// Feeds frames of the test signal (mono AU, generated on the fly) into
// velto-render's standard input and reads AU back from its standard output.
StreamRun Stream(const TempFolder& dir, long frames, double rate, const std::vector<std::string>& settings) {
  StreamRun run;
  std::vector<std::string> args = settings;
  args.insert(args.end(), {"--quiet", "-", "-"});
  const RenderChild child = SpawnRender(args, dir.Path("stderr.txt"));
  EXPECT_GT(child.pid, 0);
  if (child.pid <= 0) return run;

  std::thread feeder([&] {
    SF_INFO info{};
    info.samplerate = static_cast<int>(rate);
    info.channels = 1;
    info.format = SF_FORMAT_AU | SF_FORMAT_FLOAT;
    SNDFILE* f = sf_open_fd(child.inFd, SFM_WRITE, &info, SF_TRUE);
    if (!f) {
      close(child.inFd);
      return;
    }
    std::vector<double> block(4096);
    for (long start = 0; start < frames; start += static_cast<long>(block.size())) {
      const long n = std::min<long>(static_cast<long>(block.size()), frames - start);
      for (long i = 0; i < n; ++i) block[i] = TestSignal(start + i, 0, rate);
      if (sf_writef_double(f, block.data(), n) != n) break;
    }
    sf_close(f);
  });

  SF_INFO info{};
  SNDFILE* out = sf_open_fd(child.outFd, SFM_READ, &info, SF_TRUE);
  if (out) {
    std::vector<double> block(4096);
    sf_count_t n;
    while ((n = sf_readf_double(out, block.data(), static_cast<sf_count_t>(block.size()))) > 0) {
      for (sf_count_t i = 0; i < n; ++i)
        run.maxDifference = std::max(run.maxDifference, std::fabs(block[i] - TestSignal(run.framesOut + i, 0, rate)));
      run.framesOut += n;
    }
    sf_close(out);
  } else {
    close(child.outFd);
  }
  feeder.join();
  run.status = WaitRender(child, &run.maxRssKb);
  std::ifstream messages(dir.Path("stderr.txt"));
  run.messages.assign(std::istreambuf_iterator<char>(messages), {});
  return run;
}
}  // namespace

TEST(Streaming, StandardInputToStandardOutputKeepsEverySample) {
  TempFolder dir;
  const StreamRun run = Stream(dir, 100000, 44100.0, {"--set", "kBypass=on"});
  ASSERT_EQ(run.status, 0) << run.messages;
  EXPECT_EQ(run.framesOut, 100000);
  EXPECT_LT(run.maxDifference, 1e-6);  // float samples both ways
}

TEST(Streaming, TenMinutesNeedNoMoreMemoryThanTenSeconds) {
  // Held whole, ten minutes of this mono input would take some 100 MB more
  // than ten seconds do; streamed, both take the same.
  TempFolder dir;
  const double rate = 8000.0;
  const StreamRun brief = Stream(dir, static_cast<long>(10 * rate), rate, {});
  const StreamRun longRun = Stream(dir, static_cast<long>(600 * rate), rate, {});
  ASSERT_EQ(brief.status, 0) << brief.messages;
  ASSERT_EQ(longRun.status, 0) << longRun.messages;
  EXPECT_EQ(longRun.framesOut, static_cast<long>(600 * rate));
  EXPECT_LT(longRun.maxRssKb - brief.maxRssKb, 8 * 1024)
      << "peak memory " << brief.maxRssKb << " kB for 10 s, " << longRun.maxRssKb << " kB for 10 min";
}
