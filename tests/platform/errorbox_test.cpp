// The application's error box and the start-up failure box.

#include <QMessageBox>

#include "platform/errorbox.h"
#include "support/messageboxwatch.h"
#include "support/testsupport.h"

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

}  // namespace
