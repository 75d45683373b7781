// The drawn pictures against their described sizes, rows and colours, the
// stand-in for the Song face, and the name control.

#include "catalogue/catalogue.h"
#include "support/colourcheck.h"
#include "support/testsupport.h"
#include "uikit/artwork.h"
#include "uikit/fonts.h"
#include "uikit/widgets.h"

#include <QApplication>
#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>
#include <QSignalSpy>
#include <QTest>
#include <QTextLayout>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

const QColor kNavy(57, 58, 110);
const QColor kWhite(255, 255, 255);

struct Picture {
  const char* name;
  std::function<QImage(int scale)> draw;
  int width;
  int height;
};

const Picture kPictures[] = {
    {"Image2", artwork::TitlePicture, 148, 30},     {"Image5", artwork::MinimizePicture, 18, 30},
    {"Image6", artwork::ClosePicture, 21, 30},      {"Image1", artwork::OrnamentPicture, 43, 24},
    {"Image3", artwork::MenuButtonPicture, 47, 24}, {"Image4", artwork::HideButtonPicture, 95, 24},
    {"AboutBox", artwork::AboutPicture, 65, 65},
};

// At 200 % the same size, in twice the device pixels.
TEST(Artwork, EveryPictureIs24BitAtItsControlsSize) {
  for (const Picture& picture : kPictures) {
    const QImage image = picture.draw(1);
    EXPECT_EQ(image.format(), QImage::Format_RGB888) << picture.name;
    EXPECT_EQ(image.size(), QSize(picture.width, picture.height)) << picture.name;
    EXPECT_EQ(picture.draw(2).size(), image.size() * 2) << picture.name;
  }
  EXPECT_EQ(artwork::ProgramIcon().size(), QSize(38, 38));
  const QImage bar = artwork::CategoryBarPicture(QStringLiteral("射击类小游戏"), false);
  EXPECT_EQ(bar.format(), QImage::Format_RGB888);
  EXPECT_EQ(bar.size(), QSize(171, 20));
}

TEST(Artwork, TopStripPicturesShareTheirRows) {
  for (const QImage& image :
       {artwork::TitlePicture(), artwork::MinimizePicture(), artwork::ClosePicture()}) {
    // A column clear of the title, the marks and the rounded corners.
    const int x = image.width() == 148 ? 140 : image.width() == 18 ? 16 : 1;
    EXPECT_TRUE(PixelIs(image, x, 0, kNavy));
    EXPECT_TRUE(PixelIs(image, x, 1, QColor(232, 241, 253), 1));
    EXPECT_TRUE(PixelIs(image, x, 21, QColor(125, 175, 244), 1));
    EXPECT_TRUE(PixelIs(image, x, 22, QColor(85, 109, 143)));
    for (int row = 23; row <= 26; ++row)
      EXPECT_TRUE(PixelIs(image, x, row, QColor(147, 180, 244)));
    EXPECT_TRUE(PixelIs(image, x, 27, QColor(82, 84, 88)));
    EXPECT_TRUE(PixelIs(image, x, 28, QColor(236, 242, 252)));
    EXPECT_TRUE(PixelIs(image, x, 29, QColor(236, 242, 252)));
    // The gradient darkens downwards, and the upper half carries the gloss:
    // lighter than a straight blend of rows 1 and 11 would be.
    const int straight =
        (image.pixelColor(x, 1).lightness() + image.pixelColor(x, 11).lightness()) / 2;
    EXPECT_GT(image.pixelColor(x, 6).lightness(), straight + 5);
    for (int row = 12; row <= 21; ++row) {
      EXPECT_LT(image.pixelColor(x, row).lightness(), image.pixelColor(x, row - 1).lightness());
    }
  }
}

TEST(Artwork, MinimizeDashCoversColumns6To13OfRows13And14) {
  const QImage image = artwork::MinimizePicture();
  const QColor dash = image.pixelColor(6, 13);
  EXPECT_LT(dash.lightness(), image.pixelColor(6, 12).lightness() - 40);
  for (int y = 12; y <= 15; ++y) {
    for (int x = 4; x <= 15; ++x) {
      const bool inDash = y >= 13 && y <= 14 && x >= 6 && x <= 13;
      EXPECT_EQ(image.pixelColor(x, y) == dash, inDash) << x << ", " << y;
    }
  }
}

