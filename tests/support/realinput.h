#pragma once

// Real input through the X server (xdotool).

#include <QPoint>
#include <QStringList>

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
