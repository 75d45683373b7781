// The notice together with the launcher's timer ti, driven through
// DownloadGame as the program does it.

#include "launch/downloadgame.h"
#include "launcher/form1.h"
#include "notice/form4.h"
#include "notice/noticeonform4.h"
#include "platform/busywait.h"
#include "platform/filesystem.h"
#include "platform/systempaths.h"
#include "support/holdsfor.h"
#include "support/testsupport.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSemaphore>
#include <QTest>
#include <QTimer>

#include <optional>

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
  // runs it: on a worker thread behind the busy wait; with `until`, the
  // transfer lasts until that is released.
  void Download(bool outcome, QSemaphore* until = nullptr) {
    const auto fetch = [outcome, until](const QString&, const QString&) {
      const bool ok = BusyWait().Run([outcome, until](const std::atomic<bool>&) {
        if (until != nullptr)
          until->tryAcquire(1, 10000);
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
  bool StaysFor(int milliseconds) {
    return HoldsFor([this] { return form.isVisible(); }, milliseconds);
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
  EXPECT_EQ(ti.interval(), 4000);
  ti.setInterval(1000);  // the same countdown, shortened
  QElapsedTimer clock;
  clock.start();
  Download(true);
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(form.st1->text(), kDone);
  EXPECT_TRUE(ti.isActive());
  EXPECT_TRUE(StaysFor(600)) << "not before its time";
  EXPECT_TRUE(HiddenWithin(3000));
  EXPECT_GE(clock.elapsed(), 925);  // a coarse timer may fire 5 % early
  EXPECT_FALSE(ti.isActive()) << "each arming fires once";
}

TEST_F(NoticeTimerTest, FailureNoticeStays) {
  ti.setInterval(300);
  Download(false);
  EXPECT_EQ(form.st1->text(), kFailed);
  EXPECT_FALSE(ti.isActive());
  EXPECT_TRUE(StaysFor(1000));
}

TEST_F(NoticeTimerTest, FailureSoonAfterASuccessIsHiddenByTheRunningTimer) {
  ti.setInterval(1000);
  Download(true);
  Download(false);
  EXPECT_EQ(form.st1->text(), kFailed);
  EXPECT_TRUE(form.isVisible());
  EXPECT_TRUE(HiddenWithin(2000));
  EXPECT_FALSE(ti.isActive());
}

TEST_F(NoticeTimerTest, SecondSuccessDoesNotRestartTheCountdown) {
  ti.setInterval(1000);
  Download(true);
  ASSERT_TRUE(QTest::qWaitFor([&] { return ti.remainingTime() <= 600; }));
  Download(true);
  EXPECT_TRUE(form.isVisible());
  EXPECT_LE(ti.remainingTime(), 650) << "the countdown of the first success goes on";
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
  // The transfer lasts until the tick.
  QSemaphore ticked;
  bool transferring = true;
  bool hiddenDuringTransfer = false;
  QObject::connect(&launcher, &TForm1::closeNoticeRequested, &form, [&] {
    hiddenDuringTransfer = hiddenDuringTransfer || (transferring && !form.isVisible());
    ticked.release();
  });
  Download(false, &ticked);
  transferring = false;
  EXPECT_TRUE(hiddenDuringTransfer);
  EXPECT_FALSE(ti.isActive());
  EXPECT_EQ(form.st1->text(), kFailed);
  EXPECT_TRUE(StaysFor(700)) << "the failure notice stays";
}

}  // namespace
