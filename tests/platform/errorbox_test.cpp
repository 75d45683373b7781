// The application's error box, the start-up failure box and the prompt's
// lettering.

#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include "platform/errorbox.h"
#include "platform/messageboxprompt.h"
#include "support/messageboxwatch.h"
#include "support/testsupport.h"
#include "uikit/fonts.h"

namespace {

struct Ending {
  const char* name;
  QString message;
  QString shown;
};

class ErrorBoxTextTest : public ::testing::TestWithParam<Ending> {};

TEST_P(ErrorBoxTextTest, AddsAFullStopOnlyAfterCharactersSortingAfterIt) {
  EXPECT_EQ(ErrorBoxText(GetParam().message), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Endings, ErrorBoxTextTest,
    ::testing::Values(
        Ending{"Letter", QStringLiteral("Stop failed"), QStringLiteral("Stop failed.")},
        Ending{"Digit", QStringLiteral("Error 5"), QStringLiteral("Error 5.")},
        Ending{"Question", QStringLiteral("Why?"), QStringLiteral("Why?.")},
        Ending{"Chinese", QStringLiteral("播放失败"), QStringLiteral("播放失败.")},
        Ending{"Slash", QStringLiteral("C:/"), QStringLiteral("C:/.")},
        Ending{"FullStop", QStringLiteral("Done."), QStringLiteral("Done.")},
        Ending{"Bang", QStringLiteral("Oops!"), QStringLiteral("Oops!")},
        Ending{"Paren", QStringLiteral("(none)"), QStringLiteral("(none)")},
        Ending{"Comma", QStringLiteral("a,"), QStringLiteral("a,")},
        Ending{"Space", QStringLiteral("trailing "), QStringLiteral("trailing ")},
        Ending{"Empty", QString(), QString()},
        Ending{"OutsideBasicPlane", QStringLiteral("emoji 😀"), QStringLiteral("emoji 😀.")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ErrorBox, ShowsTheErrorUnderTheApplicationTitle) {
  const SeenBox seen =
      WatchMessageBox([] { ShowErrorBox(QStringLiteral("Ruffle could not be loaded")); });
  EXPECT_EQ(seen.title, QStringLiteral("Quillet"));
  EXPECT_EQ(seen.text, QStringLiteral("Ruffle could not be loaded."));
  EXPECT_EQ(seen.icon, QMessageBox::Critical);
}

TEST(ErrorBox, StartUpFailureIsAnApplicationError) {
  const SeenBox seen = WatchMessageBox([] { ShowApplicationError(QStringLiteral("No player!")); });
  EXPECT_EQ(seen.title, QStringLiteral("Application Error"));
  EXPECT_EQ(seen.text, QStringLiteral("No player!"));
  EXPECT_EQ(seen.icon, QMessageBox::Critical);
}

// A comma has a tail: its ink stands taller than it is wide; a full stop's
// is a dot.
TEST(MessageBoxPrompt, FullWidthCommaReadsAsAComma) {
  QImage shown;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    shown = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->grab().toImage();
    box->reject();
  });
  MessageBoxPrompt([] { return SongFont(13); }).Confirm(QStringLiteral("，"));
  QRect ink;
  for (int y = 0; y < shown.height(); ++y) {
    for (int x = 0; x < shown.width(); ++x)
      ink |= qGray(shown.pixel(x, y)) < 160 ? QRect(x, y, 1, 1) : QRect();
  }
  EXPECT_GE(ink.height(), 3);
  EXPECT_GT(ink.height(), ink.width());
}

}  // namespace
