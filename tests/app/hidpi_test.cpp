// The launcher and the dialogs on a 3840 x 2160 screen at 200 % (see
// hidpi_test.sh): placed by the logical width, drawn at the device pixels.

#include "app/aboutbox.h"
#include "launcher/form1.h"
#include "notice/form4.h"
#include "platform/messageboxprompt.h"
#include "support/xwindow.h"
#include "uikit/artwork.h"
#include "uikit/fonts.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// 2 x 2 squares of more than one colour (a picture doubled has none) and
// neighbours far apart in lightness (a picture smoothed up has few).
int Finer(const QImage& image, QRect area = QRect(0, 0, 9999, 9999)) {
  area &= image.rect();
  int count = 0;
  for (int y = area.top() & ~1; y < area.bottom(); y += 2) {
    for (int x = area.left() & ~1; x < area.right(); x += 2) {
      const QRgb c = image.pixel(x, y);
      count += image.pixel(x + 1, y) != c || image.pixel(x, y + 1) != c;
    }
  }
  return count;
}
int HardEdges(const QImage& image) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x + 1 < image.width(); ++x)
      count += std::abs(qGray(image.pixel(x, y)) - qGray(image.pixel(x + 1, y))) > 150;
  }
  return count;
}

QRect DeviceRect(const QWidget& window, const char* child) {
  const auto* widget = window.findChild<QWidget*>(QString::fromLatin1(child));
  return widget ? QRect(widget->mapTo(&window, QPoint()) * 2, widget->size() * 2) : QRect();
}

TEST(HiDpi, LauncherAndDialogsArePlacedByLogicalPixelsAndDrawnAtDevicePixels) {
  ASSERT_EQ(qApp->devicePixelRatio(), 2.0) << "hidpi_test.sh sets the screen up";
  ASSERT_EQ(QGuiApplication::primaryScreen()->geometry().width(), 1920);
  TForm1 form;
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  ASSERT_EQ(XStableGeometry(form.winId()), QRect(3456, 0, 368, 1112));
  EXPECT_TRUE(QTest::qWaitFor([&] { return form.pos() == QPoint(1728, 0); })) << "as Qt has it";
  QImage shot;
  ASSERT_TRUE(QTest::qWaitFor([&] {
    shot = QGuiApplication::primaryScreen()->grabWindow(0, 1728, 0, 184, 556).toImage();
    return Finer(shot, DeviceRect(form, "Image2")) > 0;
  }));
  for (const char* picture : {"Image2", "Image3", "Image4", "Image6", "Image23", "Image27"})
    EXPECT_GT(Finer(shot, DeviceRect(form, picture)), 20) << picture;
  form.RollUp();
  EXPECT_EQ(XStableGeometry(form.winId()), QRect(3456, -2, 368, 4)) << "the strip";

  TForm4 notice;
  notice.ShowNotice(QStringLiteral("无法连接网络，请检查是否已上网！"));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&notice));
  EXPECT_GT(Finer(notice.BitBtn1->grab().toImage(), QRect(0, 0, 60, 50)), 20) << "check mark";
  EXPECT_GT(Finer(notice.st1->grab().toImage()), 50);
  TAboutBox about;
  about.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
  EXPECT_EQ(about.ProgramIcon->pixmap().devicePixelRatio(), 2.0);
  EXPECT_GT(Finer(about.Version->grab().toImage()), 20);

  MessageBoxPrompt prompt([] { return SongFont(13); },
                          [] { return QPixmap::fromImage(artwork::QuestionIcon(2)); });
  QImage question;
  QImage icon;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    question = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->grab().toImage();
    icon = box->findChild<QLabel*>(QStringLiteral("qt_msgboxex_icon_label"))->grab().toImage();
    box->reject();
  });
  prompt.Confirm(QStringLiteral("该游戏还没有下载，现在马上下载?"));
  EXPECT_GT(Finer(question), 50);
  EXPECT_GT(HardEdges(icon), 15) << "the question icon";
}

}  // namespace
