#pragma once
// Small helpers shared by the benchmarks: clocks, CPU time, percentiles.
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <vector>

namespace benchutil {
inline double now_ms() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// CPU time (user + system) this process has used, in ms.
inline double cpu_ms() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

inline long peak_rss_kib() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

inline double percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const std::size_t i = static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
  return v[std::min(i, v.size() - 1)];
}

// One row of the figures table that scripts/bench.sh gathers from every
// benchmark: a tab-separated line "ROW<TAB>what<TAB>figure".
inline void table_row(const char* what, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
inline void table_row(const char* what, const char* fmt, ...) {
  char figure[512];
  va_list args;
  va_start(args, fmt);
  std::vsnprintf(figure, sizeof figure, fmt, args);
  va_end(args);
  std::printf("ROW\t%s\t%s\n", what, figure);
}

// Time one character takes on the line at 9600 baud, 8N1 (10 bits).
inline constexpr double CHAR_MS = 10.0 * 1000.0 / 9600.0;
}  // namespace benchutil
