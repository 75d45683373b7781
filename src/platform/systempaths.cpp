#include "platform/systempaths.h"

#include <QCoreApplication>

QString HostSystemPaths::SystemDriveRoot() const {
  return QStringLiteral("/");
}

QString HostSystemPaths::ProgramFolder() const {
  // applicationDirPath() resolves links, so /usr/bin/quillet finds /opt/quillet/.
  return QCoreApplication::applicationDirPath() + QLatin1Char('/');
}
