// Watches the frame benchmark's movie on the screen and measures the program
// that shows it:
//   frameprobe --pid PID [--stage 640x480] [--wait 60] [--warmup 3] [--seconds 10]
// It reads the movie's row of 16 Gray-coded cells from the X server every
// millisecond and counts the distinct frame numbers that reached the screen,
// adds up the processor time of PID and all its descendants over the same
// window, and sums their proportional memory (PSS) at its end. The movie is
// assumed to fill the screen with the "showAll" scale: centred, as large as
// the screen allows, its aspect kept. Prints one line of key=value pairs;
// exits with 1 when the cells never show.

#include <xcb/xcb.h>

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <bitset>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kCells = 16;

struct Options {
  long pid = 0;
  int stageWidth = 640;
  int stageHeight = 480;
  double wait = 60;
  double warmup = 3;
  double seconds = 10;
  bool detail = false;
};

struct ProcessTimes {
  std::string name;
  unsigned long long start = 0;   // start time, to tell a reused pid apart
  unsigned long long own = 0;     // utime + stime
  unsigned long long reaped = 0;  // cutime + cstime: children that ended
};

using Tree = std::map<long, ProcessTimes>;

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Every process on the machine: pid -> (parent, times).
std::map<long, std::pair<long, ProcessTimes>> AllProcesses() {
  std::map<long, std::pair<long, ProcessTimes>> all;
  std::unique_ptr<DIR, int (*)(DIR*)> proc(opendir("/proc"), closedir);
  if (!proc)
    return all;
  while (dirent* entry = readdir(proc.get())) {
    char* end = nullptr;
    const long pid = std::strtol(entry->d_name, &end, 10);
    if (pid <= 0 || *end != '\0')
      continue;
    std::ifstream file("/proc/" + std::string(entry->d_name) + "/stat");
    std::string line;
    if (!std::getline(file, line))
      continue;
    // The name is in parentheses and may hold spaces or parentheses itself.
    const size_t open = line.find('(');
    const size_t close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos)
      continue;
    ProcessTimes times;
    times.name = line.substr(open + 1, close - open - 1);
    std::istringstream fields(line.substr(close + 2));
    std::vector<std::string> f;
    for (std::string field; fields >> field;)
      f.push_back(field);
    // f[0] is field 3 (state): ppid 4, utime 14, stime 15, cutime 16, cstime 17, starttime 22.
    if (f.size() < 20)
      continue;
    const long parent = std::stol(f[1]);
    times.own = std::stoull(f[11]) + std::stoull(f[12]);
    times.reaped = std::stoull(f[13]) + std::stoull(f[14]);
    times.start = std::stoull(f[19]);
    all[pid] = {parent, times};
  }
  return all;
}

Tree ProcessTree(long root) {
  const auto all = AllProcesses();
  std::multimap<long, long> children;
  for (const auto& [pid, entry] : all)
    children.emplace(entry.first, pid);
  Tree tree;
  std::vector<long> todo{root};
  while (!todo.empty()) {
    const long pid = todo.back();
    todo.pop_back();
    const auto found = all.find(pid);
    if (found == all.end())
      continue;
    tree[pid] = found->second.second;
    // Chromium's processes share one name; their role is in the command line.
    // Chromium rewrites its command line as one string, so look for words.
    std::ifstream cmdline("/proc/" + std::to_string(pid) + "/cmdline");
    std::string args((std::istreambuf_iterator<char>(cmdline)), std::istreambuf_iterator<char>());
    std::replace(args.begin(), args.end(), '\0', ' ');
    const size_t type = args.find(" --type=");
    if (type != std::string::npos)
      tree[pid].name += " " + args.substr(type + 8, args.find(' ', type + 8) - type - 8);
    // Qt WebEngine's renderers are forked from its zygote and keep its words.
    const auto parent = tree.find(found->second.first);
    if (parent != tree.end() && parent->second.name == tree[pid].name &&
        tree[pid].name.find("zygote") != std::string::npos)
      tree[pid].name.replace(tree[pid].name.find("zygote"), 6, "renderer");
    const auto range = children.equal_range(pid);
    for (auto it = range.first; it != range.second; ++it)
      todo.push_back(it->second);
  }
  return tree;
}

// Clock ticks the tree spent between two readings, by process name.
std::map<std::string, unsigned long long> TicksBetween(const Tree& before, const Tree& after) {
  std::map<std::string, unsigned long long> ticks;
  for (const auto& [pid, now] : after) {
    unsigned long long spent = now.own + now.reaped;
    const auto then = before.find(pid);
    if (then != before.end() && then->second.start == now.start)
      spent -= then->second.own + then->second.reaped;
    ticks[now.name] += spent;
  }
  return ticks;
}

double PssMiB(const Tree& tree) {
  unsigned long long kib = 0;
  for (const auto& entry : tree) {
    std::ifstream file("/proc/" + std::to_string(entry.first) + "/smaps_rollup");
    for (std::string line; std::getline(file, line);) {
      if (line.rfind("Pss:", 0) == 0) {
        kib += std::stoull(line.substr(4));
        break;
      }
    }
  }
  return kib / 1024.0;
}

