// The loopback server that feeds Ruffle and the movie to the web view.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <QUrl>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <memory>
#include <thread>
#include <vector>

#include "httpclient.h"
#include "player/plugin/loopbackserver.h"
#include "support/testsupport.h"

namespace {

const QByteArray kSecret = "TOP-SECRET, never served";
const QByteArray kRuffleJs = "window.RufflePlayer = {};";
const QByteArray kWasm = QByteArray("\0asm\1\0\0\0", 8) + QByteArray(100000, 'w');

class LoopbackServerTest : public TempFolderTest {
 protected:
  void SetUp() override { StartServer(LoopbackLimits{}); }

  void StartServer(const LoopbackLimits& limits) {
    WriteFile(QStringLiteral("secret.txt"), kSecret);
    WriteFile(QStringLiteral("ruffle/ruffle.js"), kRuffleJs);
    WriteFile(QStringLiteral("ruffle/core.ruffle.0123.js"), "core");
    WriteFile(QStringLiteral("ruffle/0123.wasm"), kWasm);
    WriteFile(QStringLiteral("ruffle/ruffle.js.map"), kSecret);
    WriteFile(QStringLiteral("ruffle/LICENSE_MIT"), kSecret);
    m_server = std::make_unique<LoopbackServer>(
        Root() + QStringLiteral("ruffle/"), QByteArrayLiteral("quillet://player"), nullptr, limits);
    const Outcome started = m_server->Start();
    ASSERT_TRUE(started) << started.Reason().toStdString();
    port = m_server->Port();
    m_host = "127.0.0.1:" + QByteArray::number(port);
    // "/<token>/"
    base = QUrl(m_server->BaseUrl()).path().toUtf8();
  }

  // A target under the token, e.g. Path("ruffle/ruffle.js").
  QByteArray Path(const QByteArray& rest) const { return base + rest; }

