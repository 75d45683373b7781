#include "launch/download.h"

#include "launch/downloadcheck.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <curl/curl.h>

namespace {

// State shared with libcurl's write callback during one transfer.
struct Transfer {
  QSaveFile* file = nullptr;
  qint64 maxBytes = 0;
  qint64 received = 0;
  MovieCheck movie;
};

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const qint64 length = qint64(size * count);
  transfer->received += length;
  // Returning fewer bytes than given makes libcurl abort with an error.
  if (transfer->received > transfer->maxBytes || !transfer->movie.Feed(data, length) ||
      transfer->file->write(data, length) != length) {
    return 0;
  }
  return size_t(length);
}

// libcurl's global set-up is done once, before the first transfer, whatever
// thread that runs on.
bool InitialiseCurl() {
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
  set(curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L));
  set(curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, long(limits.stallTime.count())));
  // Only refuses sizes announced up front; the write callback counts the rest.
  set(curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(limits.maxBytes)));
  // Larger reads than the 16 KiB default: half the time on a fast link.
  set(curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, 256L * 1024));
  set(curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &WriteBody));
  set(curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer));
  return ok;
}

// Whether the transfer that just ended delivered the whole body with a 200.
bool Succeeded(CURL* curl, CURLcode result, const Transfer& transfer) {
  long status = 0;
  curl_off_t announced = -1;
  if (result != CURLE_OK || curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK ||
      curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced) != CURLE_OK) {
    return false;
  }
  // A body that ends early without a length (closed connection) still comes
  // back as CURLE_OK, so the movie's own header is the last word.
  return status == 200 && (announced < 0 || announced == transfer.received) &&
         transfer.movie.Complete();
}

}  // namespace

bool DownloadFile(const QString& url, const QString& localPath) {
  return DownloadFile(url, localPath, DownloadLimits{});
}

bool DownloadFile(const QString& url, const QString& localPath, const DownloadLimits& limits) {
  if (!InitialiseCurl()) {
    return false;
  }
  // The temporary file sits beside the target and replaces it only on commit,
  // so a failure leaves no partial movie and an older one untouched.
  QSaveFile file(localPath);
  if (!file.open(QIODevice::WriteOnly)) {
    return false;
  }
  Transfer transfer;
  transfer.file = &file;
  transfer.maxBytes = limits.maxBytes;

  CURL* curl = curl_easy_init();
  if (curl == nullptr) {
    return false;
  }
  bool ok = Configure(curl, url.toUtf8(), limits, transfer);
  if (ok) {
    const CURLcode result = curl_easy_perform(curl);
    ok = Succeeded(curl, result, transfer);
  }
  curl_easy_cleanup(curl);
  return ok && file.commit();
}

bool IsStaleDownloadName(const QString& name) {
  // QSaveFile names its temporary file after the target plus ".XXXXXX".
  static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9]+\\.swf\\.[A-Za-z0-9]{6}$"));
  return pattern.match(name).hasMatch();
}

void RemoveStaleDownloads(const QString& folder) {
  const QDir dir(folder);
  const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
  for (const QFileInfo& entry : entries) {
    if (!entry.isSymLink() && entry.isFile() && IsStaleDownloadName(entry.fileName())) {
      QFile::remove(entry.filePath());
    }
  }
}
