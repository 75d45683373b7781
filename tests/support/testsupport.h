#pragma once

// Small helpers shared by the tests.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/prompt.h"

// A fresh temporary folder for each test, with helpers to fill it.
class TempFolderTest : public ::testing::Test {
 protected:
  // The folder's path with a trailing "/", ready for concatenation.
  QString Root() const { return m_dir.path() + QLatin1Char('/'); }
  // Creates the folders of a relative path under Root(); returns its full path with "/".
  QString MakeFolder(const QString& relative) const;
  // Writes a file (and its folders) under Root(); returns its full path.
  QString WriteFile(const QString& relative, const QByteArray& content = "movie") const;

 private:
  QTemporaryDir m_dir;
};

// Reads a whole file, or an empty array when it cannot be read.
QByteArray ReadWholeFile(const QString& path);

// A folder of the build tree given to the tests by CTest's environment.
QString BuildFolder(const char* variable);

// Answers every question the same way and remembers what was asked.
class ScriptedPrompt final : public ConfirmationPrompt {
 public:
  bool answer = false;
  QStringList questions;
  bool Confirm(const QString& question) override {
    questions << question;
    return answer;
  }
};
