#include "launcher/placement.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

struct Placement {
  int screenWidth;
  int left;
  int menuY;
};

// The smallest entry is 600, not 640; for the listed widths the right edge
// stands 8 pixels from the screen's.
constexpr Placement kPlacements[] = {
    {600, 408, 400},   {800, 608, 537},   {1024, 832, 424},  {1152, 960, 424},
    {1280, 1088, 424}, {1360, 1168, 424}, {1600, 1408, 424},
};
constexpr Placement kDefault = {0, 832, 424};

const Placement& PlacementFor(int screenWidth) {
  for (const Placement& placement : kPlacements) {
    if (placement.screenWidth == screenWidth)
      return placement;
  }
  return kDefault;
}

}  // namespace

int PrimaryScreenWidth::ScreenWidth() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->geometry().width() : 0;
}

int LauncherLeftFor(int screenWidth) {
  return PlacementFor(screenWidth).left;
}

int ContextMenuYFor(int screenWidth) {
  return PlacementFor(screenWidth).menuY;
}
