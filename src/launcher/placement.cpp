#include "launcher/placement.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

struct MenuPlacement {
  int screenWidth;
  int menuY;
};

// The smallest entry is 600, not 640.
constexpr MenuPlacement kMenuPlacements[] = {
    {600, 400}, {800, 537}, {1024, 424}, {1152, 424}, {1280, 424}, {1360, 424}, {1600, 424},
};
constexpr int kDefaultMenuY = 424;

// The launcher's right edge stands 8 pixels from the screen's.
constexpr int kRightMargin = 192;

}  // namespace

int PrimaryScreenWidth::ScreenWidth() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->geometry().width() : 0;
}

int LauncherLeftFor(int screenWidth) {
  return screenWidth - kRightMargin;
}

int ContextMenuYFor(int screenWidth) {
  for (const MenuPlacement& placement : kMenuPlacements) {
    if (placement.screenWidth == screenWidth)
      return placement.menuY;
  }
  return kDefaultMenuY;
}
