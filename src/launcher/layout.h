#pragma once

// Where the launcher's parts stand: its size, its colours, and the six
// category bars of each page.

#include <QColor>
#include <QString>

namespace layout {

constexpr int kWidth = 184;
constexpr int kFullHeight = 556;
constexpr int kFirstPage = 5;

inline const QColor kSkyBlue(166, 202, 240);
inline const QColor kGreen(0, 128, 0);

// A bar's object name on a page; the page's own bar is its category's.
const char* BarName(int page, int category);

// The bars stack from the top down to the page's own one; the rest stand at
// the bottom, the last ending at row 494.
int BarTop(int page, int category);

// "射击类小游戏" and the like, as drawn on the bars.
QString CategoryTitle(int category);

}  // namespace layout
