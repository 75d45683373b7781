// DownloadGame on real temporary folders: a drive root with var/opt/ and a
// program folder with Common/, the movie served by a scripted server.

#include "launch/downloadgame.h"
#include "launch/download.h"
#include "platform/filesystem.h"
#include "platform/systempaths.h"
#include "scriptedresponder.h"
#include "support/testsupport.h"
#include "testmovies.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <optional>

namespace {

const QString kStem = QStringLiteral("xiaofg");
const QString kServerPath = QStringLiteral("/soft/Playbox/Playshare/xiaofg.swf");

class RecordedNotice final : public DownloadNotice {
 public:
  QStringList events;
  void ShowNotice(const QString& text) override { events << QStringLiteral("show ") + text; }
  void EnableTimer() override { events << QStringLiteral("timer"); }
};

QString Shown(const char* text) {
  return QStringLiteral("show ") + QString::fromUtf8(text);
}

class DownloadGameTest : public TempFolderTest {
 protected:
  void SetUp() override {
    MakeFolder(QStringLiteral("drive/var/opt"));
    m_paths.emplace(Root() + QStringLiteral("drive/"), MakeFolder(QStringLiteral("program")));
    MakeFolder(QStringLiteral("program/Common"));
  }

  void Download(const DownloadLimits& limits = DownloadLimits{}, QString address = {}) {
    const auto fetch = [limits](const QString& url, const QString& path) {
      return DownloadFile(url, path, limits);
    };
    if (address.isEmpty()) {
      address = server.Base();
    }
    DownloadGame(kStem, DownloadServices{*m_paths, m_files, notice, address, fetch});
  }

  QString Shared() const { return Root() + QStringLiteral("drive/var/opt/Playshare/pbox/"); }
  QString Fallback() const { return Root() + QStringLiteral("program/Common/"); }
  static QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
  }

  ScriptedResponder server;
  RecordedNotice notice;
  LocalFileSystem m_files;

 private:
  std::optional<FixedSystemPaths> m_paths;
};

const QByteArray kMovie = FwsMovie(4000);

TEST_F(DownloadGameTest, FirstDownloadCreatesBothSharedFolders) {
  server.Answer(kServerPath, WithLength(200, kMovie));
  Download();
  EXPECT_EQ(GameFolder, Shared());
  EXPECT_EQ(ReadWholeFile(Shared() + QStringLiteral("xiaofg.swf")), kMovie);
  EXPECT_EQ(notice.events, (QStringList{Shown(kDownloadDoneText), QStringLiteral("timer")}));
  EXPECT_TRUE(Entries(Fallback()).isEmpty());
}

TEST_F(DownloadGameTest, ExistingPboxIsUsed) {
  MakeFolder(QStringLiteral("drive/var/opt/Playshare/pbox"));
  server.Answer(kServerPath, WithLength(200, kMovie));
  Download();
  EXPECT_EQ(GameFolder, Shared());
  EXPECT_EQ(ReadWholeFile(Shared() + QStringLiteral("xiaofg.swf")), kMovie);
}

TEST_F(DownloadGameTest, PlayshareWithoutPboxFallsBackToCommon) {
  MakeFolder(QStringLiteral("drive/var/opt/Playshare"));
  server.Answer(kServerPath, WithLength(200, kMovie));
  Download();
  EXPECT_EQ(GameFolder, Fallback());
  EXPECT_EQ(ReadWholeFile(Fallback() + QStringLiteral("xiaofg.swf")), kMovie);
  EXPECT_FALSE(QFileInfo::exists(Shared())) << "pbox is only made right after Playshare";
  EXPECT_EQ(notice.events, (QStringList{Shown(kDownloadDoneText), QStringLiteral("timer")}));
}

TEST_F(DownloadGameTest, UncreatablePlayshareFallsBackToCommon) {
  QDir(Root() + QStringLiteral("drive/var/opt")).removeRecursively();
  server.Answer(kServerPath, WithLength(200, kMovie));
  Download();
  EXPECT_EQ(GameFolder, Fallback());
  EXPECT_EQ(ReadWholeFile(Fallback() + QStringLiteral("xiaofg.swf")), kMovie);
}