  std::unique_ptr<LoopbackServer> m_server;
  quint16 port = 0;
  QByteArray base;
  QByteArray m_host;  // "127.0.0.1:<port>"
};

TEST_F(LoopbackServerTest, TokenIsLongAndRandom) {
  const QByteArray token = base.mid(1, base.size() - 2);
  EXPECT_GE(token.size(), 32);  // 128 bits as hex
  LoopbackServer other(Root() + QStringLiteral("ruffle/"), "quillet://player");
  ASSERT_TRUE(other.Start());
  EXPECT_NE(QUrl(other.BaseUrl()).path().toUtf8(), base);
  EXPECT_NE(other.Port(), port);
}

TEST_F(LoopbackServerTest, ServesRuffleWithExactTypesAndOwnOriginOnly) {
  HttpReply js = Fetch(port, Get(port, Path("ruffle/ruffle.js")));
  EXPECT_EQ(js.status, 200);
  EXPECT_EQ(js.body, kRuffleJs);
  EXPECT_EQ(js.headers.value("content-type"), "text/javascript");
  EXPECT_EQ(js.headers.value("access-control-allow-origin"), "quillet://player");

  HttpReply wasm = Fetch(port, Get(port, Path("ruffle/0123.wasm")));
  EXPECT_EQ(wasm.status, 200);
  EXPECT_EQ(wasm.body, kWasm);
  EXPECT_EQ(wasm.headers.value("content-type"), "application/wasm");

  // The origin header of the request changes nothing: only the page's origin is allowed.
  HttpReply foreign = Fetch(port, "GET " + Path("ruffle/ruffle.js") +
                                      " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) +
                                      "\r\nOrigin: http://evil.example\r\n\r\n");
  EXPECT_EQ(foreign.headers.value("access-control-allow-origin"), "quillet://player");
}

TEST_F(LoopbackServerTest, ServesOnlyTheCurrentMovieAndNeverFromCache) {
  const QString first = WriteFile(QStringLiteral("games/one.swf"), "FWS first");
  const QString second = WriteFile(QStringLiteral("games/two.swf"), "FWS second");
  const QByteArray firstPath = m_server->ServeMovie(first).path().toUtf8();
  ASSERT_TRUE(firstPath.startsWith(base));
  HttpReply one = Fetch(port, Get(port, firstPath));
  EXPECT_EQ(one.status, 200);
  EXPECT_EQ(one.body, "FWS first");
  EXPECT_EQ(one.headers.value("cache-control"), "no-store");
  EXPECT_EQ(one.headers.value("content-type"), "application/x-shockwave-flash");

  // The file is read when asked for, so a changed file is served as it is now.
  WriteFile(QStringLiteral("games/one.swf"), "FWS changed");
  EXPECT_EQ(Fetch(port, Get(port, firstPath)).body, "FWS changed");

  const QByteArray secondPath = m_server->ServeMovie(second).path().toUtf8();
  EXPECT_NE(secondPath, firstPath);
  EXPECT_EQ(Fetch(port, Get(port, firstPath)).status, 404);
  EXPECT_EQ(Fetch(port, Get(port, secondPath)).body, "FWS second");

  EXPECT_TRUE(m_server->ServeMovie(QString()).isEmpty());
  EXPECT_EQ(Fetch(port, Get(port, secondPath)).status, 404);
}

TEST_F(LoopbackServerTest, HeadSendsHeadersWithoutBody) {
  RawHttpRequest head(port, Get(port, Path("ruffle/0123.wasm"), "HEAD"), true);
  ASSERT_TRUE(WaitUntil([&] { return head.Complete(); }));
  // Give any stray body bytes time to arrive.
  WaitUntil([] { return false; }, 300);
  const HttpReply reply = head.Reply();
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(reply.headers.value("content-length").toLongLong(), kWasm.size());
  EXPECT_EQ(reply.raw.size(), reply.raw.indexOf("\r\n\r\n") + 4);
}

// Every request here must be refused and must not leak a byte from outside
// the allow-list.
struct Refused {
  const char* name;
  QByteArray target;  // "@" stands for the token's folder, "/<token>/"
  QByteArray method = "GET";
};

class LoopbackRefusalTest : public LoopbackServerTest,
                            public ::testing::WithParamInterface<Refused> {};

TEST_P(LoopbackRefusalTest, IsRefusedWithoutLeaking) {
  QByteArray target = GetParam().target;
  target.replace("@", base);
  const HttpReply reply = Fetch(port, Get(port, target, GetParam().method));
  EXPECT_GE(reply.status, 400) << reply.raw.toStdString();
  EXPECT_FALSE(reply.raw.contains(kSecret));
  EXPECT_FALSE(reply.raw.contains(kRuffleJs));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, LoopbackRefusalTest,
    ::testing::Values(
        Refused{"NoToken", "/ruffle/ruffle.js"},
        Refused{"WrongToken", "/0123456789abcdef0123456789abcdef/ruffle/ruffle.js"},
        Refused{"TokenOnly", "@"}, Refused{"Root", "/"}, Refused{"OutsideFolder", "@secret.txt"},
        Refused{"FolderItself", "@ruffle/"}, Refused{"SourceMapNotListed", "@ruffle/ruffle.js.map"},
        Refused{"LicenceNotListed", "@ruffle/LICENSE_MIT"},
        Refused{"DotDot", "@ruffle/../secret.txt"},
        Refused{"DotDotBackIn", "@ruffle/x/../ruffle.js"},
        Refused{"DotSegment", "@ruffle/./ruffle.js"},
        Refused{"EncodedDotDot", "@ruffle/%2e%2e/secret.txt"},
        Refused{"EncodedDotDotUpper", "@ruffle/%2E%2E%2Fsecret.txt"},
        Refused{"NulByte", "@ruffle/ruffle.js%00.wasm"},
        Refused{"Backslash", "@ruffle\\..\\secret.txt"},
        Refused{"EncodedBackslash", "@ruffle/..%5csecret.txt"},
        Refused{"DoubleSlash", "@/ruffle/ruffle.js"}, Refused{"Query", "@ruffle/ruffle.js?x=1"},
        Refused{"AbsoluteFile", "/etc/passwd"},
        Refused{"AbsoluteForm", "http://evil.example@secret.txt"},
        Refused{"Post", "@ruffle/ruffle.js", "POST"}, Refused{"Put", "@ruffle/ruffle.js", "PUT"},
        Refused{"Delete", "@ruffle/ruffle.js", "DELETE"},
        Refused{"Options", "@ruffle/ruffle.js", "OPTIONS"},
        Refused{"Patch", "@ruffle/ruffle.js", "PATCH"},
        Refused{"Trace", "@ruffle/ruffle.js", "TRACE"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoopbackServerTest, EncodedLettersNameTheSameFile) {
  // "%72" is "r": an equivalent spelling of an allowed path, not a way out of it.
  const HttpReply reply = Fetch(port, Get(port, Path("ruffle/%72uffle.js")));
  EXPECT_TRUE(reply.status == 404 || reply.body == kRuffleJs);
  EXPECT_FALSE(reply.raw.contains(kSecret));
}

TEST_F(LoopbackServerTest, RefusesOtherHostHeaders) {
  const QByteArray target = Path("ruffle/ruffle.js");
  const QByteArray p = QByteArray::number(port);
  for (const QByteArray& host :
       {QByteArray("localhost:") + p, QByteArray("127.0.0.1"), QByteArray("evil.example:") + p,
        QByteArray("127.0.0.1:1"), QByteArray("127.0.0.1:") + p + ".evil.example"}) {
    const HttpReply reply =
        Fetch(port, "GET " + target + " HTTP/1.1\r\nHost: " + host + "\r\n\r\n");
    EXPECT_EQ(reply.status, 400) << host.toStdString();
    EXPECT_FALSE(reply.raw.contains(kRuffleJs)) << host.toStdString();
  }
  const HttpReply missing = Fetch(port, "GET " + target + " HTTP/1.1\r\n\r\n");
  EXPECT_NE(missing.status, 200);
  EXPECT_FALSE(missing.raw.contains(kRuffleJs));
  const HttpReply old = Fetch(port, "GET " + target + " HTTP/1.0\r\n\r\n");
  EXPECT_FALSE(old.raw.contains(kRuffleJs));
}

TEST_F(LoopbackServerTest, ListensOnLoopbackOnly) {
  EXPECT_EQ(Fetch(port, Get(port, Path("ruffle/ruffle.js"))).status, 200);
  // Other loopback addresses reach a socket bound to any address, but not ours.
  for (const QHostAddress& other :
       {QHostAddress(QStringLiteral("127.0.0.2")), QHostAddress(QHostAddress::LocalHostIPv6)}) {
    RawHttpRequest r(port, Get(port, Path("ruffle/ruffle.js")), false, other);
    WaitUntil([&] { return r.Socket().state() == QAbstractSocket::UnconnectedState; });
    EXPECT_FALSE(r.Complete()) << other.toString().toStdString();
  }
}

TEST_F(LoopbackServerTest, StalledAndConcurrentClientsDoNotBlockOthers) {
  // One client sends half a request and never the rest.
  RawHttpRequest stalled(port, "GET " + Path("ruffle/0123.wasm") + " HTTP/1.1\r\nHo");
  std::vector<std::unique_ptr<RawHttpRequest>> clients;
  for (int i = 0; i < 10; ++i)
    clients.push_back(std::make_unique<RawHttpRequest>(port, Get(port, Path("ruffle/0123.wasm"))));
  ASSERT_TRUE(WaitUntil(
      [&] {
        for (const auto& c : clients)
          if (!c->Complete())
            return false;
        return true;
      },
      10000));
  for (const auto& c : clients) {
    EXPECT_EQ(c->Reply().status, 200);
    EXPECT_EQ(c->Reply().body, kWasm);
  }
  EXPECT_FALSE(stalled.Complete());
  EXPECT_EQ(stalled.Socket().state(), QAbstractSocket::ConnectedState);
  // And a later client is served too.
  EXPECT_EQ(Fetch(port, Get(port, Path("ruffle/ruffle.js"))).status, 200);
}

TEST_F(LoopbackServerTest, RefusesARequestThatAnnouncesABody) {
  const QByteArray start = "GET " + Path("ruffle/ruffle.js") +
                           " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) + "\r\n";
  for (const QByteArray& rest :
       {QByteArray("Content-Length: 5\r\n\r\nhello"), QByteArray("content-length:1\r\n\r\nx"),
        QByteArray("Transfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n"),
        QByteArray("Content-Length: 0\r\nContent-Length: 5\r\n\r\nhello")}) {
    const HttpReply reply = Fetch(port, start + rest);
    EXPECT_FALSE(reply.raw.contains(kRuffleJs)) << rest.toStdString();
    EXPECT_TRUE(reply.status == 400 || reply.status == 0) << rest.toStdString();
  }
  EXPECT_EQ(Fetch(port, start + "Content-Length: 0\r\n\r\n").body, kRuffleJs);
}

TEST_F(LoopbackServerTest, RefusesAnOversizedHead) {
  const QByteArray target = Path("ruffle/ruffle.js");
  const HttpReply reply =
      Fetch(port, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) +
                      "\r\nX-Filler: " + QByteArray(20000, 'x') + "\r\n\r\n");
  EXPECT_EQ(reply.status, 431);
  EXPECT_FALSE(reply.raw.contains(kRuffleJs));
}

// Connects to the server from another thread and sends a head that announces
// a 1 GB body, then the body, until the server breaks the connection or
// 64 MiB have gone. Returns how much the system took.
qint64 SendHugeBody(quint16 port, const QByteArray& head, bool* broken) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const timeval patience{10, 0};  // a server that stops reading without closing
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &patience, sizeof patience);
  qint64 sent = 0;
  *broken = false;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
      ::send(fd, head.constData(), size_t(head.size()), MSG_NOSIGNAL) == head.size()) {
    const QByteArray block(64 * 1024, 'x');
    while (sent < qint64(64) * 1024 * 1024) {
      const ssize_t n = ::send(fd, block.constData(), size_t(block.size()), MSG_NOSIGNAL);
      if (n <= 0) {
        *broken = errno == ECONNRESET || errno == EPIPE;
        break;
      }
      sent += n;
    }
  }
  ::close(fd);
  return sent;
}

