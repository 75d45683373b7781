#pragma once

// Helpers for tests that watch the Flash control's pixels on the X screen,
// in the player process's window.

#include <QColor>
#include <QImage>
#include <QString>

class TShockwaveFlash;

// What the player's window shows, read back from the X server.
QImage GrabScreen(const TShockwaveFlash& flash);

// The colour at a point of the player's window, from the screen.
QColor ScreenPixel(const TShockwaveFlash& flash, const QPoint& at);

// True when two colours differ by at most tolerance in each channel.
bool Near(const QColor& a, const QColor& b, int tolerance = 12);

// Whether what the player's window shows changes within the given time.
bool ShowsMotion(const TShockwaveFlash& flash, int withinMs = 1500);

// Whether what the player's window shows stays as it is for the given time.
bool HoldsStill(const TShockwaveFlash& flash, int ms);

// A compiled test movie, e.g. TestMovie("anim").
QString TestMovie(const char* name);
