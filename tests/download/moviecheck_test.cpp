// The movie check must give the same verdict however the bytes are split
// into the pieces that the network delivers.

#include "launch/download.h"
#include "launch/downloadcheck.h"
#include "platform/moviebound.h"
#include "support/testsupport.h"
#include "testmovies.h"

#include <QFile>
#include <QtEndian>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <zlib.h>

#include <algorithm>

namespace {

const qint64 kDefaultBound = DownloadLimits{}.maxMovieLength;

bool CheckInPieces(const QByteArray& bytes, int piece, qint64 maxLength) {
  MovieCheck check(maxLength);
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
  qint64 maxLength = kDefaultBound;
};

class MovieCheckVerdict : public ::testing::TestWithParam<CheckCase> {};

TEST_P(MovieCheckVerdict, SameForEverySplit) {
  const CheckCase& c = GetParam();
  for (int piece : {1, 3, 7, 8, 17, 4096, 1 << 20}) {
    EXPECT_EQ(CheckInPieces(c.bytes, piece, c.maxLength), c.complete) << "pieces of " << piece;
  }
}

const QByteArray kCws = CwsMovie(100000);
const QByteArray kZws = ZwsMovie(100000);

// A zlib stream of 16 MiB of zeros, some 16 KB, under a header that states
// the given length.
QByteArray ZlibBomb(quint32 statedLength) {
  const QByteArray zeros(16 << 20, '\0');
  uLongf length = compressBound(uLong(zeros.size()));
  QByteArray packed(int(length), '\0');
  compress2(reinterpret_cast<Bytef*>(packed.data()), &length,
            reinterpret_cast<const Bytef*>(zeros.constData()), uLong(zeros.size()), 9);
  packed.resize(int(length));
  return WithLengthField(QByteArray("CWS\x0a", 4) + QByteArray(4, '\0'), statedLength) + packed;
}

// A movie whose one ShowFrame tag became another tag, so that no frame is
// ever shown; its padding tag is full of bytes that look like ShowFrame.
QByteArray WithoutAFrame(QByteArray movie) {
  movie[movie.size() - 4] = '\x80';
  return movie;
}

// An LZMA movie whose two length fields agree with the file but whose body is
// noise; the noise starts with the zero byte every LZMA stream starts with.
QByteArray LzmaNoise() {
  QByteArray movie = kZws;
  for (qsizetype i = 18; i < movie.size(); ++i) {
    movie[i] = char((i * 7919 + 13) % 251);
  }
  return movie;
}

// An LZMA movie with bytes after its stream, counted in its compressed length.
QByteArray LzmaWithTrailer() {
  QByteArray movie = kZws + "junk";
  qToLittleEndian(quint32(movie.size() - 17), movie.data() + 8);
  return movie;
}

INSTANTIATE_TEST_SUITE_P(
    Download, MovieCheckVerdict,
    ::testing::Values(
        CheckCase{"Uncompressed", FwsMovie(2000), true},
        CheckCase{"UncompressedShort", FwsMovie(2000).chopped(1), false},
        CheckCase{"UncompressedLong", FwsMovie(2000) + '\0', false},
        CheckCase{"LengthFieldTooSmall", WithLengthField(FwsMovie(50), 4), false},
        CheckCase{"UncompressedAtTheBound", FwsMovie(2000), true, 2000},
        CheckCase{"UncompressedOverTheBound", FwsMovie(2000), false, 1999},
        CheckCase{"Zlib", kCws, true}, CheckCase{"ZlibShort", kCws.chopped(1), false},
        CheckCase{"ZlibStatesMore", WithLengthField(kCws, 100001), false},
        CheckCase{"ZlibStatesLess", WithLengthField(kCws, 99999), false},
        CheckCase{"ZlibCorrupt", kCws.left(20) + QByteArray(200, '\xff') + kCws.mid(220), false},
        CheckCase{"ZlibFollowedByJunk", kCws + "junk", false},
        CheckCase{"ZlibFollowedByAByte", kCws + '\0', false},
        CheckCase{"ZlibFollowedByASecondMovie", kCws + kCws, false},
        CheckCase{"ZlibAtTheBound", kCws, true, 100000},
        CheckCase{"ZlibOverTheBound", kCws, false, 99999},
        CheckCase{"ZlibBombStatingFourGigabytes", ZlibBomb(0xffffffff), false},
        CheckCase{"ZlibBombStatingLittle", ZlibBomb(1000), false}, CheckCase{"Lzma", kZws, true},
        CheckCase{"LzmaWithEndMarker", ZwsMovie(100000, true), true},
        CheckCase{"LzmaSmallest", ZwsMovie(33), true},
        CheckCase{"LzmaShort", kZws.chopped(1), false},
        CheckCase{"LzmaHeaderOnly", kZws.left(12), false},
        CheckCase{"LzmaStatesMore", WithLengthField(kZws, 100001), false},
        CheckCase{"LzmaStatesLess", WithLengthField(kZws, 99999), false},
        CheckCase{"LzmaNoiseWithAgreeingLengths", LzmaNoise(), false},
        CheckCase{"LzmaFollowedByJunk", LzmaWithTrailer(), false},
        CheckCase{"LzmaOverTheBound", kZws, false, 99999},
        CheckCase{"LzmaBadProperties", kZws.left(12) + QByteArray(5, '\xff') + kZws.mid(17), false},
        CheckCase{"HeaderCutOff", FwsMovie(100).left(7), false},
        CheckCase{"HeaderAlone", WithLengthField(FwsMovie(100).left(8), 8), false},
        CheckCase{"NoFrame", WithoutAFrame(FwsMovie(5000)), false},
        CheckCase{"Empty", QByteArray(), false},
        CheckCase{"WebPage", QByteArray("<!DOCTYPE html><html>FWS</html>"), false},
        CheckCase{"SignatureBrokenInside", "FXS" + FwsMovie(100).mid(3), false},
        CheckCase{"LowerCaseSignature", "fws" + FwsMovie(100).mid(3), false}),
    [](const ::testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

TEST(MovieCheck, RejectsAWebPageAtItsFirstByte) {
  MovieCheck check(kDefaultBound);
  EXPECT_FALSE(check.Feed("<", 1));
  EXPECT_FALSE(check.Feed("FWS", 3));  // once refused, always refused
}

// A bomb is refused by its header, before a byte of it is decompressed.
TEST(MovieCheck, RefusesABombByItsStatedLength) {
  const QByteArray bomb = ZlibBomb(0xffffffff);
  MovieCheck check(kDefaultBound);
  EXPECT_FALSE(check.Feed(bomb.constData(), 8));
}

// What the player is handed, judged before a byte of it is read: a movie
// planted in the shared folder can be of any size or kind of file.
using PlayableMovieFile = TempFolderTest;

TEST_F(PlayableMovieFile, OnlyARegularFileUpToTheCap) {
  const auto sized = [&](const QString& name, qint64 size) {
    QFile file(Root() + name);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(size));
    return file.fileName();
  };
  const QString fifo = Root() + QStringLiteral("fifo.swf"), zero = Root() + QStringLiteral("0.swf");
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
  ASSERT_TRUE(QFile::link(sized(QStringLiteral("a.swf"), 100), Root() + QStringLiteral("l.swf")));
  for (const QString& path : {sized(QStringLiteral("cap.swf"), kMaxMovieBytes),
                              Root() + QStringLiteral("l.swf"), Root() + QStringLiteral("no.swf")})
    EXPECT_TRUE(IsPlayableMovieFile(path)) << path.toStdString();
  for (const QString& path :
       {sized(QStringLiteral("over.swf"), kMaxMovieBytes + 1),
        sized(QStringLiteral("3g.swf"), qint64(3) << 30), zero, fifo, Root()}) {
    const Outcome playable = IsPlayableMovieFile(path);
    EXPECT_FALSE(playable) << path.toStdString();
    EXPECT_FALSE(playable.Reason().isEmpty());
  }
}

}  // namespace
