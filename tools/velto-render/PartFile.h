#pragma once
// Removes the temporary file of an unfinished render when the process is
// interrupted (SIGINT, SIGTERM, SIGHUP), then dies of the same signal so the
// caller sees how it ended. One temporary file at a time. [main thread]

#include <string>

namespace PartFile {
// Remembers path for removal on a signal; installs the handlers on first use.
// False when the path is too long to remember.
bool Arm(const std::string& path);
// Forgets the path: the file was renamed into place or removed.
void Disarm();
}  // namespace PartFile
