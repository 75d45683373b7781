// The download notice as a window: its frame, controls, placement and the
// ways to close it, with real events under a window manager.

#include "notice/form4.h"
#include "support/realinput.h"
#include "support/xwindow.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Waits until the window manager has mapped the window and reported where.
bool WaitUntilShown(QWidget& window) {
  const bool shown =
      QTest::qWaitForWindowExposed(&window) &&
      QTest::qWaitFor([&] { return window.frameGeometry() != window.geometry(); }) &&
      QTest::qWaitFor([&] { return XGeometry(window.winId()) == window.geometry(); });
  SyncWithXServer();
  return shown;
}

// Real pointer and keyboard input through the X server.
void XdoTool(const QString& arguments) {
  const QByteArray command = "xdotool " + arguments.toLocal8Bit();
  ASSERT_EQ(std::system(command.constData()), 0) << command.constData();
}

void ClickOnScreen(const QPoint& at) {
  XdoTool(QStringLiteral("mousemove %1 %2 click 1").arg(at.x()).arg(at.y()));
}

TEST(Form4, HasItsCaptionSizeAndControls) {
  TForm4 form;
  EXPECT_EQ(form.windowTitle(), QStringLiteral("提示"));
  EXPECT_EQ(form.size(), QSize(260, 83));
  EXPECT_EQ(form.minimumSize(), form.maximumSize()) << "a dialog border does not resize";
  const Qt::WindowFlags flags = form.windowFlags();
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                        Qt::WindowContextHelpButtonHint | Qt::WindowStaysOnTopHint));
  EXPECT_FALSE(form.isModal());
  EXPECT_FALSE(form.isVisible()) << "created hidden";

  EXPECT_EQ(form.st1->pos(), QPoint(8, 16));
  EXPECT_EQ(form.st1->text(), QStringLiteral("下载完成，现在可以开始玩了！"));
  EXPECT_EQ(form.st1->font().family(), QStringLiteral("宋体"));
  EXPECT_EQ(form.st1->font().pixelSize(), 13);

  EXPECT_EQ(form.BitBtn1->geometry(), QRect(96, 48, 73, 25));
  EXPECT_EQ(form.BitBtn1->text(), QStringLiteral("确定"));
  // The check mark: green, lowest left of the middle, highest at the right.
  const QImage mark = form.BitBtn1->icon().pixmap(16, 16).toImage();
  QRect green;
  for (int y = 0; y < mark.height(); ++y) {
    for (int x = 0; x < mark.width(); ++x) {
      const QColor c = mark.pixelColor(x, y);
      if (c.alpha() > 200 && c.green() > c.red() + 60 && c.green() > c.blue() + 60)
        green |= QRect(x, y, 1, 1);
    }
  }
  ASSERT_GE(green.width(), 8);
  const auto inked = [&](int x, int y) { return mark.pixelColor(x, y).alpha() > 128; };
  EXPECT_TRUE(inked(green.left() + green.width() / 3, green.bottom()));
  EXPECT_FALSE(inked(green.right(), green.bottom()));
  EXPECT_TRUE(inked(green.right() - 1, green.top() + 1));
  EXPECT_FALSE(inked(green.left(), green.top()));
  EXPECT_TRUE(form.BitBtn1->isDefault());
}

// Crisp Song lettering, as the launcher's names: the text colour on the
// background and nothing between, so the full-width comma reads as a comma.
TEST(Form4, TextIsCrispInTheSongFace) {
  TForm4 form;
  form.ShowNotice(QStringLiteral("下载完成，现在可以开始玩了！"));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  const QImage text = form.st1->grab().toImage();
  QSet<QRgb> colours;
  for (int y = 0; y < text.height(); ++y) {
    for (int x = 0; x < text.width(); ++x)
      colours.insert(text.pixel(x, y));
  }
  EXPECT_EQ(colours.size(), 2);
}

TEST(Form4, LabelIsSizedToEachText) {
  TForm4 form;
  form.ShowNotice(QStringLiteral("无法连接网络，请检查是否已上网！"));
  const int longer = form.st1->width();
  form.ShowNotice(QStringLiteral("下载完成，现在可以开始玩了！"));
  EXPECT_LT(form.st1->width(), longer);
  EXPECT_EQ(form.st1->width(), form.st1->sizeHint().width());
  EXPECT_EQ(form.st1->pos(), QPoint(8, 16));
}