// No token, a wrong Host, and a body of 1 GB announced: the server answers by
// the head and closes, so the sender is cut off after little more than what
// the system's socket buffers hold, and nothing of the body is kept.
TEST_F(LoopbackServerTest, RefusesAHugeBodyWithoutReadingIt) {
  for (const QByteArray& target : {QByteArray("/"), Path("ruffle/ruffle.js")}) {
    const QByteArray head = "GET " + target +
                            " HTTP/1.1\r\nHost: " + (target == "/" ? QByteArray("x") : m_host) +
                            "\r\nContent-Length: 1073741824\r\n\r\n";
    std::atomic<bool> done{false};
    bool broken = false;
    qint64 sent = 0;
    std::thread sender([&] {
      sent = SendHugeBody(port, head, &broken);
      done = true;
    });
    WaitUntil([&] { return done.load(); }, 60000);
    sender.join();
    EXPECT_TRUE(broken) << target.toStdString();
    EXPECT_LT(sent, qint64(32) * 1024 * 1024) << target.toStdString();
  }
}

TEST_F(LoopbackServerTest, ClosesIdleAndSlowConnections) {
  LoopbackLimits limits;
  limits.headTimeout = std::chrono::milliseconds(300);
  StartServer(limits);
  RawHttpRequest idle(port, QByteArray());
  // Sends a byte every 50 ms, for ever: the head's time is counted in all.
  RawHttpRequest slow(port, "G");
  QTimer drip;
  QObject::connect(&drip, &QTimer::timeout, &slow.Socket(), [&slow] { slow.Socket().write("E"); });
  drip.start(50);
  EXPECT_TRUE(WaitUntil(
      [&] {
        return idle.Socket().state() == QAbstractSocket::UnconnectedState &&
               slow.Socket().state() == QAbstractSocket::UnconnectedState;
      },
      5000));
  EXPECT_EQ(Fetch(port, Get(port, Path("ruffle/ruffle.js"))).status, 200);
}

