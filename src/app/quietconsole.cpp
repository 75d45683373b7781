#include "app/quietconsole.h"

#include <QString>

#include <cstdio>

namespace {

bool IsChatter(const QString& message) {
  return message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"));
}

void PrintUnlessChatter(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (IsChatter(message))
    return;
  std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

}  // namespace

void QuietenLibraryChatter() {
  qInstallMessageHandler(&PrintUnlessChatter);
}
