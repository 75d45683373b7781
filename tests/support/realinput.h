#pragma once

// Real input through the X server (xdotool), handled before each call returns.

#include <QPoint>
#include <QStringList>

#include <memory>

class QWidget;

// Runs xdotool with `arguments`; false when it fails.
bool Xdotool(const QStringList& arguments);

// A message to ourselves through the X server: once Qt has handled it, it has
// handled every event the server sent before it. Made and ended on Qt's
// thread; Send and Returned work from any thread.
class XEcho final {
 public:
  XEcho();
  ~XEcho();
  XEcho(const XEcho&) = delete;
  XEcho& operator=(const XEcho&) = delete;

  void Send();
  bool Returned() const;

 private:
  class Filter;
  std::unique_ptr<Filter> m_filter;
};

// Returns once Qt has handled every event the X server sent it so far, such
// as the input of an xdotool call that has returned. The functions below
// end with it.
void SyncWithXServer();

void MoveMouseTo(QPoint global);
void ClickAt(QPoint global, int button = 1);
void DoubleClickAt(QPoint global);
// Press at `from`, move, release at `to`.
void DragFromTo(QPoint from, QPoint to);
void PressKey(const char* key);

// A point of `widget` in screen coordinates.
QPoint Global(const QWidget* widget, QPoint local);
