// libcurl stays out of the process until the first download: linked into the
// program, it and the libraries it brings would delay the launcher's start.
// A program of its own, so that no other download has loaded it before.

#include <QFile>

#include "launch/download.h"
#include "support/testsupport.h"

namespace {

bool CurlIsLoaded() {
  QFile maps(QStringLiteral("/proc/self/maps"));
  if (!maps.open(QIODevice::ReadOnly))
    return false;
  return maps.readAll().contains("/libcurl.so.4");
}

class CurlLoadingTest : public TempFolderTest {};

TEST_F(CurlLoadingTest, LibcurlIsLoadedByTheFirstDownloadOnly) {
  ASSERT_FALSE(CurlIsLoaded()) << "libcurl was loaded with the program";
  // Nothing listens on the discard port: the transfer fails, after libcurl
  // has been loaded and set up.
  EXPECT_FALSE(
      DownloadFile(QStringLiteral("http://127.0.0.1:9/a.swf"), Root() + QStringLiteral("a.swf")));
  EXPECT_TRUE(CurlIsLoaded());
  EXPECT_FALSE(QFile::exists(Root() + QStringLiteral("a.swf")));
}

}  // namespace
