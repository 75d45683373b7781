#include "launch/download.h"

#include "launch/downloadcheck.h"
#include "launch/moviefile.h"

#include <curl/curl.h>

namespace {

// State shared with libcurl's write callback during one transfer.
struct Transfer {
  Transfer(NewMovieFile& target, const DownloadLimits& limits, const std::atomic<bool>* stop)
      : file(target), maxBytes(limits.maxBytes), movie(limits.maxMovieLength), cancelled(stop) {}
  NewMovieFile& file;
  qint64 maxBytes;
  qint64 received = 0;
  MovieCheck movie;
  const std::atomic<bool>* cancelled;
  char error[CURL_ERROR_SIZE] = {};
  const char* refused = nullptr;  // why the body was refused, if it was
};

// libcurl calls this at least once a second, also while nothing arrives.
int Progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  const auto* transfer = static_cast<const Transfer*>(user);
  return transfer->cancelled != nullptr && transfer->cancelled->load() ? 1 : 0;
}

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const qint64 length = qint64(size * count);
  transfer->received += length;
  // Returning fewer bytes than given makes libcurl abort with an error.
  if (transfer->received > transfer->maxBytes)
    transfer->refused = "larger than the bound";
  else if (!transfer->movie.Feed(data, length))
    transfer->refused = "not a complete Flash movie";
  else if (!transfer->file.Write(data, length))
    transfer->refused = "cannot write the movie";
  if (transfer->refused != nullptr)
    return 0;
  return size_t(length);
}

// Set up once, before the first transfer, whatever thread that runs on.
bool CurlReady() {
  static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return ready;
}

bool Configure(CURL* curl, const QByteArray& url, const DownloadLimits& limits,
               Transfer& transfer) {
  bool ok = true;
  const auto set = [&ok](CURLcode result) { ok = ok && result == CURLE_OK; };
  set(curl_easy_setopt(curl, CURLOPT_URL, url.constData()));
  set(curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L));
  // The program reads no settings from its environment, proxies included.
  set(curl_easy_setopt(curl, CURLOPT_PROXY, ""));
  set(curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L));
  set(curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https"));
  set(curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https"));
  set(curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L));
  set(curl_easy_setopt(curl, CURLOPT_MAXREDIRS, limits.maxRedirects));
  set(curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L));
  set(curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(limits.connectTimeout.count())));
  set(curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, limits.lowSpeed));
  set(curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, long(limits.lowSpeedTime.count())));
  set(curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS,
                       long(std::chrono::milliseconds(limits.maxTime).count())));
  // Only refuses sizes announced up front; the write callback counts the rest.
  set(curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(limits.maxBytes)));
  // Larger reads than the 16 KiB default: half the time on a fast link.
  set(curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, 256L * 1024));
  set(curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &WriteBody));
  set(curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer));
  set(curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &Progress));
  set(curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer));
  set(curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L));
  set(curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, transfer.error));
  return ok;
}

// Whether the transfer that just ended delivered the whole body with a 200.
Outcome Check(CURL* curl, CURLcode result, const Transfer& transfer) {
  if (result != CURLE_OK) {
    if (transfer.cancelled != nullptr && transfer.cancelled->load())
      return Outcome::Failed(QStringLiteral("stopped by the user"));
    if (transfer.refused != nullptr)
      return Outcome::Failed(QString::fromUtf8(transfer.refused));
    return Outcome::Failed(
        QString::fromUtf8(transfer.error[0] != 0 ? transfer.error : curl_easy_strerror(result)));
  }
  long status = 0;
  curl_off_t announced = -1;
  if (curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK ||
      curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced) != CURLE_OK)
    return Outcome::Failed(QStringLiteral("no status from libcurl"));
  if (status != 200)
    return Outcome::Failed(QStringLiteral("the server answered %1").arg(status));
  // A body that ends early without a length (closed connection) still comes
  // back as CURLE_OK, so the movie's own header is the last word.
  if (announced >= 0 && announced != transfer.received)
    return Outcome::Failed(
        QStringLiteral("%1 of %2 bytes arrived").arg(transfer.received).arg(announced));
  if (!transfer.movie.Complete())
    return Outcome::Failed(QStringLiteral("not a complete Flash movie"));
  return Outcome::Ok();
}

}  // namespace

Outcome DownloadFile(const QString& url, const QString& localPath) {
  return DownloadFile(url, localPath, DownloadLimits{});
}

Outcome DownloadFile(const QString& url, const QString& localPath, const DownloadLimits& limits,
                     const std::atomic<bool>* cancelled) {
  if (!CurlReady())
    return Outcome::Failed(QStringLiteral("libcurl cannot be set up"));
  // The temporary file sits beside the target and replaces it only on commit,
  // so a failure leaves no partial movie and an older one untouched.
  NewMovieFile file(localPath);
  if (!file.IsOpen())
    return Outcome::Failed(QStringLiteral("cannot write in the folder of ") + localPath);
  Transfer transfer(file, limits, cancelled);

  CURL* curl = curl_easy_init();
  if (curl == nullptr)
    return Outcome::Failed(QStringLiteral("libcurl cannot start a transfer"));
  Outcome outcome = Configure(curl, url.toUtf8(), limits, transfer)
                        ? Check(curl, curl_easy_perform(curl), transfer)
                        : Outcome::Failed(QStringLiteral("libcurl refuses the settings"));
  curl_easy_cleanup(curl);
  if (outcome && !file.Commit())
    return Outcome::Failed(QStringLiteral("cannot write ") + localPath);
  return outcome;
}