TEST(Artwork, WindowCornersAreRoundedOnWhite) {
  // The first visible column of Image2 and Image1 is 1; of Image6 it is 18.
  EXPECT_TRUE(PixelIs(artwork::TitlePicture(), 1, 0, kWhite));
  EXPECT_TRUE(PixelIs(artwork::ClosePicture(), 18, 0, kWhite));
  EXPECT_TRUE(PixelIs(artwork::OrnamentPicture(), 1, 22, kWhite));
  EXPECT_FALSE(PixelIs(artwork::TitlePicture(), 8, 0, kWhite));
}

TEST(Artwork, TitleAndMarksAreDrawnOnTheStrip) {
  const QImage title = artwork::TitlePicture();
  // Dark-blue script letters and their softer shadow in the gradient rows.
  EXPECT_GT(CountNear(title, QRect(2, 1, 140, 21), QColor(16, 40, 128), 30), 40);
  const QImage close = artwork::ClosePicture();
  EXPECT_LT(close.pixelColor(9, 11).lightness(), 170);  // the cross's centre
  EXPECT_LT(close.pixelColor(9, 5).lightness(), 200);   // the ring's top
}

TEST(Artwork, BottomStripIsBlueWithANavyLastRow) {
  for (const QImage& image :
       {artwork::OrnamentPicture(), artwork::MenuButtonPicture(), artwork::HideButtonPicture()}) {
    const int x = image.width() - 2;
    EXPECT_TRUE(PixelIs(image, x, 0, QColor(45, 101, 220)));
    EXPECT_TRUE(PixelIs(image, x, 22, kNavy));
  }
  for (const QImage& button : {artwork::MenuButtonPicture(), artwork::HideButtonPicture()}) {
    const QRect face(4, 4, button.width() - 8, 15);
    EXPECT_GT(CountNear(button, face, QColor(233, 238, 246), 6), 40);
    EXPECT_GT(CountNear(button, face, QColor(51, 51, 102), 40), 10);  // the lettering
  }
}

