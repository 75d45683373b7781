// The launcher and the dialogs on a 3840 x 2160 screen at 200 %
// (hidpi_test.sh starts it): placed by the logical width, and drawn at the
// device pixels, not doubled from a picture of half the size.

#include "app/aboutbox.h"
#include "launcher/form1.h"
#include "notice/form4.h"
#include "platform/messageboxprompt.h"
#include "support/xwindow.h"
#include "uikit/artwork.h"
#include "uikit/fonts.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// 2 x 2 squares of device pixels, on the even grid, holding more than one
// colour: a picture of half the size, doubled, has none.
int FinerThanDoubled(const QImage& image, QRect area) {
  area &= image.rect();
  int count = 0;
  for (int y = area.top() & ~1; y + 1 <= area.bottom(); y += 2) {
    for (int x = area.left() & ~1; x + 1 <= area.right(); x += 2) {
      const QRgb corner = image.pixel(x, y);
      if (image.pixel(x + 1, y) != corner || image.pixel(x, y + 1) != corner ||
          image.pixel(x + 1, y + 1) != corner)
        ++count;
    }
  }
  return count;
}

// Neighbouring device pixels far apart in lightness: an edge drawn at the
// device pixels. A picture of half the size smoothed up has few.
int HardEdges(const QImage& image) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x + 1 < image.width(); ++x) {
      if (std::abs(qGray(image.pixel(x, y)) - qGray(image.pixel(x + 1, y))) > 150)
        ++count;
    }
  }
  return count;
}

// A child's rectangle in the device pixels of a grab of `window`.
QRect DeviceRect(const QWidget& window, const char* child) {
  const auto* widget = window.findChild<QWidget*>(QString::fromLatin1(child));
  EXPECT_NE(widget, nullptr) << child;
  if (widget == nullptr)
    return QRect();
  return QRect(widget->mapTo(&window, QPoint(0, 0)) * 2, widget->size() * 2);
}

QImage GrabScreen(const QRect& logical) {
  return QGuiApplication::primaryScreen()
      ->grabWindow(0, logical.x(), logical.y(), logical.width(), logical.height())
      .toImage()
      .convertToFormat(QImage::Format_RGB32);
}

class HiDpi : public ::testing::Test {
 protected:
  void SetUp() override {
    // Anything else is not the screen these tests are about.
    ASSERT_EQ(qApp->devicePixelRatio(), 2.0);
    ASSERT_EQ(QGuiApplication::primaryScreen()->geometry().width(), 1920);
  }
};

TEST_F(HiDpi, LauncherStandsByTheRightEdgeDrawnAtDevicePixels) {
  TForm1 form;
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  ASSERT_EQ(XStableGeometry(form.winId()), QRect(3456, 0, 368, 1112)) << "as the X server has it";

  QImage shot;
  ASSERT_TRUE(QTest::qWaitFor([&] {
    shot = GrabScreen(QRect(1728, 0, 184, 556));
    return FinerThanDoubled(shot, DeviceRect(form, "Image2")) > 0;
  }));
  ASSERT_EQ(shot.size(), QSize(368, 1112));
  for (const char* picture : {"Image2", "Image3", "Image4", "Image6", "Image23", "Image27"})
    EXPECT_GT(FinerThanDoubled(shot, DeviceRect(form, picture)), 20) << picture;

  // A bar's top border is one picture row, two device rows, with nothing
  // between it and the face.
  const QRect bar = DeviceRect(form, "Image27");
  const int x = bar.left() + 100;
  EXPECT_EQ(shot.pixelColor(x, bar.top()), QColor(0, 60, 116));
  EXPECT_EQ(shot.pixelColor(x, bar.top() + 1), QColor(0, 60, 116));
  EXPECT_EQ(shot.pixelColor(x, bar.top() + 2), QColor(255, 255, 255));
}

TEST_F(HiDpi, DialogsAreDrawnAtDevicePixels) {
  TForm4 notice;
  notice.ShowNotice(QStringLiteral("无法连接网络，请检查是否已上网！"));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&notice));
  const QImage button = notice.BitBtn1->grab().toImage();
  ASSERT_EQ(button.size(), QSize(146, 50));
  EXPECT_GT(FinerThanDoubled(button, QRect(0, 0, 60, 50)), 20) << "the check mark";
  const QImage text = notice.st1->grab().toImage();
  EXPECT_GT(FinerThanDoubled(text, text.rect()), 50);

  TAboutBox about;
  about.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
  EXPECT_EQ(about.ProgramIcon->pixmap().devicePixelRatio(), 2.0);
  const QImage version = about.Version->grab().toImage();
  EXPECT_GT(FinerThanDoubled(version, version.rect()), 20);

  MessageBoxPrompt prompt([] { return SongFont(13); },
                          [] { return QPixmap::fromImage(artwork::QuestionIcon(2)); });
  QImage question;
  QImage icon;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    question = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->grab().toImage();
    icon = box->findChild<QLabel*>(QStringLiteral("qt_msgboxex_icon_label"))->grab().toImage();
    box->reject();
  });
  prompt.Confirm(QStringLiteral("该游戏还没有下载，现在马上下载?"));
  EXPECT_GT(FinerThanDoubled(question, question.rect()), 50);
  EXPECT_GT(HardEdges(icon), 15) << "the question icon";
}

}  // namespace
