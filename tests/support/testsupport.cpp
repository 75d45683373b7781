#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QString TempFolderTest::MakeFolder(const QString& relative) const {
  const QString path = Root() + relative;
  EXPECT_TRUE(QDir().mkpath(path)) << path.toStdString();
  return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

QString TempFolderTest::WriteFile(const QString& relative, const QByteArray& content) const {
  const QString path = Root() + relative;
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
  file.write(content);
  return path;
}

QByteArray ReadWholeFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString BuildFolder(const char* variable) {
  const QString value = qEnvironmentVariable(variable);
  EXPECT_FALSE(value.isEmpty()) << variable << " is not set; run the tests through ctest";
  return value;
}
