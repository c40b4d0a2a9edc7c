// Runs two start-up programs alternately on Qt's offscreen platform and
// prints the median whole-process wall time and peak memory of each, and
// their ratios: StartupComparison <program> <baseline> [runs]

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {

struct Run {
  double milliseconds;
  long peakKib;
};

Run RunOnce(const char* program) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = ::fork();
  if (child == 0) {
    ::execl(program, program, static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  ::wait4(child, &status, 0, &usage);
  const std::chrono::duration<double, std::milli> elapsed =
      std::chrono::steady_clock::now() - start;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s failed (status %d)\n", program, status);
    std::exit(1);
  }
  return {elapsed.count(), usage.ru_maxrss};
}

template <typename T>
T Median(std::vector<T> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <program> <baseline> [runs]\n", argv[0]);
    return 2;
  }
  const int runs = argc > 3 ? std::atoi(argv[3]) : 21;
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // Qt warns on every start without one.
  char runtimeFolder[] = "/tmp/zarvello-runtime-XXXXXX";
  if (std::getenv("XDG_RUNTIME_DIR") == nullptr && ::mkdtemp(runtimeFolder) != nullptr) {
    ::setenv("XDG_RUNTIME_DIR", runtimeFolder, 1);
  }
  std::vector<double> times[2];
  std::vector<long> peaks[2];
  RunOnce(argv[1]);  // warms the file cache for both
  RunOnce(argv[2]);
  for (int i = 0; i < runs; ++i) {
    for (int which = 0; which < 2; ++which) {
      const Run run = RunOnce(argv[1 + which]);
      times[which].push_back(run.milliseconds);
      peaks[which].push_back(run.peakKib);
    }
  }
  const double time[2] = {Median(times[0]), Median(times[1])};
  const long peak[2] = {Median(peaks[0]), Median(peaks[1])};
  std::printf("%-24s %10s %14s\n", "program", "wall ms", "peak KiB");
  for (int which = 0; which < 2; ++which) {
    std::printf("%-24s %10.1f %14ld\n", std::filesystem::path(argv[1 + which]).filename().c_str(),
                time[which], peak[which]);
  }
  std::printf("%-24s %10.2f %14.2f\n", "ratio", time[0] / time[1],
              static_cast<double>(peak[0]) / static_cast<double>(peak[1]));
  return 0;
}
