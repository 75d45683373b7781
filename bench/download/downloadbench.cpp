// Fetches one 10 MB movie from the bundled nginx server many times, in turn
// with DownloadFile and with the curl command line, and prints the medians.

#include "launch/download.h"
#include "testmovies.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const QString kServerScript = QStringLiteral(QUILLET_SOURCE_DIR "/scripts/server.sh");
constexpr int kMovieSize = 10 * 1000 * 1000;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

bool RunServer(const QStringList& arguments) {
  QProcess process;
  process.setProcessChannelMode(QProcess::ForwardedChannels);
  process.start(QStringLiteral("bash"), QStringList{kServerScript} + arguments);
  return process.waitForFinished(30000) && process.exitCode() == 0;
}

quint16 FreePort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  return probe.serverPort();
}

// Seconds for curl to fetch url into path, process start included, and the
// transfer time curl itself reports.
bool Curl(const QString& url, const QString& path, double& wall, double& own) {
  QProcess curl;
  QElapsedTimer clock;
  clock.start();
  curl.start(QStringLiteral("curl"),
             {QStringLiteral("-s"), QStringLiteral("-f"), QStringLiteral("-o"), path,
              QStringLiteral("-w"), QStringLiteral("%{time_total}"), url});
  if (!curl.waitForFinished(60000) || curl.exitCode() != 0) {
    return false;
  }
  wall = clock.nsecsElapsed() / 1e9;
  own = curl.readAllStandardOutput().toDouble();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 9;

  QTemporaryDir work;
  const QString root = work.path() + QStringLiteral("/www");
  const QString state = work.path() + QStringLiteral("/nginx");
  const QString folder = root + QStringLiteral("/soft/Playbox/Playshare/");
  QDir().mkpath(folder);
  QFile movie(folder + QStringLiteral("bench.swf"));
  if (!movie.open(QIODevice::WriteOnly) || movie.write(FwsMovie(kMovieSize)) != kMovieSize) {
    std::fprintf(stderr, "cannot write the movie\n");
    return 1;
  }
  movie.close();

  const QString port = QString::number(FreePort());
  const QStringList where = {QStringLiteral("--port"),  port, QStringLiteral("--root"), root,
                             QStringLiteral("--state"), state};
  if (!RunServer(QStringList{QStringLiteral("start")} + where)) {
    std::fprintf(stderr, "cannot start nginx\n");
    return 1;
  }
  const QString url =
      QStringLiteral("http://127.0.0.1:%1/soft/Playbox/Playshare/bench.swf").arg(port);
  const QString target = work.path() + QStringLiteral("/got.swf");

  std::vector<double> ours, curlWall, curlOwn, ratioWall, ratioOwn;
  bool ok = true;
  for (int run = -1; run < runs && ok; ++run) {  // run -1 warms both up
    QFile::remove(target);
    QElapsedTimer clock;
    clock.start();
    ok = DownloadFile(url, target) && QFileInfo(target).size() == kMovieSize;
    const double ourTime = clock.nsecsElapsed() / 1e9;
    QFile::remove(target);
    double wall = 0;
    double own = 0;
    ok = ok && Curl(url, target, wall, own) && QFileInfo(target).size() == kMovieSize;
    if (ok && run >= 0) {
      ours.push_back(ourTime);
      curlWall.push_back(wall);
      curlOwn.push_back(own);
      ratioWall.push_back(wall / ourTime);
      ratioOwn.push_back(own / ourTime);
    }
  }
  RunServer(QStringList{QStringLiteral("stop")} + where);
  if (!ok) {
    std::fprintf(stderr, "a transfer failed\n");
    return 1;
  }

  const double megabytes = kMovieSize / 1e6;
  std::printf("10 MB movie from nginx on loopback, median of %d runs\n", runs);
  std::printf("DownloadFile          %7.1f ms  %7.0f MB/s\n", Median(ours) * 1e3,
              megabytes / Median(ours));
  std::printf("curl (whole command)  %7.1f ms  %7.0f MB/s\n", Median(curlWall) * 1e3,
              megabytes / Median(curlWall));
  std::printf("curl (own time_total) %7.1f ms  %7.0f MB/s\n", Median(curlOwn) * 1e3,
              megabytes / Median(curlOwn));
  std::printf("throughput of DownloadFile / curl: %.2f (whole command), %.2f (curl's own time)\n",
              Median(ratioWall), Median(ratioOwn));
  return 0;
}
