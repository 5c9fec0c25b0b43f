#include "Trace.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

void TraceTimeStamp(char* out, int size) {
  if (!out || size <= 0) return;
  std::time_t now = std::time(nullptr);
  std::tm local{};
  std::tm utc{};
#if defined(_WIN32)
  localtime_s(&local, &now);
  gmtime_s(&utc, &now);
#else
  localtime_r(&now, &local);
  gmtime_r(&now, &utc);
#endif
  char stamp[64];
  std::strftime(stamp, sizeof stamp, "%Y%m%d %H:%M ", &local);
  // The offset of local time from UTC, from the two broken-down times.
  utc.tm_isdst = local.tm_isdst;
  const long offset = static_cast<long>(std::difftime(std::mktime(&local), std::mktime(&utc)));
  const long minutes = std::labs(offset) / 60;
  std::snprintf(out, size, "%s%c%02ld%02ld", stamp, offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
}
