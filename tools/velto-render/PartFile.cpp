#include "PartFile.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace {
// Written by the main thread while no signal can observe a half-written
// name (armed_ is cleared first and set last); read by the handler.
char gPath[4096];
std::atomic<bool> gArmed{false};
bool gInstalled = false;

extern "C" void RemovePartAndDie(int sig) {
  if (gArmed.load()) unlink(gPath);  // async-signal-safe
  signal(sig, SIG_DFL);
  raise(sig);
}
}  // namespace

namespace PartFile {
bool Arm(const std::string& path) {
  if (path.size() >= sizeof gPath) return false;
  if (!gInstalled) {
    struct sigaction action {};
    action.sa_handler = RemovePartAndDie;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
      // A signal the caller chose to ignore (nohup, a background job) stays ignored.
      struct sigaction old {};
      if (sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
      sigaction(sig, &action, nullptr);
    }
    gInstalled = true;
  }
  gArmed.store(false);
  std::memcpy(gPath, path.c_str(), path.size() + 1);
  gArmed.store(true);
  return true;
}

void Disarm() { gArmed.store(false); }
}  // namespace PartFile
