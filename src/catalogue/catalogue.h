#pragma once

// The fixed game catalogue: six categories of games, each game a clickable
// name on its category's page. Constant data, built into the program.

#include <array>
#include <cstddef>

enum class NameColour {
  HotTrack,  // the platform's link colour
  Green,     // RGB (0, 128, 0)
};

struct GameEntry {
  const char* caption;  // UTF-8, the name between two vertical bars
  const char* stem;     // the movie file is stem + ".swf"; never derived from the caption
  int x;                // top-left corner on the category page
  int y;
  NameColour colour;
};

struct GameCategory {
  int number;         // 1 to 6, also the position of its bar from the top
  const char* page;   // "TabSheet1" ... "TabSheet6"
  const char* title;  // drawn on the bar between "=== " and " ==="
  int firstRowY;
  const GameEntry* entries;  // display order: rows top to bottom, names left to right
  std::size_t count;

  const GameEntry* begin() const { return entries; }
  const GameEntry* end() const { return entries + count; }
};

inline constexpr std::size_t kCategoryCount = 6;

// The categories in number order.
const std::array<GameCategory, kCategoryCount>& GameCategories();
