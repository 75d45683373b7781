// The yardstick: a bare Qt program that shows one frameless window.

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
  window.setGeometry(832, 0, 184, 556);
  window.show();
  return app.exec();
}