// Another local process opens far more idle connections than the server
// keeps, and more than this process has descriptors for; the web view's
// requests are still served.
TEST_F(LoopbackServerTest, FloodOfIdleSocketsLeavesRequestsServed) {
  LoopbackLimits limits;
  limits.maxConnections = 16;
  StartServer(limits);
  rlimit before{};
  ::getrlimit(RLIMIT_NOFILE, &before);
  rlimit few = before;
  few.rlim_cur = rlim_t(QDir(QStringLiteral("/proc/self/fd")).count()) + 100;
  ::setrlimit(RLIMIT_NOFILE, &few);

  constexpr int kIdle = 250;
  int ready[2];
  int release[2];
  ASSERT_EQ(::pipe2(ready, O_NONBLOCK), 0);
  ASSERT_EQ(::pipe(release), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Only system calls from here on.
    ::close(ready[0]);
    ::close(release[1]);
    rlimit most{};
    ::getrlimit(RLIMIT_NOFILE, &most);
    most.rlim_cur = most.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &most);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int opened = 0;
    for (; opened < kIdle; ++opened) {
      const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
      if (fd < 0 ||
          (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 &&
           errno != EINPROGRESS)) {
        break;
      }
      // A connection the server's queue has no room for is retried after 1 s.
      pollfd connected{fd, POLLOUT, 0};
      if (::poll(&connected, 1, 2500) != 1) {
        break;  // the server takes no more
      }
    }
    ::write(ready[1], &opened, sizeof opened);
    ::read(release[0], &opened, 1);  // until the test is over
    ::_exit(0);
  }
  ::close(ready[1]);
  ::close(release[0]);
  int opened = 0;
  WaitUntil([&] { return ::read(ready[0], &opened, sizeof opened) == sizeof opened; }, 120000);
  const HttpReply reply = Fetch(port, Get(port, Path("ruffle/ruffle.js")));
  const HttpReply again = Fetch(port, Get(port, Path("ruffle/0123.wasm")));
  ::setrlimit(RLIMIT_NOFILE, &before);

  ::close(release[1]);
  ::close(ready[0]);
  ::waitpid(child, nullptr, 0);
  EXPECT_GT(opened, 100);
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(reply.body, kRuffleJs);
  EXPECT_EQ(again.body, kWasm);
}