TEST(Form4, CentredFirstThenShownWhereItWasLastHidden) {
  TForm4 form;
  form.ShowNotice(QStringLiteral("first"));
  ASSERT_TRUE(WaitUntilShown(form));
  const QPoint screenCentre = QGuiApplication::primaryScreen()->geometry().center();
  const auto offset = [&] { return form.frameGeometry().center() - screenCentre; };
  // The whole frame, caption bar included, is centred, once the window
  // manager has said how large the frame is.
  EXPECT_TRUE(QTest::qWaitFor([&] {
    return std::abs(offset().x()) <= 1 && std::abs(offset().y()) <= 1;
  })) << offset().x()
      << "," << offset().y();

  // The user drags it by its caption bar, then it is hidden and shown again.
  const QPoint before = form.pos();
  const QPoint grab = form.frameGeometry().topLeft() + QPoint(120, 8);
  const QPoint drop = grab - QPoint(200, 150);
  // Without pauses, or split over several xdotool calls, openbox missed the
  // drag now and then; no state between the steps shows when it has them.
  XdoTool(QStringLiteral(
              "mousemove --sync %1 %2 sleep 0.2 mousedown 1 sleep 0.2 mousemove --sync %3 %4 "
              "sleep 0.1 mousemove --sync %5 %6 sleep 0.2 mouseup 1")
              .arg(grab.x())
              .arg(grab.y())
              .arg(grab.x() - 20)
              .arg(grab.y() - 20)
              .arg(drop.x())
              .arg(drop.y()));
  const QPoint dragged = before - QPoint(200, 150);
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.pos() == dragged; }))
      << form.pos().x() << "," << form.pos().y();
  form.BitBtn1->click();
  ASSERT_FALSE(form.isVisible());
  form.ShowNotice(QStringLiteral("second"));
  ASSERT_TRUE(WaitUntilShown(form));
  EXPECT_EQ(form.pos(), dragged);
  EXPECT_EQ(form.st1->text(), QStringLiteral("second"));
}

TEST(Form4, ShowingAVisibleNoticeReplacesItsTextAndRaisesIt) {
  TForm4 form;
  QWidget cover;
  form.ShowNotice(QStringLiteral("one"));
  ASSERT_TRUE(WaitUntilShown(form));
  // Another window on top of the notice, where it covers the button.
  cover.setGeometry(QRect(form.mapToGlobal(QPoint(0, 0)), QSize(260, 83)));
  cover.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&cover));
  cover.raise();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return QApplication::widgetAt(form.BitBtn1->mapToGlobal(QPoint(30, 12))) == &cover; }));

  form.ShowNotice(QStringLiteral("two"));
  EXPECT_EQ(form.st1->text(), QStringLiteral("two"));
  EXPECT_TRUE(form.isVisible());
  // The notice is in front again: a real click reaches its button.
  ASSERT_TRUE(QTest::qWaitFor([&] {
    return QApplication::widgetAt(form.BitBtn1->mapToGlobal(QPoint(30, 12))) == form.BitBtn1;
  }));
  ClickOnScreen(form.BitBtn1->mapToGlobal(QPoint(30, 12)));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !form.isVisible(); }));
}

TEST(Form4, ClickOnOkHidesIt) {
  TForm4 form;
  form.ShowNotice(QStringLiteral("done"));
  ASSERT_TRUE(WaitUntilShown(form));
  ClickOnScreen(form.BitBtn1->mapToGlobal(form.BitBtn1->rect().center()));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !form.isVisible(); }));
}

TEST(Form4, EnterPressesOk) {
  TForm4 form;
  form.ShowNotice(QStringLiteral("done"));
  ASSERT_TRUE(WaitUntilShown(form));
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  XdoTool(QStringLiteral("key Return"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !form.isVisible(); }));
}

TEST(Form4, CloseBoxOnlyHidesIt) {
  TForm4 form;
  form.ShowNotice(QStringLiteral("done"));
  ASSERT_TRUE(WaitUntilShown(form));
  ASSERT_TRUE(form.close());
  EXPECT_FALSE(form.isVisible());
  form.ShowNotice(QStringLiteral("again"));
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(form.st1->text(), QStringLiteral("again"));
}

}  // namespace
