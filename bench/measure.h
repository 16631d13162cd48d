// Timing: CPU and wall time of a piece of work, interleaved pairs of two
// pieces, and one run in a child process that is given up after a budget.
#ifndef QUILLSPUR_BENCH_MEASURE_H
#define QUILLSPUR_BENCH_MEASURE_H

#include <functional>

// Seconds of process CPU time (user and system) and of wall time.
struct Sample {
  double cpu;
  double wall;
};

// The time of one run, averaged over reps runs.
Sample TimeRuns(const std::function<void()>& work, long reps);

// How many runs make a sample of at least minimum seconds, once one run is
// known to take once seconds.
long RepsFor(double once, double minimum);

struct PairResult {
  Sample a;      // median of a's samples
  Sample b;      // median of b's samples
  Sample ratio;  // median of the pairs' ratios a / b
  int pairs;
};

// Takes a sample of a and of b alternately, pairs times (the order inside
// a pair swaps every pair, so neither always runs on a warmer machine).
// tidy runs untimed after every sample.
PairResult TimePairs(const std::function<Sample()>& a,
                     const std::function<Sample()>& b, int pairs,
                     const std::function<void()>& tidy);

struct ChildRun {
  bool finished;  // false: killed at the budget, or it failed
  Sample time;
  long long counter;  // what work returned
};

// Runs work once in a child process, so that a run far over the budget can
// be stopped; the child shares the files, not the memory.
ChildRun TimeInChild(const std::function<long long()>& work, double budget);

// The most resident memory that work adds to what the process holds before
// it, in bytes, once the free heap has gone back to the system; -1 where
// the kernel does not say. For a fresh child (TimeInChild): it resets the
// process's peak.
long long PeakMemoryOf(const std::function<void()>& work);

#endif
