// The entry of every test binary that needs windows: one QApplication on the
// display the test run provides, and a user data folder of the binary's own,
// so that no game saves or web profile are shared with the user or other runs.

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  QTemporaryDir data;
  qputenv("XDG_DATA_HOME", data.path().toUtf8());
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
