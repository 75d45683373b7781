// Time from process start to the first window being mapped, for each program
// given, run in turns on the current X display (with a window manager).
//
//   startup_bench [--runs N] program...
//
// Prints the median of N runs (default 11) per program, and each median as a
// multiple of the first program's.

#include <xcb/xcb.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

void Drain(xcb_connection_t* connection) {
  while (xcb_generic_event_t* event = xcb_poll_for_event(connection))
    std::free(event);
}

// Waits until any top-level window is mapped; false after `limit`.
bool WaitForMap(xcb_connection_t* connection, std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  while (Clock::now() < deadline) {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
      const bool mapped = (event->response_type & ~0x80) == XCB_MAP_NOTIFY;
      std::free(event);
      if (mapped)
        return true;
    }
    pollfd fd{xcb_get_file_descriptor(connection), POLLIN, 0};
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    poll(&fd, 1, std::max<int>(1, int(left.count())));
  }
  return false;
}

// Milliseconds from spawning `program` to its window's map, or -1.
double TimeToMap(xcb_connection_t* connection, const std::string& program) {
  Drain(connection);
  char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
  pid_t pid = 0;
  const auto start = Clock::now();
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0)
    return -1;
  const bool mapped = WaitForMap(connection, std::chrono::seconds(20));
  const auto end = Clock::now();
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  usleep(300 * 1000);  // let the window manager settle before the next run
  Drain(connection);
  return mapped ? std::chrono::duration<double, std::milli>(end - start).count() : -1;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 11;
  std::vector<std::string> programs;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else {
      programs.emplace_back(argv[i]);
    }
  }
  if (programs.empty()) {
    std::fprintf(stderr, "usage: %s [--runs N] program...\n", argv[0]);
    return 2;
  }

  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(connection)) {
    std::fprintf(stderr, "no X display\n");
    return 1;
  }
  // The window manager maps each new window's frame, a child of the root.
  xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
  const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(connection, screen->root, XCB_CW_EVENT_MASK, &mask);
  xcb_flush(connection);

  std::vector<std::vector<double>> times(programs.size());
  for (int run = 0; run < runs; ++run) {
    for (size_t p = 0; p < programs.size(); ++p) {
      const double ms = TimeToMap(connection, programs[p]);
      if (ms < 0) {
        std::fprintf(stderr, "%s showed no window\n", programs[p].c_str());
        return 1;
      }
      times[p].push_back(ms);
    }
  }

  const double base = Median(times[0]);
  std::printf("%-50s %10s %8s  (%d runs each)\n", "program", "median ms", "ratio", runs);
  for (size_t p = 0; p < programs.size(); ++p) {
    const double median = Median(times[p]);
    std::printf("%-50s %10.1f %8.2f\n", programs[p].c_str(), median, median / base);
  }
  xcb_disconnect(connection);
  return 0;
}