// A client that half-closes after its request still gets the whole answer.
TEST_F(LoopbackServerTest, AnswersAClientThatHalfClosesAfterItsRequest) {
  const QByteArray movie(3 << 20, 'm');
  const QByteArray target =
      m_server->ServeMovie(WriteFile(QStringLiteral("big.swf"), movie)).path().toUtf8();
  for (const QByteArray& body : {kRuffleJs, movie}) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    const QByteArray request = Get(port, body == movie ? target : Path("ruffle/ruffle.js"));
    ASSERT_EQ(::send(fd, request.constData(), size_t(request.size()), MSG_NOSIGNAL),
              request.size());
    ::shutdown(fd, SHUT_WR);
    QByteArray answer;
    WaitUntil([&] {
      char buffer[65536];
      const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
      answer.append(buffer, std::max<ssize_t>(n, 0));
      return n == 0 || (n < 0 && errno != EAGAIN);
    });
    ::close(fd);
    EXPECT_TRUE(answer.endsWith(body)) << answer.size() << " bytes";
  }
}

// Planted in a movie's place: a sparse file far larger than any game, a link
// to an endless device, a FIFO. None is streamed.
TEST_F(LoopbackServerTest, ServesNoPlantedMovie) {
  const QString huge = WriteFile(QStringLiteral("huge.swf"), "FWS"),
                zero = Root() + QStringLiteral("0.swf"), fifo = Root() + QStringLiteral("fifo.swf");
  ASSERT_EQ(::truncate(QFile::encodeName(huge).constData(), qint64(3) << 30), 0);
  ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  for (const QString& planted : {huge, zero, fifo}) {
    const HttpReply reply = Fetch(port, Get(port, m_server->ServeMovie(planted).path().toUtf8()));
    EXPECT_EQ(reply.status, 404) << planted.toStdString();
    EXPECT_LT(reply.raw.size(), 1024) << planted.toStdString();
  }
}

TEST_F(LoopbackServerTest, RefusesToStartWithoutRuffle) {
  LoopbackServer empty(MakeFolder(QStringLiteral("empty")), "quillet://player");
  const Outcome started = empty.Start();
  EXPECT_FALSE(started);
  EXPECT_TRUE(started.Reason().contains(QLatin1String("Ruffle"))) << started.Reason().toStdString();

  WriteFile(QStringLiteral("nowasm/ruffle.js"), kRuffleJs);
  LoopbackServer noWasm(Root() + QStringLiteral("nowasm/"), "quillet://player");
  EXPECT_FALSE(noWasm.Start());
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
