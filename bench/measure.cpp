#include "measure.h"

#include <malloc.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <string>
#include <vector>

namespace {

double Seconds(clockid_t clock) {
  struct timespec now;
  clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}

Sample Now() {
  return Sample{Seconds(CLOCK_PROCESS_CPUTIME_ID), Seconds(CLOCK_MONOTONIC)};
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  if (n == 0) return 0;
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// A figure of /proc/self/status in bytes ("VmRSS", "VmHWM"); -1 if none.
long long StatusBytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.compare(0, field.size() + 1, field + ":") == 0)
      return std::stoll(line.substr(field.size() + 1)) * 1024;
  }
  return -1;
}

struct ChildMessage {
  Sample time;
  long long counter;
};

}  // namespace

Sample TimeRuns(const std::function<void()>& work, long reps) {
  const Sample start = Now();
  for (long i = 0; i < reps; ++i) work();
  const Sample end = Now();
  return Sample{(end.cpu - start.cpu) / reps, (end.wall - start.wall) / reps};
}

long RepsFor(double once, double minimum) {
  if (once <= 0) return 1000;
  return std::max(1L, static_cast<long>(std::ceil(minimum / once)));
}

PairResult TimePairs(const std::function<Sample()>& a,
                     const std::function<Sample()>& b, int pairs,
                     const std::function<void()>& tidy) {
  std::vector<double> aCpu, aWall, bCpu, bWall, rCpu, rWall;
  for (int i = 0; i < pairs; ++i) {
    Sample sa, sb;
    if (i % 2 == 0) {
      sa = a();
      tidy();
      sb = b();
      tidy();
    } else {
      sb = b();
      tidy();
      sa = a();
      tidy();
    }
    aCpu.push_back(sa.cpu);
    aWall.push_back(sa.wall);
    bCpu.push_back(sb.cpu);
    bWall.push_back(sb.wall);
    rCpu.push_back(sb.cpu > 0 ? sa.cpu / sb.cpu : 0);
    rWall.push_back(sb.wall > 0 ? sa.wall / sb.wall : 0);
  }
  return PairResult{Sample{Median(aCpu), Median(aWall)},
                    Sample{Median(bCpu), Median(bWall)},
                    Sample{Median(rCpu), Median(rWall)}, pairs};
}

ChildRun TimeInChild(const std::function<long long()>& work, double budget) {
  ChildRun run{false, Sample{0, 0}, 0};
  int fds[2];
  if (pipe(fds) != 0) return run;
  const pid_t child = fork();
  if (child < 0) {
    close(fds[0]);
    close(fds[1]);
    return run;
  }
  if (child == 0) {
    close(fds[0]);
    const Sample start = Now();
    const long long counter = work();
    const Sample end = Now();
    const ChildMessage message{
        Sample{end.cpu - start.cpu, end.wall - start.wall}, counter};
    const bool sent = write(fds[1], &message, sizeof message) ==
                      static_cast<ssize_t>(sizeof message);
    _exit(sent ? 0 : 1);
  }
  close(fds[1]);
  struct pollfd waiting = {fds[0], POLLIN, 0};
  const double deadline = Seconds(CLOCK_MONOTONIC) + budget;
  int ready = 0;
  for (double left = budget; left > 0 && ready == 0;
       left = deadline - Seconds(CLOCK_MONOTONIC)) {
    ready = poll(&waiting, 1, static_cast<int>(std::min(left, 1.0) * 1000) + 1);
    if (ready < 0) ready = 0;
  }
  ChildMessage message;
  if (ready > 0 && read(fds[0], &message, sizeof message) ==
                       static_cast<ssize_t>(sizeof message)) {
    run = ChildRun{true, message.time, message.counter};
  } else {
    kill(child, SIGKILL);
  }
  close(fds[0]);
  waitpid(child, nullptr, 0);
  return run;
}

long long PeakMemoryOf(const std::function<void()>& work) {
  malloc_trim(0);
  // "5" resets the peak (VmHWM) to what is resident now.
  std::ofstream("/proc/self/clear_refs") << "5";
  const long long before = StatusBytes("VmRSS");
  work();
  const long long peak = StatusBytes("VmHWM");
  return before < 0 || peak < 0 ? -1 : std::max(0LL, peak - before);
}
