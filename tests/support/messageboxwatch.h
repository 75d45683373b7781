#pragma once

// Reads the modal message box that a call opens, for tests of windows.

#include <QApplication>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>

struct SeenBox {
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Runs call(); a message box it opens is read and closed. Empty when none
// opened.
template <typename Call>
SeenBox WatchMessageBox(Call call) {
  SeenBox seen;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      seen = {box->windowTitle(), box->text(), box->icon()};
      box->accept();
    }
  });
  poll.start(20);
  call();
  return seen;
}