TEST_F(DownloadGameTest, FallbackWithoutCommonFailsAndCreatesNothing) {
  MakeFolder(QStringLiteral("drive/var/opt/Playshare"));
  QDir(Fallback()).removeRecursively();
  server.Answer(kServerPath, WithLength(200, kMovie));
  Download();
  EXPECT_EQ(GameFolder, Fallback());
  EXPECT_FALSE(QFileInfo::exists(Fallback()));
  EXPECT_EQ(notice.events, QStringList{Shown(kDownloadFailedText)});
}

TEST_F(DownloadGameTest, AsksForTheGamesPathOnTheServer) {
  server.Answer(kServerPath, WithLength(200, kMovie));
  Download();
  ASSERT_EQ(server.Requests().size(), 1);
  EXPECT_TRUE(server.Requests().constFirst().startsWith("GET " + kServerPath.toLatin1() + ' '));
}

// Every fault, with and without an older good copy of the movie in place.
constexpr qint64 kDefaultMax = qint64(64) * 1024 * 1024;

struct Fault {
  const char* name;
  ScriptedAnswer answer;
  qint64 maxBytes = kDefaultMax;
  // Part of the reason on the console, where the transfer itself gives one.
  const char* reason = "";
};

ScriptedAnswer Holding(const QByteArray& head) {
  ScriptedAnswer answer;
  answer.head = head;
  answer.ending = ScriptedAnswer::Ending::Hold;
  return answer;
}

ScriptedAnswer Redirect(const QByteArray& location) {
  ScriptedAnswer answer;
  answer.head = HttpHead(302, "Found", {"Location: " + location, "Content-Length: 0"});
  return answer;
}

ScriptedAnswer Raw(const QByteArray& head) {
  ScriptedAnswer answer;
  answer.head = head;
  return answer;
}

// The whole answer, in the end, but bytes at a time.
ScriptedAnswer Trickling(ScriptedAnswer answer, int bytes, int intervalMs) {
  answer.trickleBytes = bytes;
  answer.trickleIntervalMs = intervalMs;
  return answer;
}

const QByteArray kGood = FwsMovie(900);
const QByteArray kAnnounceWhole =
    HttpHead(200, "OK", {"Content-Length: " + QByteArray::number(kMovie.size())});

std::vector<Fault> Faults() {
  std::vector<Fault> faults = {
      {"NotFound", WithLength(404, kMovie), kDefaultMax, "404"},
      {"ServerError", WithLength(500, kMovie), kDefaultMax, "500"},
      {"PartialContent", WithLength(206, kMovie), kDefaultMax, "answered 206"},
      {"ClosedBeforeContentLength", Raw(kAnnounceWhole + kMovie.left(kMovie.size() / 2))},
      {"StalledMidBody", Holding(kAnnounceWhole + kMovie.left(kMovie.size() / 2))},
      {"StalledBeforeAnswering", Holding(QByteArray())},
      // 200 bytes a second: the movie would be whole after 20 s.
      {"TricklingBelowTheLowSpeed", Trickling(WithLength(200, kMovie), 20, 100)},
      {"CloseDelimitedCutShort", CloseDelimited(kMovie.left(kMovie.size() - 10))},
      {"CloseDelimitedZlibCutShort", CloseDelimited(CwsMovie(200000).chopped(40))},
      {"ChunkedCutShort",
       Raw(HttpHead(200, "OK", {"Transfer-Encoding: chunked"}) + "fa0\r\n" + kMovie.left(4000))},
      {"OversizedAnnounced", WithLength(200, FwsMovie(70000)), 65536},
      {"OversizedUnannounced", CloseDelimited(FwsMovie(70000)), 65536},
      {"RedirectToFtp", Redirect("ftp://127.0.0.1/soft/xiaofg.swf")},
      {"RedirectLoop", Redirect("/soft/Playbox/Playshare/xiaofg.swf")},
      {"HtmlPage", WithLength(200, "<html><body>Please sign in</body></html>", "text/html"),
       kDefaultMax, "not a complete Flash movie"},
      {"EmptyBody", WithLength(200, QByteArray())},
  };
  return faults;
}

