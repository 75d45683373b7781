#include "launch/download.h"

#include "launch/downloadcheck.h"
#include "launch/moviefile.h"

#include <QLibrary>

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
  if (transfer->received > transfer->maxBytes || !transfer->movie.Feed(data, length) ||
      !transfer->file.Write(data, length)) {
    return 0;
  }
  return size_t(length);
}

// The part of libcurl in use. libcurl and the two dozen libraries it brings
// (TLS, Kerberos, LDAP ...) take milliseconds to load and start; loaded with
// the first download instead of with the program, they do not hold up the
// launcher's first appearance.
struct CurlApi {
  decltype(&curl_global_init) globalInit = nullptr;
  decltype(&curl_easy_init) easyInit = nullptr;
  decltype(&curl_easy_setopt) easySetopt = nullptr;
  decltype(&curl_easy_getinfo) easyGetinfo = nullptr;
  decltype(&curl_easy_perform) easyPerform = nullptr;
  decltype(&curl_easy_cleanup) easyCleanup = nullptr;
};

template <typename Function>
bool Resolve(QLibrary& library, const char* name, Function* function) {
  *function = reinterpret_cast<Function>(library.resolve(name));
  return *function != nullptr;
}

// Loaded and globally set up once, before the first transfer, whatever
// thread that runs on; nullptr when libcurl cannot be used.
const CurlApi* Curl() {
  static const CurlApi* const api = []() -> const CurlApi* {
    // Never unloaded: libcurl's global state lives until the process ends.
    static QLibrary library(QStringLiteral("curl"), 4);
    static CurlApi loaded;
    const bool resolved = library.load() &&
                          Resolve(library, "curl_global_init", &loaded.globalInit) &&
                          Resolve(library, "curl_easy_init", &loaded.easyInit) &&
                          Resolve(library, "curl_easy_setopt", &loaded.easySetopt) &&
                          Resolve(library, "curl_easy_getinfo", &loaded.easyGetinfo) &&
                          Resolve(library, "curl_easy_perform", &loaded.easyPerform) &&
                          Resolve(library, "curl_easy_cleanup", &loaded.easyCleanup);
    if (!resolved || loaded.globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK)
      return nullptr;
    return &loaded;
  }();
  return api;
}

bool Configure(const CurlApi& api, CURL* curl, const QByteArray& url, const DownloadLimits& limits,
               Transfer& transfer) {
  bool ok = true;
  const auto set = [&ok](CURLcode result) { ok = ok && result == CURLE_OK; };
  set(api.easySetopt(curl, CURLOPT_URL, url.constData()));
  set(api.easySetopt(curl, CURLOPT_HTTPGET, 1L));
  // The program reads no settings from its environment, proxies included.
  set(api.easySetopt(curl, CURLOPT_PROXY, ""));
  set(api.easySetopt(curl, CURLOPT_NOSIGNAL, 1L));
  set(api.easySetopt(curl, CURLOPT_PROTOCOLS_STR, "http,https"));
  set(api.easySetopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https"));
  set(api.easySetopt(curl, CURLOPT_FOLLOWLOCATION, 1L));
  set(api.easySetopt(curl, CURLOPT_MAXREDIRS, limits.maxRedirects));
  set(api.easySetopt(curl, CURLOPT_FAILONERROR, 1L));
  set(api.easySetopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(limits.connectTimeout.count())));
  set(api.easySetopt(curl, CURLOPT_LOW_SPEED_LIMIT, limits.lowSpeed));
  set(api.easySetopt(curl, CURLOPT_LOW_SPEED_TIME, long(limits.lowSpeedTime.count())));
  set(api.easySetopt(curl, CURLOPT_TIMEOUT_MS,
                     long(std::chrono::milliseconds(limits.maxTime).count())));
  // Only refuses sizes announced up front; the write callback counts the rest.
  set(api.easySetopt(curl, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(limits.maxBytes)));
  // Larger reads than the 16 KiB default: half the time on a fast link.
  set(api.easySetopt(curl, CURLOPT_BUFFERSIZE, 256L * 1024));
  set(api.easySetopt(curl, CURLOPT_WRITEFUNCTION, &WriteBody));
  set(api.easySetopt(curl, CURLOPT_WRITEDATA, &transfer));
  set(api.easySetopt(curl, CURLOPT_XFERINFOFUNCTION, &Progress));
  set(api.easySetopt(curl, CURLOPT_XFERINFODATA, &transfer));
  set(api.easySetopt(curl, CURLOPT_NOPROGRESS, 0L));
  return ok;
}

// Whether the transfer that just ended delivered the whole body with a 200.
bool Succeeded(const CurlApi& api, CURL* curl, CURLcode result, const Transfer& transfer) {
  long status = 0;
  curl_off_t announced = -1;
  if (result != CURLE_OK || api.easyGetinfo(curl, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK ||
      api.easyGetinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced) != CURLE_OK) {
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

bool DownloadFile(const QString& url, const QString& localPath, const DownloadLimits& limits,
                  const std::atomic<bool>* cancelled) {
  const CurlApi* api = Curl();
  if (api == nullptr) {
    return false;
  }
  // The temporary file sits beside the target and replaces it only on commit,
  // so a failure leaves no partial movie and an older one untouched.
  NewMovieFile file(localPath);
  if (!file.IsOpen()) {
    return false;
  }
  Transfer transfer(file, limits, cancelled);

  CURL* curl = api->easyInit();
  if (curl == nullptr) {
    return false;
  }
  bool ok = Configure(*api, curl, url.toUtf8(), limits, transfer);
  if (ok) {
    const CURLcode result = api->easyPerform(curl);
    ok = Succeeded(*api, curl, result, transfer);
  }
  api->easyCleanup(curl);
  return ok && file.Commit();
}
