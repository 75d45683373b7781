// The movie check must give the same verdict however the bytes are split
// into the pieces that the network delivers.

#include "launch/downloadcheck.h"
#include "testmovies.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

bool CheckInPieces(const QByteArray& bytes, int piece) {
  MovieCheck check;
  for (int at = 0; at < bytes.size(); at += piece) {
    if (!check.Feed(bytes.constData() + at, std::min(piece, int(bytes.size()) - at))) {
      return false;
    }
  }
  return check.Complete();
}

struct CheckCase {
  const char* name;
  QByteArray bytes;
  bool complete;
};

class MovieCheckVerdict : public ::testing::TestWithParam<CheckCase> {};

TEST_P(MovieCheckVerdict, SameForEverySplit) {
  const CheckCase& c = GetParam();
  for (int piece : {1, 3, 7, 8, 17, 4096, 1 << 20}) {
    EXPECT_EQ(CheckInPieces(c.bytes, piece), c.complete) << "pieces of " << piece;
  }
}

const QByteArray kCws = CwsMovie(100000);

INSTANTIATE_TEST_SUITE_P(
    Download, MovieCheckVerdict,
    ::testing::Values(CheckCase{"Uncompressed", FwsMovie(2000), true},
                      CheckCase{"UncompressedShort", FwsMovie(2000).chopped(1), false},
                      CheckCase{"UncompressedLong", FwsMovie(2000) + '\0', false},
                      CheckCase{"LengthFieldTooSmall", WithLengthField(FwsMovie(50), 4), false},
                      CheckCase{"Zlib", kCws, true}, CheckCase{"ZlibShort", kCws.chopped(1), false},
                      CheckCase{"ZlibStatesMore", WithLengthField(kCws, 100001), false},
                      CheckCase{"ZlibStatesLess", WithLengthField(kCws, 99999), false},
                      CheckCase{"ZlibCorrupt",
                                kCws.left(20) + QByteArray(200, '\xff') + kCws.mid(220), false},
                      CheckCase{"Lzma", ZwsMovie(300), true},
                      CheckCase{"LzmaShort", ZwsMovie(300).chopped(1), false},
                      CheckCase{"LzmaHeaderOnly", ZwsMovie(300).left(12), false},
                      CheckCase{"HeaderCutOff", FwsMovie(100).left(7), false},
                      CheckCase{"Empty", QByteArray(), false},
                      CheckCase{"WebPage", QByteArray("<!DOCTYPE html><html>FWS</html>"), false},
                      CheckCase{"SignatureBrokenInside", "FXS" + FwsMovie(100).mid(3), false},
                      CheckCase{"LowerCaseSignature", "fws" + FwsMovie(100).mid(3), false}),
    [](const ::testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

TEST(MovieCheck, RejectsAWebPageAtItsFirstByte) {
  MovieCheck check;
  EXPECT_FALSE(check.Feed("<", 1));
  EXPECT_FALSE(check.Feed("FWS", 3));  // once refused, always refused
}

}  // namespace
