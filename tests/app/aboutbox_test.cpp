// The About box: its fixed contents, its OK button, and where it reopens.

#include "app/aboutbox.h"
#include "app/playgame.h"
#include "launch/downloadgame.h"
#include "launch/launchgame.h"
#include "support/realinput.h"
#include "support/xwindow.h"
#include "uikit/fonts.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class AboutBoxTest : public ::testing::Test {
 protected:
  // Shown in the window manager's frame, with every event of it handled.
  void ShowAndWait() {
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    ASSERT_TRUE(QTest::qWaitFor([&] {
      return box.frameGeometry() != box.geometry() && XGeometry(box.winId()) == box.geometry();
    }));
    SyncWithXServer();
  }

  TAboutBox box;
};

// The Song face is chosen by the characters it must show: every text drawn
// in it is among them.
TEST_F(AboutBoxTest, EveryTextInTheSongFaceIsAmongTheCharactersItIsChosenBy) {
  const QString known = SongText();
  const QString drawn = box.ProductName->text() + box.Version->text() + box.Copyright->text() +
                        QString::fromUtf8(kDownloadDoneText) +
                        QString::fromUtf8(kDownloadFailedText) + QString::fromUtf8(kQuitQuestion) +
                        QString::fromUtf8(kDownloadQuestion);
  for (const QChar c : drawn)
    EXPECT_TRUE(known.contains(c)) << QString(c).toStdString();
}

TEST_F(AboutBoxTest, HoldsTheDescribedControls) {
  EXPECT_EQ(box.windowTitle(), QStringLiteral("关于..."));
  EXPECT_EQ(box.size(), QSize(248, 168));
  EXPECT_TRUE(box.windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(box.windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(box.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_FALSE(box.windowFlags() & Qt::WindowStaysOnTopHint);

  const QFrame* panel = box.findChild<QFrame*>();
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->geometry(), QRect(8, 8, 233, 113));
  EXPECT_EQ(box.ProgramIcon->parentWidget(), panel);
  EXPECT_EQ(box.ProgramIcon->geometry(), QRect(8, 12, 65, 57));
  EXPECT_EQ(box.ProgramIcon->pixmap().size(), QSize(65, 65));
  EXPECT_TRUE(box.ProgramIcon->hasScaledContents());
  EXPECT_EQ(box.ProductName->text(), QStringLiteral("Quillet"));
  EXPECT_EQ(box.ProductName->pos(), QPoint(88, 16));
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9]+\\.[0-9]+$"))
                  .match(QStringLiteral(QUILLET_VERSION))
                  .hasMatch());
  EXPECT_EQ(box.Version->text(), QStringLiteral("版本：" QUILLET_VERSION));
  EXPECT_EQ(box.Version->pos(), QPoint(88, 40));
  EXPECT_EQ(box.Copyright->pos(), QPoint(8, 80));
  EXPECT_FALSE(box.Copyright->text().isEmpty());
  EXPECT_FALSE(box.Copyright->text().contains(u'\n'));
  EXPECT_EQ(box.OKButton->text(), QStringLiteral("OK"));
  EXPECT_EQ(box.OKButton->geometry(), QRect(87, 132, 75, 25));
  EXPECT_TRUE(box.OKButton->isDefault());
}

TEST_F(AboutBoxTest, OkAndEnterHideIt) {
  ShowAndWait();
  ClickAt(box.OKButton->mapToGlobal(box.OKButton->rect().center()));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !box.isVisible(); }));

  // Enter presses the default button. (The end-to-end test presses it on
  // the real keyboard; here it does not wait for the window manager's focus.)
  ShowAndWait();
  QTest::keyClick(&box, Qt::Key_Return);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !box.isVisible(); }));
}

TEST_F(AboutBoxTest, CentredFirstThenReopensWhereItWasHidden) {
  ShowAndWait();
  const QPoint screenCentre = QGuiApplication::primaryScreen()->geometry().center();
  // The whole frame, caption bar included, is centred.
  EXPECT_TRUE(QTest::qWaitFor([&] {
    return (box.frameGeometry().center() - screenCentre).manhattanLength() <= 2;
  })) << (box.frameGeometry().center() - screenCentre).manhattanLength();

  // The user drags it elsewhere through the window manager, then closes it.
  Xdotool({QStringLiteral("windowmove"), QString::number(box.winId()), QStringLiteral("60"),
           QStringLiteral("80")});
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return (box.frameGeometry().center() - screenCentre).manhattanLength() > 100; }));
  const QPoint where = box.pos();
  box.OKButton->click();
  ASSERT_FALSE(box.isVisible());

  ShowAndWait();
  EXPECT_TRUE(QTest::qWaitFor([&] { return box.pos() == where; }))
      << box.pos().x() << "," << box.pos().y();
}

}  // namespace
