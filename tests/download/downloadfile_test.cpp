// DownloadFile against a scripted server on loopback: what arrives whole is
// kept, and the folder is left as it was otherwise.

#include "launch/download.h"
#include "scriptedresponder.h"
#include "support/testsupport.h"
#include "testmovies.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <zlib.h>

namespace {

const QString kPath = QStringLiteral("/soft/Playbox/Playshare/game.swf");

class DownloadFileTest : public TempFolderTest {
 protected:
  QString Target() const { return Root() + QStringLiteral("game.swf"); }
  QStringList Entries() const {
    return QDir(Root()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
  }
  bool Fetch(const ScriptedAnswer& answer, const DownloadLimits& limits = DownloadLimits{}) {
    server.Answer(kPath, answer);
    return bool(DownloadFile(server.Url(kPath), Target(), limits));
  }

  ScriptedResponder server;
};

struct MovieCase {
  const char* name;
  QByteArray movie;
  bool announceLength;
};

class MovieArrives : public DownloadFileTest, public ::testing::WithParamInterface<MovieCase> {};

TEST_P(MovieArrives, WholeMovieIsWrittenUnderItsName) {
  const MovieCase& c = GetParam();
  ASSERT_TRUE(Fetch(c.announceLength ? WithLength(200, c.movie) : CloseDelimited(c.movie)));
  EXPECT_EQ(ReadWholeFile(Target()), c.movie);
  EXPECT_EQ(Entries(), QStringList{QStringLiteral("game.swf")});
}

INSTANTIATE_TEST_SUITE_P(
    Download, MovieArrives,
    ::testing::Values(MovieCase{"UncompressedWithLength", FwsMovie(5000), true},
                      MovieCase{"UncompressedCloseDelimited", FwsMovie(5000), false},
                      MovieCase{"SmallestMovie", FwsMovie(33), true},
                      MovieCase{"ZlibWithLength", CwsMovie(300000), true},
                      MovieCase{"ZlibCloseDelimited", CwsMovie(300000), false},
                      MovieCase{"LzmaWithLength", ZwsMovie(40000), true},
                      MovieCase{"LzmaCloseDelimited", ZwsMovie(40000), false}),
    [](const ::testing::TestParamInfo<MovieCase>& info) { return std::string(info.param.name); });

TEST_F(DownloadFileTest, ChunkedBodyArrivesWhole) {
  const QByteArray movie = FwsMovie(3000);
  ScriptedAnswer answer;
  answer.head = HttpHead(200, "OK", {"Transfer-Encoding: chunked", "Connection: close"}) +
                QByteArray::number(1000, 16) + "\r\n" + movie.left(1000) + "\r\n" +
                QByteArray::number(2000, 16) + "\r\n" + movie.mid(1000) + "\r\n0\r\n\r\n";
  ASSERT_TRUE(Fetch(answer));
  EXPECT_EQ(ReadWholeFile(Target()), movie);
}

TEST_F(DownloadFileTest, ReplacesAnOlderFileOnSuccess) {
  WriteFile(QStringLiteral("game.swf"), FwsMovie(100));
  const QByteArray movie = FwsMovie(7000);
  ASSERT_TRUE(Fetch(WithLength(200, movie)));
  EXPECT_EQ(ReadWholeFile(Target()), movie);
  EXPECT_EQ(Entries(), QStringList{QStringLiteral("game.swf")});
}

// Whoever fetched it, every user of the shared folder plays the movie.
TEST_F(DownloadFileTest, MovieIsReadableByEveryoneWhateverTheUmask) {
  const mode_t before = ::umask(077);
  const bool fetched = Fetch(WithLength(200, FwsMovie(3000)));
  ::umask(before);
  ASSERT_TRUE(fetched);
  struct stat status{};
  ASSERT_EQ(::stat(QFile::encodeName(Target()).constData(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0644u);
}

// Someone else planted a link at the target, to a file that the download must
// not write: one that exists, and one that a write through the link would
// create. Whether the movie arrives or not, the link and what it points to
// stay as they were, and nothing else is left behind.
struct PlantedLink {
  const char* name;
  bool pointsToAFile;
  bool movieArrives;
};

class LinkAtTheTarget : public DownloadFileTest,
                        public ::testing::WithParamInterface<PlantedLink> {};

TEST_P(LinkAtTheTarget, IsNeitherFollowedNorReplaced) {
  const PlantedLink& c = GetParam();
  const QString victim = Root() + QStringLiteral("elsewhere/victim.txt");
  MakeFolder(QStringLiteral("elsewhere"));
  if (c.pointsToAFile) {
    WriteFile(QStringLiteral("elsewhere/victim.txt"), "precious");
  }
  ASSERT_TRUE(QFile::link(victim, Target()));

  const QByteArray movie = FwsMovie(3000);
  EXPECT_FALSE(Fetch(c.movieArrives ? WithLength(200, movie) : WithLength(404, movie)));

  EXPECT_TRUE(QFileInfo(Target()).isSymLink());
  EXPECT_EQ(QFileInfo(Target()).symLinkTarget(), victim);
  if (c.pointsToAFile) {
    EXPECT_EQ(ReadWholeFile(victim), "precious");
  } else {
    EXPECT_FALSE(QFileInfo::exists(victim));
  }
  EXPECT_EQ(Entries(), (QStringList{QStringLiteral("elsewhere"), QStringLiteral("game.swf")}));
}

INSTANTIATE_TEST_SUITE_P(Download, LinkAtTheTarget,
                         ::testing::Values(PlantedLink{"ToAFileMovieArrives", true, true},
                                           PlantedLink{"ToAFileMovieFails", true, false},
                                           PlantedLink{"ToNothingMovieArrives", false, true},
                                           PlantedLink{"ToNothingMovieFails", false, false}),
                         [](const ::testing::TestParamInfo<PlantedLink>& info) {
                           return std::string(info.param.name);
                         });

// Fast enough for the low-speed rule, but longer than a whole transfer may take.
TEST_F(DownloadFileTest, TransferLongerThanTheTimeLimitFails) {
  DownloadLimits limits;
  limits.lowSpeed = 100;
  limits.lowSpeedTime = std::chrono::seconds(1);
  limits.maxTime = std::chrono::seconds(2);
  ScriptedAnswer answer = WithLength(200, FwsMovie(20000));
  answer.trickleBytes = 200;  // 2000 bytes a second: whole after 10 s
  answer.trickleIntervalMs = 100;
  EXPECT_FALSE(Fetch(answer, limits));
  EXPECT_TRUE(Entries().isEmpty());
}

// 4,000 bytes a second, four times libcurl's old floor, is below the default
// low-speed bound however long it lasts (the time is shortened here).
TEST_F(DownloadFileTest, TrickleBelowTheDefaultLowSpeedFails) {
  DownloadLimits limits;
  limits.lowSpeedTime = std::chrono::seconds(2);
  ScriptedAnswer answer = WithLength(200, FwsMovie(40000));
  answer.trickleBytes = 400;
  answer.trickleIntervalMs = 100;
  QElapsedTimer clock;
  clock.start();
  EXPECT_FALSE(Fetch(answer, limits));
  EXPECT_LT(clock.elapsed(), 8000);
  EXPECT_TRUE(Entries().isEmpty());
}

TEST_F(DownloadFileTest, FollowsAnHttpRedirect) {
  const QByteArray movie = FwsMovie(2000);
  server.Answer(QStringLiteral("/moved.swf"), WithLength(200, movie));
  ScriptedAnswer redirect;
  // With a page of its own, as servers send, which is not part of the movie.
  const QByteArray page = "<html><body>Moved</body></html>";
  redirect.head =
      HttpHead(302, "Found",
               {"Location: /moved.swf", "Content-Length: " + QByteArray::number(page.size())}) +
      page;
  ASSERT_TRUE(Fetch(redirect));
  EXPECT_EQ(ReadWholeFile(Target()), movie);
}

TEST_F(DownloadFileTest, SendsAPlainGetWithNoHeadersOfItsOwn) {
  ASSERT_TRUE(Fetch(WithLength(200, FwsMovie(100))));
  ASSERT_EQ(server.Requests().size(), 1);
  QList<QByteArray> lines = server.Requests().constFirst().trimmed().split('\n');
  for (QByteArray& line : lines) {
    line = line.trimmed();
  }
  ASSERT_FALSE(lines.isEmpty());
  EXPECT_EQ(lines.takeFirst(), "GET " + kPath.toLatin1() + " HTTP/1.1");
  QList<QByteArray> names;
  for (const QByteArray& line : lines) {
    names << line.left(line.indexOf(':')).toLower();
  }
  EXPECT_EQ(names, (QList<QByteArray>{"host", "accept"}));
}

TEST_F(DownloadFileTest, RefusedConnectionFails) {
  quint16 port = 0;
  {
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    port = probe.serverPort();
  }
  EXPECT_FALSE(DownloadFile(QStringLiteral("http://127.0.0.1:%1/game.swf").arg(port), Target()));
  EXPECT_TRUE(Entries().isEmpty());
}

// A listening socket whose queue of pending connections is full: the
// kernel drops further connection attempts, so they hang until the connect
// timeout ends them.
TEST_F(DownloadFileTest, ConnectTimeoutEndsAHangingConnect) {
  const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  const int filler = ::socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  ASSERT_GE(filler, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), length), 0);
  ASSERT_EQ(::listen(listener, 0), 0);
  ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
  ASSERT_EQ(::connect(filler, reinterpret_cast<sockaddr*>(&address), length), 0);

  DownloadLimits limits;
  limits.connectTimeout = std::chrono::milliseconds(500);
  QElapsedTimer clock;
  clock.start();
  EXPECT_FALSE(
      DownloadFile(QStringLiteral("http://127.0.0.1:%1/game.swf").arg(ntohs(address.sin_port)),
                   Target(), limits));
  EXPECT_LT(clock.elapsed(), 20000) << "ended by the connect timeout, not by the system's";
  EXPECT_TRUE(Entries().isEmpty());
  ::close(filler);
  ::close(listener);
}

TEST_F(DownloadFileTest, UnsupportedSchemeFails) {
  const QString source = WriteFile(QStringLiteral("source/movie.swf"), FwsMovie(500));
  EXPECT_FALSE(DownloadFile(QStringLiteral("file://") + source, Target()));
  EXPECT_FALSE(QFile::exists(Target()));
}

// Folders that even root cannot write to; the server is never bothered
// with a transfer that has nowhere to go, and nothing is left behind.
TEST_F(DownloadFileTest, UnwritableTargetsFail) {
  server.Answer(kPath, WithLength(200, FwsMovie(3000)));
  const QString file = WriteFile(QStringLiteral("plain"), "x");
  const QStringList targets = {
      Root() + QStringLiteral("absent/game.swf"),
      file + QStringLiteral("/game.swf"),
      QStringLiteral("/proc/game.swf"),
  };
  for (const QString& target : targets) {
    EXPECT_FALSE(DownloadFile(server.Url(kPath), target)) << target.toStdString();
    EXPECT_FALSE(QFileInfo::exists(target)) << target.toStdString();
  }
  EXPECT_EQ(Entries(), QStringList{QStringLiteral("plain")});
  EXPECT_TRUE(server.Requests().isEmpty());
}

// The movie arrives whole but cannot take its name: a folder holds it.
TEST_F(DownloadFileTest, TargetNameHeldByAFolderFails) {
  MakeFolder(QStringLiteral("game.swf"));
  WriteFile(QStringLiteral("game.swf/inside"), "kept");
  EXPECT_FALSE(Fetch(WithLength(200, FwsMovie(3000))));
  EXPECT_TRUE(QFileInfo(Target()).isDir());
  EXPECT_EQ(ReadWholeFile(Target() + QStringLiteral("/inside")), "kept");
  EXPECT_EQ(Entries(), QStringList{QStringLiteral("game.swf")});
}

// The real cap, not a test-sized one: libcurl must refuse an announced size
// above 64 MiB, and the write callback must count a body that never
// announced its size. The body is a complete zlib movie of about 68.8 MiB
// (a frame, then stored blocks of zeros: end tags), so that only the cap can
// turn it away.
ScriptedAnswer HugeZlibMovie(const QList<QByteArray>& headers) {
  constexpr int kBlocks = 1100;
  const QByteArray zeros(0xffff, '\0');
  const QByteArray frame = FrameHeader() + QByteArray::fromHex("4000");
  uLong adler = adler32(adler32(0, nullptr, 0), reinterpret_cast<const Bytef*>(frame.constData()),
                        uInt(frame.size()));
  for (int i = 0; i < kBlocks; ++i) {
    adler = adler32(adler, reinterpret_cast<const Bytef*>(zeros.constData()), uInt(zeros.size()));
  }
  ScriptedAnswer answer;
  answer.head = HttpHead(200, "OK", headers) +
                WithLengthField(QByteArray("CWS\x0a", 4) + QByteArray(4, '\0'),
                                quint32(8 + frame.size() + qint64(kBlocks) * zeros.size())) +
                QByteArray::fromHex("7801") + QByteArray::fromHex("000f00f0ff") + frame;
  answer.repeat = QByteArray::fromHex("00ffff0000") + zeros;
  answer.repeatCount = kBlocks;
  answer.tail = QByteArray::fromHex("010000ffff");  // the final, empty block
  for (int shift = 24; shift >= 0; shift -= 8) {
    answer.tail += char((adler >> shift) & 0xff);
  }
  return answer;
}

TEST_F(DownloadFileTest, DefaultCapRefusesAnnouncedOversize) {
  EXPECT_FALSE(Fetch(HugeZlibMovie({"Content-Length: 72094039", "Connection: close"})));
  EXPECT_TRUE(Entries().isEmpty());
}

TEST_F(DownloadFileTest, HugeMovieIsWholeUnderALargerCap) {
  DownloadLimits limits;
  limits.maxBytes = qint64(80) * 1024 * 1024;
  EXPECT_TRUE(Fetch(HugeZlibMovie({"Connection: close"}), limits));
  EXPECT_EQ(QFileInfo(Target()).size(), 72094039);
}

TEST_F(DownloadFileTest, DefaultCapStopsAnUnannouncedStream) {
  EXPECT_FALSE(Fetch(HugeZlibMovie({"Connection: close"})));
  EXPECT_TRUE(Entries().isEmpty());
}

}  // namespace
