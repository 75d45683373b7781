// Time from process start until the first window is mapped, and until that
// window's first frame has been drawn, for each program given, run in turns
// on the current X display (with a window manager).
//
//   startup_bench [--runs N] program...
//
// Prints the medians of N runs (default 11) per program, and each as a
// multiple of the first program's. A window is taken as drawn once the pixel
// at its centre differs from what the screen showed there before it came.

#include <xcb/xcb.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Times {
  double map = -1;
  double frame = -1;
};

void Drain(xcb_connection_t* connection) {
  while (xcb_generic_event_t* event = xcb_poll_for_event(connection))
    std::free(event);
}

// The screen's pixels, row by row, or pixels of one spot of it.
class Screen {
 public:
  Screen(xcb_connection_t* connection, const xcb_screen_t& screen)
      : m_connection(connection),
        m_root(screen.root),
        m_width(screen.width_in_pixels),
        m_height(screen.height_in_pixels) {}

  std::vector<uint32_t> Grab(int x, int y, int width, int height) const {
    std::vector<uint32_t> pixels;
    xcb_get_image_reply_t* reply = xcb_get_image_reply(
        m_connection,
        xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root, int16_t(x), int16_t(y),
                      uint16_t(width), uint16_t(height), ~0u),
        nullptr);
    if (reply == nullptr)
      return pixels;
    pixels.resize(size_t(width) * size_t(height));
    std::memcpy(
        pixels.data(), xcb_get_image_data(reply),
        std::min(pixels.size() * sizeof(uint32_t), size_t(xcb_get_image_data_length(reply))));
    std::free(reply);
    return pixels;
  }

  std::vector<uint32_t> GrabAll() const { return Grab(0, 0, m_width, m_height); }
  int width() const { return m_width; }
  int height() const { return m_height; }

 private:
  xcb_connection_t* m_connection;
  xcb_window_t m_root;
  int m_width;
  int m_height;
};

// Waits until a top-level window is mapped; its id, or none after `limit`.
std::optional<xcb_window_t> WaitForMap(xcb_connection_t* connection, Clock::time_point deadline) {
  while (Clock::now() < deadline) {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
      std::optional<xcb_window_t> mapped;
      if ((event->response_type & ~0x80) == XCB_MAP_NOTIFY)
        mapped = reinterpret_cast<xcb_map_notify_event_t*>(event)->window;
      std::free(event);
      if (mapped)
        return mapped;
    }
    pollfd fd{xcb_get_file_descriptor(connection), POLLIN, 0};
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    poll(&fd, 1, std::max<int>(1, int(left.count())));
  }
  return std::nullopt;
}

// Times of `program`'s window, from its spawning.
Times TimeToShow(xcb_connection_t* connection, const Screen& screen, const std::string& program) {
  Drain(connection);
  // What the window will cover, to see when it has drawn over it.
  const std::vector<uint32_t> before = screen.GrabAll();
  char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
  pid_t pid = 0;
  Times times;
  const auto start = Clock::now();
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0)
    return times;
  const auto since = [&] {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  };
  const auto deadline = start + std::chrono::seconds(20);
  if (const std::optional<xcb_window_t> window = WaitForMap(connection, deadline)) {
    times.map = since();
    xcb_get_geometry_reply_t* geometry =
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, *window), nullptr);
    if (geometry != nullptr) {
      const int x = std::clamp(geometry->x + geometry->width / 2, 0, screen.width() - 1);
      const int y = std::clamp(geometry->y + geometry->height / 2, 0, screen.height() - 1);
      std::free(geometry);
      const uint32_t old = before.at(size_t(y) * size_t(screen.width()) + size_t(x));
      while (Clock::now() < deadline) {
        const std::vector<uint32_t> pixel = screen.Grab(x, y, 1, 1);
        if (pixel.empty())
          break;
        if (pixel[0] != old) {
          times.frame = since();
          break;
        }
      }
    }
  }
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  usleep(300 * 1000);  // let the window manager settle before the next run
  Drain(connection);
  return times;
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
  const xcb_screen_t* root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
  const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(connection, root->root, XCB_CW_EVENT_MASK, &mask);
  xcb_flush(connection);
  const Screen screen(connection, *root);

  std::vector<std::vector<double>> maps(programs.size());
  std::vector<std::vector<double>> frames(programs.size());
  for (int run = 0; run < runs; ++run) {
    for (size_t p = 0; p < programs.size(); ++p) {
      const Times times = TimeToShow(connection, screen, programs[p]);
      if (times.map < 0 || times.frame < 0) {
        std::fprintf(stderr, "%s showed no window\n", programs[p].c_str());
        return 1;
      }
      maps[p].push_back(times.map);
      frames[p].push_back(times.frame);
    }
  }

  const double baseMap = Median(maps[0]);
  const double baseFrame = Median(frames[0]);
  std::printf("%-44s %8s %6s %10s %6s  (medians of %d runs)\n", "program", "mapped", "ratio",
              "drawn", "ratio", runs);
  for (size_t p = 0; p < programs.size(); ++p) {
    const double map = Median(maps[p]);
    const double frame = Median(frames[p]);
    std::printf("%-44s %5.1f ms %6.2f %7.1f ms %6.2f\n", programs[p].c_str(), map, map / baseMap,
                frame, frame / baseFrame);
  }
  xcb_disconnect(connection);
  return 0;
}
