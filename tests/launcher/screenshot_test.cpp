// The launcher as the X server shows it: pixels of a screenshot against the
// described colours.

#include "launcher/form1.h"
#include "support/colourcheck.h"
#include "support/realinput.h"
#include "uikit/widgets.h"

#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QStackedWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class Screenshot : public ::testing::Test {
 protected:
  void SetUp() override {
    MoveMouseTo(QPoint(20, 740));
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    // Until the screen shows what the window paints.
    const QImage painted = form.grab().toImage().convertToFormat(QImage::Format_RGB888);
    EXPECT_TRUE(QTest::qWaitFor([&] {
      shot = QGuiApplication::primaryScreen()
                 ->grabWindow(0, form.x(), form.y(), form.width(), form.height())
                 .toImage()
                 .convertToFormat(QImage::Format_RGB888);
      return shot == painted;
    }));
    ASSERT_EQ(shot.size(), QSize(184, 556));
  }

  // A point of a child, in window coordinates.
  QPoint At(const char* child, QPoint local) const {
    const QWidget* widget = form.findChild<QWidget*>(QString::fromLatin1(child));
    EXPECT_NE(widget, nullptr) << child;
    return widget ? widget->mapTo(&form, local) : QPoint();
  }

  QRect RectOf(const QWidget* widget) const {
    return QRect(widget->mapTo(&form, QPoint(0, 0)), widget->size());
  }

  GameNameLabel* Name(const char* caption) const {
    for (GameNameLabel* label : form.findChildren<GameNameLabel*>()) {
      if (label->text() == QString::fromUtf8(caption))
        return label;
    }
    return nullptr;
  }

  TForm1 form;
  QImage shot;
};

TEST_F(Screenshot, StripsShowTheirRows) {
  EXPECT_TRUE(PixelIs(shot, 60, 0, QColor(57, 58, 110)));
  EXPECT_TRUE(PixelIs(shot, 60, 1, QColor(232, 241, 253), 1));
  EXPECT_TRUE(PixelIs(shot, 120, 21, QColor(125, 175, 244), 1));
  EXPECT_TRUE(PixelIs(shot, 60, 22, QColor(85, 109, 143)));
  EXPECT_TRUE(PixelIs(shot, 60, 25, QColor(147, 180, 244)));
  EXPECT_TRUE(PixelIs(shot, 0, 0, QColor(255, 255, 255)));  // rounded corners
  EXPECT_TRUE(PixelIs(shot, 183, 0, QColor(255, 255, 255)));
  EXPECT_TRUE(PixelIs(shot, 150, 533, QColor(45, 101, 220)));  // Image4's first row
  EXPECT_TRUE(PixelIs(shot, 120, 555, QColor(57, 58, 110)));   // the window's last row
  // The minimize dash at columns 6 to 13 of rows 13 and 14 of Image5.
  const QColor dash = shot.pixelColor(147 + 6, 13);
  EXPECT_TRUE(PixelIs(shot, 147 + 13, 14, dash));
  EXPECT_FALSE(PixelIs(shot, 147 + 6, 12, dash, 20));
  EXPECT_FALSE(PixelIs(shot, 147 + 14, 13, dash, 20));
  EXPECT_GT(CountNear(shot, QRect(0, 1, 147, 21), QColor(16, 40, 128), 30), 40);  // the title
}

TEST_F(Screenshot, BandAndPageShowTheSkyBlueBackground) {
  const QColor skyBlue(166, 202, 240);
  for (int row = 530; row <= 532; ++row)
    EXPECT_TRUE(PixelIs(shot, 100, row, skyBlue));
  EXPECT_TRUE(PixelIs(shot, 100, 27, skyBlue));  // the page control covers the strip's last rows
  const QPoint empty = form.pp->currentWidget()->mapTo(&form, QPoint(120, 470));
  EXPECT_TRUE(PixelIs(shot, empty.x(), empty.y(), skyBlue));
}

TEST_F(Screenshot, BarsShowTheirFrameFaceAndTitleColours) {
  const QPoint own = At("Image27", QPoint(0, 0));
  EXPECT_EQ(own.y() - At("Image23", QPoint(0, 0)).y(), 84);
  EXPECT_TRUE(PixelIs(shot, own.x() + 50, own.y(), QColor(0, 60, 116)));
  EXPECT_TRUE(PixelIs(shot, own.x() + 50, own.y() + 19, QColor(0, 60, 116)));
  EXPECT_TRUE(PixelIs(shot, own.x(), own.y(), QColor(236, 233, 223)));
  EXPECT_TRUE(PixelIs(shot, own.x() + 5, own.y() + 1, QColor(255, 255, 255)));
  EXPECT_TRUE(PixelIs(shot, own.x() + 5, own.y() + 18, QColor(214, 208, 197)));
  const QRect ownText(own + QPoint(12, 4), QSize(147, 12));
  EXPECT_GT(CountNear(shot, ownText, QColor(49, 106, 197), 30), 60);
  const QPoint plain = At("Image22", QPoint(0, 0));
  const QRect plainText(plain + QPoint(12, 4), QSize(147, 12));
  EXPECT_GT(CountNear(shot, plainText, QColor(0, 78, 152), 30), 60);
  EXPECT_EQ(CountNear(shot, plainText, QColor(49, 106, 197), 10), 0);
}

TEST_F(Screenshot, NamesShowTheirColours) {
  const GameNameLabel* green = Name("|豆豆龙|");
  const GameNameLabel* link = Name("|开飞机|");
  ASSERT_TRUE(green && link);
  const QColor hotTrack = QGuiApplication::palette().color(QPalette::Link);
  EXPECT_GT(CountNear(shot, RectOf(green), QColor(0, 128, 0), 0), 20);
  EXPECT_EQ(CountNear(shot, RectOf(green), hotTrack, 0), 0);
  EXPECT_GT(CountNear(shot, RectOf(link), hotTrack, 0), 20);
  EXPECT_EQ(CountNear(shot, RectOf(link), QColor(0, 128, 0), 0), 0);
}

}  // namespace
