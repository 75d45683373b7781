#pragma once

// Real input through the X server (xdotool), and bounded waits for its effects.

#include <QPoint>
#include <QStringList>

#include <functional>

class QWidget;

// Runs xdotool with `arguments`; false when it fails.
bool Xdotool(const QStringList& arguments);

void MoveMouseTo(QPoint global);
void ClickAt(QPoint global, int button = 1);
void DoubleClickAt(QPoint global);
// Press at `from`, move, release at `to`.
void DragFromTo(QPoint from, QPoint to);
void PressKey(const char* key);

// A point of `widget` in screen coordinates.
QPoint Global(const QWidget* widget, QPoint local);

// Processes events until `condition` holds or `ms` have passed.
bool WaitFor(const std::function<bool()>& condition, int ms = 3000);
// Processes events for a short while, to show that nothing happens.
void Settle(int ms = 300);
