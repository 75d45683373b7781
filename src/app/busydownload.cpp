#include "app/busydownload.h"

#include "app/program.h"
#include "launch/download.h"
#include "launcher/form1.h"
#include "platform/busywait.h"

bool DownloadFileWhileBusy(const QString& url, const QString& path) {
  // The launcher's close picture still closes it, which stops the download.
  QList<QWidget*> exits;
  if (QWidget* close = Form1 ? Form1->findChild<QWidget*>(QStringLiteral("Image6")) : nullptr)
    exits << close;
  return RunWhileBusy(
      [&url, &path](const std::atomic<bool>& cancelled) {
        return DownloadFile(url, path, DownloadLimits{}, &cancelled);
      },
      exits);
}