TEST(Artwork, CategoryBarsHaveTheirFrameFaceAndTitle) {
  const QColor border(0, 60, 116);
  for (const bool own : {false, true}) {
    const QImage bar = artwork::CategoryBarPicture(QStringLiteral("冒险类小游戏"), own);
    EXPECT_TRUE(PixelIs(bar, 80, 0, border));
    EXPECT_TRUE(PixelIs(bar, 80, 19, border));
    EXPECT_TRUE(PixelIs(bar, 0, 10, border));
    EXPECT_TRUE(PixelIs(bar, 170, 10, border));
    EXPECT_TRUE(PixelIs(bar, 0, 0, QColor(236, 233, 223)));
    EXPECT_TRUE(PixelIs(bar, 170, 19, QColor(236, 233, 223)));
    EXPECT_TRUE(PixelIs(bar, 5, 1, kWhite));
    EXPECT_TRUE(PixelIs(bar, 5, 15, QColor(240, 240, 234)));
    EXPECT_TRUE(PixelIs(bar, 5, 17, QColor(224, 222, 212)));
    EXPECT_TRUE(PixelIs(bar, 5, 18, QColor(214, 208, 197)));
    // The title keeps to columns 12 to 158 and rows 4 to 15.
    for (int y = 1; y <= 18; ++y) {
      for (int x = 2; x <= 168; ++x) {
        if (x >= 12 && x <= 158 && y >= 4 && y <= 15)
          continue;
        EXPECT_EQ(bar.pixelColor(x, y), bar.pixelColor(x < 12 ? 2 : 168, y)) << x << ", " << y;
      }
    }
  }
  const QRect text(12, 4, 147, 12);
  const QImage plain = artwork::CategoryBarPicture(QStringLiteral("冒险类小游戏"), false);
  const QImage own = artwork::CategoryBarPicture(QStringLiteral("冒险类小游戏"), true);
  const int plainInk = CountNear(plain, text, QColor(0, 78, 152), 40);
  const int ownInk = CountNear(own, text, QColor(49, 106, 197), 40);
  EXPECT_GT(plainInk, 60);
  EXPECT_EQ(CountNear(plain, text, QColor(49, 106, 197), 10), 0);
  EXPECT_GT(ownInk, plainInk);  // bold
  EXPECT_NE(plain, artwork::CategoryBarPicture(QStringLiteral("综合类小游戏"), false));

  // Bold or not, the three equals signs on the left stay three apart: along
  // the rows through them, the runs of ink from where the title starts.
  for (const auto& [bar, ink] :
       {std::pair{plain, QColor(0, 78, 152)}, std::pair{own, QColor(49, 106, 197)}}) {
    QImage inked(bar.size(), QImage::Format_Mono);
    for (int y = 0; y < bar.height(); ++y) {
      for (int x = 0; x < bar.width(); ++x)
        inked.setPixel(x, y, NearColour(bar.pixelColor(x, y), ink, 40) ? 1 : 0);
    }
    int first = 12;
    while (first < 80 && CountNear(bar, QRect(first, 4, 1, 12), ink, 40) == 0)
      ++first;
    int mostRuns = 0;
    for (int y = 4; y <= 15; ++y) {
      int runs = 0;
      for (int x = first; x <= first + 20; ++x)
        runs += inked.pixelIndex(x, y) == 1 && inked.pixelIndex(x - 1, y) == 0;
      mostRuns = std::max(mostRuns, runs);
    }
    EXPECT_EQ(mostRuns, 3) << (bar == own ? "own" : "plain");
  }
}

TEST(Artwork, TitleIsInTheChanceryFace) {
  // The set-up installs URW's Z003; Qt lists it with its foundry.
  EXPECT_TRUE(QFontInfo(artwork::TitleFont()).family().startsWith(QStringLiteral("Z003")))
      << qPrintable(QFontInfo(artwork::TitleFont()).family());
}

TEST(Artwork, IconShowsBlueFiguresOnALightDiscOnWhite) {
  const QImage icon = artwork::ProgramIcon();
  EXPECT_TRUE(PixelIs(icon, 0, 0, kWhite));
  EXPECT_TRUE(PixelIs(icon, 37, 0, kWhite));
  EXPECT_TRUE(PixelIs(icon, 0, 37, kWhite));
  EXPECT_GT(CountNear(icon, QRect(0, 0, 38, 38), QColor(58, 120, 218), 45), 60);
  EXPECT_GT(CountNear(icon, QRect(2, 24, 34, 12), QColor(170, 212, 250), 30), 30);
  const QImage about = artwork::AboutPicture();
  EXPECT_EQ(about.size(), QSize(65, 65));
  EXPECT_TRUE(PixelIs(about, 2, 2, QColor(226, 238, 252), 40));
}

TEST(Artwork, InstalledIconFileIsTheWindowsIcon) {
  // Written at build time beside the program folder, for the desktop entry.
  const QImage file(BuildFolder("QUILLET_BIN_DIR") + QStringLiteral("/../share/quillet.png"));
  ASSERT_FALSE(file.isNull());
  EXPECT_EQ(file.convertToFormat(QImage::Format_RGB888), artwork::ProgramIcon());
}

TEST(SongFace, ChoosesAnInstalledFaceThatCoversTheCatalogue) {
  const QString chosen =
      ClosestSongFace({QStringLiteral("No Such Face"), QStringLiteral("DejaVu Sans"),
                       QStringLiteral("AR PL UMing CN")});
  // DejaVu Sans has no Chinese characters, so it loses despite coming first.
  EXPECT_EQ(chosen, QStringLiteral("AR PL UMing CN"));
  EXPECT_TRUE(ClosestSongFace({QStringLiteral("No Such Face")}).isEmpty());
}

