// The notice together with the launcher's timer ti, driven through
// DownloadGame as the program does it.

#include "launch/downloadgame.h"
#include "launcher/form1.h"
#include "notice/form4.h"
#include "notice/noticeonform4.h"
#include "platform/busywait.h"
#include "platform/filesystem.h"
#include "platform/systempaths.h"
#include "support/testsupport.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <optional>
#include <thread>

namespace {

class NoticeTimerTest : public TempFolderTest {
 protected:
  void SetUp() override {
    // The launcher's tick asks for the notice to close, as the program has it.
    QObject::connect(&launcher, &TForm1::closeNoticeRequested, &form, &QWidget::hide);
    MakeFolder(QStringLiteral("drive/var/opt/Playshare/pbox"));
    m_paths.emplace(Root() + QStringLiteral("drive/"), MakeFolder(QStringLiteral("program")));
  }

  // A download whose transfer is replaced by outcome, run as the program
  // runs it: on a worker thread behind the busy wait.
  void Download(bool outcome, std::chrono::milliseconds transferTime = {}) {
    const auto fetch = [outcome, transferTime](const QString&, const QString&) {
      const bool ok = BusyWait().Run([outcome, transferTime](const std::atomic<bool>&) {
        std::this_thread::sleep_for(transferTime);
        return outcome;
      });
      return ok ? Outcome::Ok() : Outcome::Failed({});
    };
    DownloadGame(
        QStringLiteral("xiaofg"),
        DownloadServices{*m_paths, m_files, notice, QStringLiteral("http://127.0.0.1:1"), fetch});
  }

  bool HiddenWithin(int milliseconds) {
    return QTest::qWaitFor([this] { return !form.isVisible(); }, milliseconds);
  }

  TForm1 launcher;
  QTimer& ti = *launcher.ti;  // 4000 ms, disabled at start
  TForm4 form;
  NoticeOnForm4 notice{form, ti};

 private:
  std::optional<FixedSystemPaths> m_paths;
  LocalFileSystem m_files;
};

const QString kDone = QString::fromUtf8(kDownloadDoneText);
const QString kFailed = QString::fromUtf8(kDownloadFailedText);

TEST_F(NoticeTimerTest, SuccessNoticeHidesItselfFourSecondsLater) {
  QElapsedTimer clock;
  clock.start();
  Download(true);
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(form.st1->text(), kDone);
  EXPECT_TRUE(ti.isActive());
  QTest::qWait(3000);
  EXPECT_TRUE(form.isVisible()) << "not before its time";
  EXPECT_TRUE(HiddenWithin(3000));
  EXPECT_GE(clock.elapsed(), 3700);  // a coarse timer may fire 5 % early
  EXPECT_FALSE(ti.isActive()) << "each arming fires once";
}

TEST_F(NoticeTimerTest, FailureNoticeStays) {
  ti.setInterval(300);
  Download(false);
  EXPECT_EQ(form.st1->text(), kFailed);
  EXPECT_FALSE(ti.isActive());
  EXPECT_FALSE(HiddenWithin(1000));
}

TEST_F(NoticeTimerTest, FailureSoonAfterASuccessIsHiddenByTheRunningTimer) {
  ti.setInterval(1000);
  Download(true);
  QTest::qWait(200);
  Download(false);
  EXPECT_EQ(form.st1->text(), kFailed);
  EXPECT_TRUE(form.isVisible());
  EXPECT_TRUE(HiddenWithin(2000));
  EXPECT_FALSE(ti.isActive());
}

TEST_F(NoticeTimerTest, SecondSuccessDoesNotRestartTheCountdown) {
  ti.setInterval(2000);
  Download(true);
  QTest::qWait(800);
  Download(true);
  EXPECT_TRUE(form.isVisible());
  EXPECT_LE(ti.remainingTime(), 1300) << "the countdown of the first success goes on";
  EXPECT_TRUE(HiddenWithin(2000));
}

TEST_F(NoticeTimerTest, EarlyOkThenTickLeavesItHiddenAndTheTimerOff) {
  ti.setInterval(500);
  Download(true);
  form.BitBtn1->click();
  EXPECT_FALSE(form.isVisible());
  EXPECT_TRUE(QTest::qWaitFor([this] { return !ti.isActive(); }, 1500));
  EXPECT_FALSE(form.isVisible());
}

// The timer keeps running during a transfer: a tick that falls into it
// hides the earlier notice and disarms, so the notice of the transfer that
// follows gets its own countdown, or none when it failed.
TEST_F(NoticeTimerTest, TickDuringATransferHidesTheEarlierNotice) {
  ti.setInterval(300);
  Download(true);
  bool hiddenDuringTransfer = false;
  QTimer probe;
  QObject::connect(&probe, &QTimer::timeout, &form,
                   [&] { hiddenDuringTransfer = hiddenDuringTransfer || !form.isVisible(); });
  probe.start(50);
  Download(false, std::chrono::milliseconds(800));
  probe.stop();
  EXPECT_TRUE(hiddenDuringTransfer);
  EXPECT_FALSE(ti.isActive());
  EXPECT_EQ(form.st1->text(), kFailed);
  EXPECT_FALSE(HiddenWithin(700)) << "the failure notice stays";
}

}  // namespace
