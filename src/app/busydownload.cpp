#include "app/busydownload.h"

#include "launch/download.h"
#include "platform/busywait.h"

bool DownloadFileWhileBusy(const QString& url, const QString& path) {
  return RunWhileBusy([&url, &path](const std::atomic<bool>& cancelled) {
    return DownloadFile(url, path, DownloadLimits{}, &cancelled);
  });
}
