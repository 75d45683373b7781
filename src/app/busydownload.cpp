#include "app/busydownload.h"

#include "app/program.h"
#include "launch/download.h"
#include "launcher/form1.h"
#include "platform/busywait.h"

Outcome DownloadFileWhileBusy(BusyWait& busy, const QString& url, const QString& path) {
  // The launcher's close picture still closes it, which stops the download.
  QList<QWidget*> exits;
  if (QWidget* close = Form1 ? Form1->findChild<QWidget*>(QStringLiteral("Image6")) : nullptr)
    exits << close;
  Outcome outcome = Outcome::Failed(QStringLiteral("not run"));
  busy.Run(
      [&](const std::atomic<bool>& cancelled) {
        outcome = DownloadFile(url, path, DownloadLimits{}, &cancelled);
        return bool(outcome);
      },
      exits);
  return outcome;
}
