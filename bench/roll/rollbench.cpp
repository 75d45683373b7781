// How the launcher's rolls look from outside: the launcher's geometry is
// sampled through the X server every millisecond while it is rolled up (a
// click on "隐藏窗口") and down (the mouse at the screen's top edge).
//
//   roll_bench [--rounds N] [--load] program [args...]
//
// Starts the program on the current display (with a window manager), finds
// its launcher window ("Quilletta"), and runs N rounds (default 10) of
// roll-up and roll-down. Each roll prints the heights it passed through and
// the time from the first change to the last. A roll goes straight when it
// moves one way only to its end height (2 up, 556 down) and settles within
// 100 ms of its first change. --load runs two busy loops meanwhile.

#include <xcb/xcb.h>

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
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Geometry {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const Geometry& o) const {
    return x == o.x && y == o.y && width == o.width && height == o.height;
  }
  bool operator!=(const Geometry& o) const { return !(*this == o); }
};

Geometry Read(xcb_connection_t* c, xcb_window_t window, xcb_window_t root) {
  Geometry g;
  xcb_get_geometry_reply_t* size = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
  xcb_translate_coordinates_reply_t* origin =
      xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, window, root, 0, 0), nullptr);
  if (size != nullptr && origin != nullptr)
    g = {origin->dst_x, origin->dst_y, size->width, size->height};
  std::free(size);
  std::free(origin);
  return g;
}

std::string Name(xcb_connection_t* c, xcb_window_t window) {
  xcb_get_property_reply_t* reply = xcb_get_property_reply(
      c, xcb_get_property(c, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
      nullptr);
  std::string name;
  if (reply != nullptr)
    name.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                size_t(xcb_get_property_value_length(reply)));
  std::free(reply);
  return name;
}

// The first window below the root (or one level further, inside a frame)
// whose name begins with `prefix`.
xcb_window_t Find(xcb_connection_t* c, xcb_window_t parent, const std::string& prefix, int depth) {
  xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, parent), nullptr);
  if (tree == nullptr)
    return 0;
  xcb_window_t found = 0;
  const xcb_window_t* children = xcb_query_tree_children(tree);
  for (int i = 0; i < xcb_query_tree_children_length(tree) && found == 0; ++i) {
    if (Name(c, children[i]).rfind(prefix, 0) == 0)
      found = children[i];
    else if (depth > 0)
      found = Find(c, children[i], prefix, depth - 1);
  }
  std::free(tree);
  return found;
}

void Xdotool(const std::string& arguments) {
  const std::string command = "xdotool " + arguments;
  if (std::system(command.c_str()) != 0)
    std::fprintf(stderr, "failed: %s\n", command.c_str());
}

struct Roll {
  std::vector<int> heights;  // every distinct height seen, the first being the start
  double settleMs = 0;       // from the first change to the last
};

// Samples every millisecond until the geometry has been still for 400 ms
// after a change, or 3 s passed without one.
Roll Sample(xcb_connection_t* c, xcb_window_t window, xcb_window_t root, const Geometry& start) {
  Roll roll;
  roll.heights.push_back(start.height);
  Geometry last = start;
  const Clock::time_point begin = Clock::now();
  Clock::time_point first{}, latest{};
  bool changed = false;
  for (;;) {
    const Clock::time_point now = Clock::now();
    const Geometry g = Read(c, window, root);
    if (g != last) {
      if (!changed)
        first = now;
      changed = true;
      latest = now;
      if (g.height != last.height)
        roll.heights.push_back(g.height);
      last = g;
    }
    if (changed && now - latest > std::chrono::milliseconds(400))
      break;
    if (!changed && now - begin > std::chrono::seconds(3))
      break;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  roll.settleMs = std::chrono::duration<double, std::milli>(latest - first).count();
  return roll;
}

bool Straight(const Roll& roll, int target) {
  if (roll.heights.back() != target || roll.settleMs > 100)
    return false;
  const bool up = target < roll.heights.front();
  for (size_t i = 1; i < roll.heights.size(); ++i) {
    if ((roll.heights[i] < roll.heights[i - 1]) != up)
      return false;
  }
  return true;
}

void Report(const char* what, int round, const Roll& roll, bool straight) {
  std::printf("%-4s %2d: ", what, round);
  for (size_t i = 0; i < roll.heights.size(); ++i)
    std::printf("%s%d", i ? " > " : "", roll.heights[i]);
  std::printf("  (%zu change%s, %.1f ms)%s\n", roll.heights.size() - 1,
              roll.heights.size() == 2 ? "" : "s", roll.settleMs, straight ? "" : "  NOT STRAIGHT");
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 10;
  bool load = false;
  int first = 1;
  while (first < argc && argv[first][0] == '-') {
    if (std::strcmp(argv[first], "--rounds") == 0 && first + 1 < argc) {
      rounds = std::atoi(argv[first + 1]);
      first += 2;
    } else if (std::strcmp(argv[first], "--load") == 0) {
      load = true;
      ++first;
    } else {
      break;
    }
  }
  if (first >= argc) {
    std::fprintf(stderr, "usage: %s [--rounds N] [--load] program [args...]\n", argv[0]);
    return 2;
  }

  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) {
    std::fprintf(stderr, "no X display\n");
    return 2;
  }
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;

  pid_t program = 0;
  if (posix_spawnp(&program, argv[first], nullptr, nullptr, argv + first, environ) != 0) {
    std::perror("spawn");
    return 2;
  }
  xcb_window_t window = 0;
  for (int i = 0; i < 200 && window == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    window = Find(c, root, "Quilletta", 2);
  }
  if (window == 0) {
    std::fprintf(stderr, "no launcher window appeared\n");
    kill(program, SIGTERM);
    return 1;
  }
  std::this_thread::sleep_for(std::chrono::seconds(1));

  std::vector<pid_t> busy;
  if (load) {
    for (int i = 0; i < 2; ++i) {
      const pid_t pid = fork();
      if (pid == 0) {
        for (volatile unsigned long n = 0;; n = n + 1) {
        }
      }
      busy.push_back(pid);
    }
  }

  int straightUp = 0, straightDown = 0;
  for (int round = 1; round <= rounds; ++round) {
    Geometry g = Read(c, window, root);
    // Up: a click on the hide button, Image4 at (89, 533), 95 x 24.
    Xdotool("mousemove " + std::to_string(g.x + 89 + 47) + " " + std::to_string(g.y + 533 + 11) +
            " click 1");
    Roll up = Sample(c, window, root, g);
    const bool upOk = Straight(up, 2);
    straightUp += upOk;
    Report("up", round, up, upOk);

    // Down: the mouse comes from below onto the strip at the screen's top.
    g = Read(c, window, root);
    Xdotool("mousemove " + std::to_string(g.x + 60) + " 300");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    Xdotool("mousemove " + std::to_string(g.x + 60) + " 0");
    Roll down = Sample(c, window, root, g);
    const bool downOk = Straight(down, 556);
    straightDown += downOk;
    Report("down", round, down, downOk);
    Xdotool("mousemove " + std::to_string(g.x - 200) + " 600");
  }
  std::printf("straight: %d of %d roll-ups, %d of %d roll-downs%s\n", straightUp, rounds,
              straightDown, rounds, load ? " (two busy loops running)" : "");

  for (const pid_t pid : busy)
    kill(pid, SIGKILL);
  kill(program, SIGTERM);
  waitpid(program, nullptr, 0);
  for (const pid_t pid : busy)
    waitpid(pid, nullptr, 0);
  xcb_disconnect(c);
  return straightUp == rounds && straightDown == rounds ? 0 : 1;
}
