#pragma once

// Colour assertions for pictures and screenshots.

#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>

inline ::testing::AssertionResult NearColour(const QColor& actual, const QColor& expected,
                                             int tolerance = 0) {
  if (std::abs(actual.red() - expected.red()) <= tolerance &&
      std::abs(actual.green() - expected.green()) <= tolerance &&
      std::abs(actual.blue() - expected.blue()) <= tolerance) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "colour (" << actual.red() << ", " << actual.green() << ", " << actual.blue()
         << "), expected (" << expected.red() << ", " << expected.green() << ", " << expected.blue()
         << ") within " << tolerance;
}

inline ::testing::AssertionResult PixelIs(const QImage& image, int x, int y, const QColor& expected,
                                          int tolerance = 0) {
  return NearColour(image.pixelColor(x, y), expected, tolerance) << " at " << x << ", " << y;
}

// How many pixels of `area` lie within `tolerance` of `colour`.
inline int CountNear(const QImage& image, const QRect& area, const QColor& colour, int tolerance) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      if (NearColour(image.pixelColor(x, y), colour, tolerance))
        ++count;
    }
  }
  return count;
}
