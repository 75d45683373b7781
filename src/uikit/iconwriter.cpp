// Writes the program icon as a PNG file: iconwriter <path>.

#include "uikit/artwork.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <file.png>\n", argv[0]);
    return 2;
  }
  if (!artwork::ProgramIcon().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
