// What velto-render does to the place it writes: only regular files are
// replaced, and nothing is left behind when it fails or is interrupted.

#include <gtest/gtest.h>
#include <signal.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "RunRender.h"

namespace fs = std::filesystem;

TEST(OutputSafety, NodesThatAreNotRegularFilesAreRefusedAndLeftAlone) {
  TempFolder dir;
  ASSERT_EQ(mkfifo(dir.Path("pipe.wav").c_str(), 0644), 0);
  fs::create_directory(dir.Path("folder.wav"));
  struct Case {
    std::string path;
    const char* kind;
  };
  // /dev/null is a device node whatever the user; only stat() ever reaches it.
  for (const Case& c : {Case{dir.Path("pipe.wav"), "a FIFO"}, Case{"/dev/null", "a device"},
                        Case{dir.Path("folder.wav"), "a folder"}}) {
    SCOPED_TRACE(c.path);
    const RenderRun r = RunRender("--quiet " + c.path);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.output.find(c.kind), std::string::npos) << r.output;
  }
  struct stat st {};
  ASSERT_EQ(stat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
  ASSERT_EQ(stat(dir.Path("pipe.wav").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_EQ(dir.Names().size(), 2u) << "no temporary file beside them";
}

TEST(OutputSafety, AReadOnlyFolderFailsWithStatusOneAndNothingWritten) {
  TempFolder dir;
  fs::create_directory(dir.Path("locked"));
  fs::permissions(dir.Path("locked"), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                          fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  // Root writes anywhere; the render then runs as nobody.
  const RenderRun locked = RunRender("--quiet " + dir.Path("locked/out.wav"),
                                     geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "");
  EXPECT_EQ(locked.status, 1) << locked.output;
  EXPECT_NE(locked.output.find("cannot write"), std::string::npos) << locked.output;
  EXPECT_TRUE(fs::is_empty(dir.Path("locked")));
}

TEST(OutputSafety, AnInterruptedRenderLeavesNoTemporaryFile) {
  // The input comes from a pipe the test keeps open, so the render is still
  // writing when the signal arrives.
  TempFolder dir;
  for (int sig : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(sig);
    const RenderChild child = SpawnRender({"--quiet", "-", dir.Path("out.wav")}, dir.Path("stderr.txt"));
    ASSERT_GT(child.pid, 0);
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = SF_FORMAT_AU | SF_FORMAT_FLOAT;
    SNDFILE* in = sf_open_fd(child.inFd, SFM_WRITE, &info, SF_TRUE);
    ASSERT_NE(in, nullptr);
    std::vector<double> block(44100, 0.1);
    sf_writef_double(in, block.data(), static_cast<sf_count_t>(block.size()));
    sf_write_sync(in);
    bool partSeen = false;
    for (int tries = 0; tries < 500 && !partSeen; ++tries) {
      for (const std::string& name : dir.Names()) partSeen |= name.find(".part") != std::string::npos;
      if (!partSeen) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(partSeen);
    kill(child.pid, sig);
    int signal = 0;
    WaitRender(child, nullptr, &signal);
    sf_close(in);
    close(child.outFd);
    EXPECT_EQ(signal, sig) << "dies of the signal it got";
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"stderr.txt"});
  }
}

TEST(OutputSafety, ALinkIsFollowedAndAFailedRenderKeepsTheOldFile) {
  TempFolder dir;
  WriteTestSignal(dir.Path("in.wav"), 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100.0, 4410);
  std::ofstream(dir.Path("target.wav")) << "old";
  fs::create_symlink(dir.Path("target.wav"), dir.Path("link.wav"));
  ASSERT_EQ(RunRender("--quiet " + dir.Path("in.wav") + " " + dir.Path("link.wav")).status, 0);
  EXPECT_TRUE(fs::is_symlink(dir.Path("link.wav")));
  EXPECT_EQ(ReadChannels(dir.Path("target.wav")).size(), 1u) << "the rendered audio is in the file linked to";

  // A module that cannot load fails before anything is written.
  std::ofstream(dir.Path("keep.wav")) << "old";
  EXPECT_EQ(RunRender("--quiet --module " + dir.Path("none.so") + " " + dir.Path("in.wav") + " " + dir.Path("keep.wav")).status, 1);
  std::ifstream keep(dir.Path("keep.wav"));
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(keep), {}), "old");
  EXPECT_EQ(dir.Names().size(), 4u);
}
