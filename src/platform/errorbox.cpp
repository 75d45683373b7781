#include "platform/errorbox.h"

#include <QMessageBox>

namespace {

void ShowCritical(const QString& title, const QString& message) {
  QMessageBox box(QMessageBox::Critical, title, ErrorBoxText(message), QMessageBox::Ok);
  box.exec();
}

}  // namespace

QString ErrorBoxText(const QString& message) {
  if (message.isEmpty())
    return message;
  // Compare whole characters, so a character outside the basic plane counts once.
  const QList<uint> codePoints = message.right(2).toUcs4();
  if (codePoints.last() > uint('.'))
    return message + QLatin1Char('.');
  return message;
}

void ShowErrorBox(const QString& message) {
  ShowCritical(QStringLiteral("Quillet"), message);
}

void ShowApplicationError(const QString& message) {
  ShowCritical(QStringLiteral("Application Error"), message);
}
