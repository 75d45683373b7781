#pragma once

// Where the launcher stands and where its menu opens, by screen width.

// The width of the primary screen in pixels, read afresh on every call.
class ScreenWidthSource {
 public:
  virtual ~ScreenWidthSource() = default;
  virtual int ScreenWidth() const = 0;
};

class PrimaryScreenWidth final : public ScreenWidthSource {
 public:
  int ScreenWidth() const override;
};

// Keeps the launcher's right edge 8 pixels from the screen's, on every width.
int LauncherLeftFor(int screenWidth);
// Exact matches only: a width missing from the table gets the default.
int ContextMenuYFor(int screenWidth);
