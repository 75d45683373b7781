#pragma once

// Helpers for tests that watch the Flash control's pixels on the X screen.

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>

// What the control shows, read back from the X server.
QImage GrabScreen(const QWidget& widget);

// The colour at a point of the widget, from the screen.
QColor ScreenPixel(const QWidget& widget, const QPoint& at);

// True when two colours differ by at most tolerance in each channel.
bool Near(const QColor& a, const QColor& b, int tolerance = 12);

// Whether what the widget shows changes within the given time.
bool ShowsMotion(const QWidget& widget, int withinMs = 1500);

// A compiled test movie, e.g. TestMovie("anim").
QString TestMovie(const char* name);
