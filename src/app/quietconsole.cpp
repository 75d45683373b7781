#include "app/quietconsole.h"

#include <QLoggingCategory>
#include <QString>

#include <cstdio>

namespace {

bool IsChatter(const QString& message) {
  return message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")) ||
         message == QLatin1String("Sandboxing disabled by user.") ||
         // The player shares OpenGL contexts only once it is made, on purpose.
         message.startsWith(QLatin1String("Attribute Qt::AA_ShareOpenGLContexts must be set"));
}

void PrintUnlessChatter(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (IsChatter(message))
    return;
  std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

}  // namespace

void QuietenLibraryChatter() {
  QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
  qInstallMessageHandler(&PrintUnlessChatter);
}