class DownloadFault : public DownloadGameTest,
                      public ::testing::WithParamInterface<std::tuple<Fault, bool>> {};

TEST_P(DownloadFault, ReportsFailureAndKeepsTheFolderAsItWas) {
  const auto& [fault, olderCopy] = GetParam();
  MakeFolder(QStringLiteral("drive/var/opt/Playshare/pbox"));
  if (olderCopy) {
    WriteFile(QStringLiteral("drive/var/opt/Playshare/pbox/xiaofg.swf"), kGood);
  }
  server.Answer(kServerPath, fault.answer);
  DownloadLimits limits;
  limits.lowSpeedTime = std::chrono::seconds(1);
  limits.maxBytes = fault.maxBytes;
  testing::internal::CaptureStderr();
  Download(limits);
  const std::string console = testing::internal::GetCapturedStderr();

  EXPECT_EQ(notice.events, QStringList{Shown(kDownloadFailedText)});
  const std::string line = "quillet: download of " + server.Base().toStdString();
  EXPECT_EQ(console.rfind(line, 0), 0u) << console;
  EXPECT_NE(console.find(fault.reason, console.find(" failed: ")), std::string::npos) << console;
  if (olderCopy) {
    EXPECT_EQ(Entries(Shared()), QStringList{QStringLiteral("xiaofg.swf")});
    EXPECT_EQ(ReadWholeFile(Shared() + QStringLiteral("xiaofg.swf")), kGood);
  } else {
    EXPECT_TRUE(Entries(Shared()).isEmpty()) << Entries(Shared()).join(u' ').toStdString();
  }
}

INSTANTIATE_TEST_SUITE_P(Download, DownloadFault,
                         ::testing::Combine(::testing::ValuesIn(Faults()), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<Fault, bool>>& info) {
                           return std::string(std::get<0>(info.param).name) +
                                  (std::get<1>(info.param) ? "OverOlderCopy" : "");
                         });

// The redirect that would hand over a real movie from the local disk, were
// other schemes allowed.
TEST_F(DownloadGameTest, RedirectToALocalFileFails) {
  MakeFolder(QStringLiteral("drive/var/opt/Playshare/pbox"));
  const QString local = WriteFile(QStringLiteral("elsewhere/xiaofg.swf"), kMovie);
  server.Answer(kServerPath, Redirect("file://" + local.toUtf8()));
  Download();
  EXPECT_EQ(notice.events, QStringList{Shown(kDownloadFailedText)});
  EXPECT_TRUE(Entries(Shared()).isEmpty());
}

TEST_F(DownloadGameTest, UnreachableServerFails) {
  MakeFolder(QStringLiteral("drive/var/opt/Playshare/pbox"));
  Download(DownloadLimits{}, QStringLiteral("http://127.0.0.1:1"));  // nothing listens there
  EXPECT_EQ(notice.events, QStringList{Shown(kDownloadFailedText)});
  EXPECT_TRUE(Entries(Shared()).isEmpty());
}

TEST_F(DownloadGameTest, FallbackThatIsAFileFails) {
  MakeFolder(QStringLiteral("drive/var/opt/Playshare"));
  QDir(Fallback()).removeRecursively();
  WriteFile(QStringLiteral("program/Common"), "not a folder");
  server.Answer(kServerPath, WithLength(200, kMovie));
  Download();
  EXPECT_EQ(notice.events, QStringList{Shown(kDownloadFailedText)});
  EXPECT_EQ(ReadWholeFile(Root() + QStringLiteral("program/Common")), "not a folder");
}

}  // namespace
