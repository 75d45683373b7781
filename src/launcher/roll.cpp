#include "launcher/roll.h"

#include "launcher/layout.h"

#include <algorithm>

namespace roll {

namespace {

// Only a strip rolls down.
constexpr int kStripBelow = 10;

}  // namespace

int RolledUpHeight(int height) {
  do {
    height -= 3;
  } while (height >= 4);
  // Below 2 (a strip rolled up again) becomes 2: managers keep part of every window on
  // the screen, and openbox moves a one-row window at Top -1 down to 0.
  return std::max(height, 2);
}

int MouseRolledDownHeight(int height) {
  // Wherever the steps of 6 end, the window is then set to its full height.
  return height >= kStripBelow ? height : layout::kFullHeight;
}

int ClickRolledDownHeight(int height) {
  if (height >= kStripBelow)
    return height;
  do {
    height += 3;
  } while (height <= 554);
  return height;
}

}  // namespace roll
