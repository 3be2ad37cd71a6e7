// Runs a piece of work in a child process and measures how far its resident memory rises: the
// way to show that a refused picture was refused before anything large was allocated for it.
#pragma once

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace sftest {

struct TChildRun {
  std::string result;     // what the work returned
  long peakGrowthKb = -1;  // the rise of the resident-memory high-water mark during the work
  bool exited = false;     // the child ended normally (not killed, not crashed)
};

inline long HighWaterKb() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

// work() -> std::string, run in a forked child; its high-water mark is reset to what it holds
// when the work begins.
template <typename Work>
TChildRun InChild(Work&& work) {
  int out[2];
  if (::pipe(out) != 0) return {};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(out[0]);
    { std::ofstream("/proc/self/clear_refs") << "5"; }  // the high-water mark from here
    const long before = HighWaterKb();
    const std::string result = work();
    const std::string report = std::to_string(HighWaterKb() - before) + "\n" + result;
    [[maybe_unused]] const ssize_t n = ::write(out[1], report.data(), report.size());
    ::_exit(0);
  }
  ::close(out[1]);
  std::string report;
  char buffer[4096];
  for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) report.append(buffer, size_t(n));
  ::close(out[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  TChildRun run;
  run.exited = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  const size_t line = report.find('\n');
  if (line == std::string::npos) return run;
  run.peakGrowthKb = std::stol(report.substr(0, line));
  run.result = report.substr(line + 1);
  return run;
}

}  // namespace sftest
