#pragma once
// Trace points of the framework. Each names its location as class and
// operation, its source line and a printf-style format. The sink is switched
// off in this system: it has an empty body and nothing is written anywhere,
// but the compiler still checks every format against its arguments.

#if defined(__GNUC__)
#define VELTO_PRINTF_FORMAT(fmtIndex, firstArg) __attribute__((format(printf, fmtIndex, firstArg)))
#else
#define VELTO_PRINTF_FORMAT(fmtIndex, firstArg)
#endif

inline void TraceSink(const char* /*location*/, int /*line*/, const char* /*format*/, ...)
    VELTO_PRINTF_FORMAT(3, 4);
inline void TraceSink(const char*, int, const char*, ...) {}

#define VELTO_TRACE(location, ...) TraceSink(location, __LINE__, __VA_ARGS__)

// Local time as "%Y%m%d %H:%M " followed by the UTC offset as +hhmm / -hhmm.
void TraceTimeStamp(char* out, int size);
