// The launcher window alone, built and shown as the program does at start.

#include "launcher/form1.h"
#include "platform/fontwarmup.h"

#include <QApplication>

int main(int argc, char** argv) {
  const FontConfigurationWarmUp warmUp;
  QApplication app(argc, argv);
  TForm1 form1;
  form1.show();
  return app.exec();
}
