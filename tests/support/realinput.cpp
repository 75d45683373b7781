#include "support/realinput.h"

#include <QCoreApplication>
#include <QCursor>
#include <QProcess>
#include <QTest>
#include <QWidget>

bool Xdotool(const QStringList& arguments) {
  return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

void MoveMouseTo(QPoint global) {
  // xdotool's own --sync waits long when the pointer is already there.
  Xdotool({QStringLiteral("mousemove"), QString::number(global.x()), QString::number(global.y())});
  // The caller checks the effect it needs, so a pointer that never arrives fails there.
  (void)QTest::qWaitFor([&] { return QCursor::pos() == global; }, 2000);
  QTest::qWait(50);
}

void ClickAt(QPoint global, int button) {
  MoveMouseTo(global);
  Xdotool({QStringLiteral("click"), QString::number(button)});
  QTest::qWait(100);
}

void DoubleClickAt(QPoint global) {
  MoveMouseTo(global);
  Xdotool({QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
           QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("1")});
  QTest::qWait(300);
}

void DragFromTo(QPoint from, QPoint to) {
  MoveMouseTo(from);
  Xdotool({QStringLiteral("mousedown"), QStringLiteral("1")});
  QTest::qWait(100);
  MoveMouseTo(to);
  Xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
  QTest::qWait(150);
}

void PressKey(const char* key) {
  Xdotool({QStringLiteral("key"), QString::fromLatin1(key)});
  QTest::qWait(150);
}

QPoint Global(const QWidget* widget, QPoint local) {
  return widget->mapToGlobal(local);
}