// Reads the cells' row off the root window.
class CellReader {
 public:
  CellReader(xcb_connection_t* connection, const xcb_screen_t* screen, const Options& options)
      : m_connection(connection), m_root(screen->root) {
    const double scale = std::min(double(screen->width_in_pixels) / options.stageWidth,
                                  double(screen->height_in_pixels) / options.stageHeight);
    const double left = (screen->width_in_pixels - options.stageWidth * scale) / 2;
    const double top = (screen->height_in_pixels - options.stageHeight * scale) / 2;
    const double cell = options.stageWidth * scale / kCells;
    m_x = int(std::lround(left));
    m_y = int(std::lround(top + options.stageHeight * scale / 2));
    m_width = int(std::lround(cell * kCells));
    // Three points in the middle half of each cell, clear of its edges.
    for (int i = 0; i < kCells; ++i) {
      for (const double at : {0.3, 0.5, 0.7})
        m_points[i].push_back(int((i + at) * cell));
    }
  }

  // The frame number shown now, or nothing when a cell is neither white nor
  // black (the row is covered, or not drawn yet).
  std::optional<unsigned> Read() {
    const auto cookie =
        xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root, m_x, m_y, m_width, 1, ~0u);
    std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> reply(
        xcb_get_image_reply(m_connection, cookie, nullptr), &std::free);
    if (!reply || xcb_get_image_data_length(reply.get()) < m_width * 4)
      return std::nullopt;
    const uint8_t* data = xcb_get_image_data(reply.get());
    unsigned gray = 0;
    for (int i = 0; i < kCells; ++i) {
      int bright = 0;
      int dark = 0;
      for (const int x : m_points[i]) {
        const uint8_t* p = data + x * 4;
        const int level = (p[0] + p[1] + p[2]) / 3;
        bright += level > 190;
        dark += level < 60;
      }
      if (bright == 3)
        gray = gray << 1 | 1;
      else if (dark == 3)
        gray = gray << 1;
      else
        return std::nullopt;
    }
    unsigned binary = gray;
    for (unsigned shift = gray >> 1; shift; shift >>= 1)
      binary ^= shift;
    return binary;
  }

 private:
  xcb_connection_t* m_connection;
  xcb_window_t m_root;
  int m_x = 0;
  int m_y = 0;
  int m_width = 0;
  std::vector<int> m_points[kCells];
};

void SleepUntil(double when) {
  const auto ns =
      std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::duration<double>(when));
  timespec at{};
  at.tv_sec = time_t(ns.count() / 1000000000);
  at.tv_nsec = long(ns.count() % 1000000000);
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
  }
}

bool Parse(int argc, char** argv, Options* o) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string key = argv[i];
    const char* value = argv[i + 1];
    if (key == "--pid")
      o->pid = std::atol(value);
    else if (key == "--stage" && std::sscanf(value, "%dx%d", &o->stageWidth, &o->stageHeight) == 2)
      continue;
    else if (key == "--wait")
      o->wait = std::atof(value);
    else if (key == "--warmup")
      o->warmup = std::atof(value);
    else if (key == "--seconds")
      o->seconds = std::atof(value);
    else if (key == "--detail")
      o->detail = std::string(value) == "1";
    else
      return false;
  }
  return o->pid > 0 && o->stageWidth > 0 && o->stageHeight > 0 && o->seconds > 0 && argc % 2 == 1;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!Parse(argc, argv, &options)) {
    std::fprintf(stderr,
                 "usage: %s --pid PID [--stage 640x480] [--wait 60] [--warmup 3] "
                 "[--seconds 10] [--detail 1]\n",
                 argv[0]);
    return 2;
  }
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(connection)) {
    std::fprintf(stderr, "frameprobe: cannot open the display\n");
    return 2;
  }
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
  CellReader reader(connection, screen, options);

  // Wait until the movie plays: two different frame numbers.
  const double deadline = Now() + options.wait;
  std::optional<unsigned> first;
  for (;;) {
    const auto frame = reader.Read();
    if (frame && first && *frame != *first)
      break;
    if (frame && !first)
      first = frame;
    if (Now() > deadline) {
      std::printf("error=no-cells\n");
      return 1;
    }
    SleepUntil(Now() + 0.01);
  }
  SleepUntil(Now() + options.warmup);

  const long ticksPerSecond = sysconf(_SC_CLK_TCK);
  const Tree before = ProcessTree(options.pid);
  const double start = Now();
  const double end = start + options.seconds;
  std::bitset<65536> seen;
  long samples = 0;
  long unreadable = 0;
  std::optional<unsigned> firstFrame;
  unsigned lastFrame = 0;
  unsigned long made = 0;
  for (double next = start; next < end; next += 0.001) {
    SleepUntil(next);
    ++samples;
    const auto frame = reader.Read();
    if (!frame) {
      ++unreadable;
      continue;
    }
    if (!firstFrame)
      firstFrame = frame;
    else if (((*frame - lastFrame) & 0xffff) < 1000)  // never a step back
      made += (*frame - lastFrame) & 0xffff;
    lastFrame = *frame;
    seen.set(*frame);
  }
  const double elapsed = Now() - start;
  const Tree after = ProcessTree(options.pid);
  const auto ticks = TicksBetween(before, after);
  unsigned long long total = 0;
  for (const auto& entry : ticks)
    total += entry.second;

  // The frame already on the screen when the window opened is not counted.
  const double shown = seen.count() > 0 ? double(seen.count() - 1) / elapsed : 0;
  std::printf(
      "shown_fps=%.1f made_fps=%.1f cpu_pct=%.0f pss_mib=%.0f samples=%ld unreadable=%ld "
      "processes=%zu\n",
      shown, made / elapsed, 100.0 * total / ticksPerSecond / elapsed, PssMiB(after), samples,
      unreadable, after.size());
  if (options.detail) {
    for (const auto& [name, spent] : ticks)
      std::printf("  %-24s %5.0f%%\n", name.c_str(), 100.0 * spent / ticksPerSecond / elapsed);
  }
  xcb_disconnect(connection);
  return 0;
}