TEST(SongFace, OfEquallyCloseFacesTheOneListedFirstWins) {
  // Both Debian faces give 13 and 7 pixels and show every character.
  const QString uming = QStringLiteral("AR PL UMing CN");
  const QString sungtil = QStringLiteral("AR PL SungtiL GB");
  EXPECT_EQ(ClosestSongFace({uming, sungtil}), uming);
  EXPECT_EQ(ClosestSongFace({sungtil, uming}), sungtil);
}

TEST(SongFace, SongFontFindsTheFaceWithoutTheSubstitution) {
  // Asked for on a second thread before the substitution is installed.
  QFont font;
  std::unique_ptr<QThread> thread(QThread::create([&font] { font = SongFont(13); }));
  thread->start();
  thread->wait();
  ASSERT_FALSE(SongFace().isEmpty());
  EXPECT_EQ(QFontInfo(font).family(), SongFace());
  // The face shows everything the program writes in it, so no stand-ins
  // are looked for.
  EXPECT_TRUE(font.styleStrategy() & QFont::NoFontMerging);
}

TEST(SongFace, LatinLettersOfANameAreEvenlySpacedInWholePixels) {
  QTextLayout layout(QStringLiteral("|Bubble Fighter|"), SongFont(13));
  layout.beginLayout();
  layout.createLine();
  layout.endLayout();
  const QList<QGlyphRun> runs = layout.glyphRuns();
  ASSERT_EQ(runs.size(), 1);
  const QList<QPointF> at = runs.first().positions();
  ASSERT_EQ(at.size(), 16);
  const qreal pitch = at[1].x() - at[0].x();
  EXPECT_EQ(pitch, std::round(pitch)) << "letters fall between pixels";
  for (int i = 1; i < at.size(); ++i)
    EXPECT_EQ(at[i].x() - at[i - 1].x(), pitch) << i;
}

TEST(SongFace, NamesAreThirteenPixelsPerChineseCharacter) {
  InstallFontSubstitutions();
  QFont song(kSongFamily);
  song.setPixelSize(13);
  const QFontMetrics metrics(song);
  EXPECT_EQ(metrics.horizontalAdvance(QStringLiteral("消")), 13);
  EXPECT_LE(metrics.height(), 14);
  // Two, three, four Chinese characters between the bars.
  const int two = metrics.horizontalAdvance(QStringLiteral("|雷电|"));
  const int three = metrics.horizontalAdvance(QStringLiteral("|消方格|"));
  const int four = metrics.horizontalAdvance(QStringLiteral("|酷猫厉险|"));
  EXPECT_EQ(three - two, 13);
  EXPECT_EQ(four - three, 13);
  EXPECT_NEAR(two, 40, 1);
  std::printf("Song face %s: %d, %d, %d px\n", qPrintable(QFontInfo(song).family()), two, three,
              four);
}

// Where two names share columns, the one on top (laid out later) takes a
// click there; each takes its own columns.
TEST(GameNameLabel, ASharedColumnGoesToTheNameOnTop) {
  QWidget page;
  page.resize(100, 30);
  auto* left = new GameNameLabel(QStringLiteral("|左|"), Qt::blue, 40, &page);
  auto* right = new GameNameLabel(QStringLiteral("|右|"), Qt::blue, 40, &page);
  left->move(0, 5);
  right->move(38, 5);
  page.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
  QSignalSpy leftClicks(left, &GameNameLabel::clicked);
  QSignalSpy rightClicks(right, &GameNameLabel::clicked);
  for (const auto& [x, expectLeft] :
       {std::pair{37, true}, std::pair{38, false}, std::pair{39, false}, std::pair{77, false}}) {
    leftClicks.clear();
    rightClicks.clear();
    QTest::mouseClick(page.windowHandle(), Qt::LeftButton, {}, QPoint(x, 10));
    EXPECT_EQ(leftClicks.size(), expectLeft ? 1 : 0) << x;
    EXPECT_EQ(rightClicks.size(), expectLeft ? 0 : 1) << x;
  }
}

}  // namespace
