// Invariants of the game catalogue, checked against the catalogue as the
// launcher lists it rather than against a second copy of the table.

#include "catalogue/catalogue.h"

#include <QRegularExpression>
#include <QSet>
#include <QString>

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

std::vector<const GameEntry*> AllEntries() {
  std::vector<const GameEntry*> all;
  for (const GameCategory& category : GameCategories()) {
    for (const GameEntry& entry : category)
      all.push_back(&entry);
  }
  return all;
}

const GameEntry* FindByCaption(const char* caption) {
  for (const GameEntry* entry : AllEntries()) {
    if (QString::fromUtf8(entry->caption) == QString::fromUtf8(caption))
      return entry;
  }
  return nullptr;
}

// Rows of a category, keyed by y, in display order.
std::map<int, std::vector<const GameEntry*>> Rows(const GameCategory& category) {
  std::map<int, std::vector<const GameEntry*>> rows;
  for (const GameEntry& entry : category)
    rows[entry.y].push_back(&entry);
  return rows;
}

// The width of a caption in the launcher's 13-pixel Song face.
int NominalWidth(const char* caption) {
  int width = 0;
  for (QChar c : QString::fromUtf8(caption))
    width += c.unicode() < 0x80 ? 7 : 13;
  return width;
}

}  // namespace

TEST(Catalogue, SixCategoriesInNumberOrderWithTheirPages) {
  const char* titles[] = {"射击类小游戏", "运动类小游戏", "棋牌类小游戏",
                          "益智类小游戏", "冒险类小游戏", "综合类小游戏"};
  int n = 1;
  for (const GameCategory& category : GameCategories()) {
    EXPECT_EQ(category.number, n);
    EXPECT_EQ(QString::fromLatin1(category.page), QStringLiteral("TabSheet%1").arg(n));
    EXPECT_EQ(QString::fromUtf8(category.title), QString::fromUtf8(titles[n - 1]));
    // Eight pixels below the category's own bar, bars being stacked every 21 pixels from 2.
    EXPECT_EQ(category.firstRowY, 30 + 21 * (n - 1));
    ++n;
  }
}

TEST(Catalogue, CategoriesHoldTheirNumberOfGames) {
  const std::size_t counts[] = {48, 40, 26, 46, 41, 25};
  const int rows[] = {18, 14, 11, 18, 18, 12};
  for (const GameCategory& category : GameCategories()) {
    EXPECT_EQ(category.count, counts[category.number - 1]) << "category " << category.number;
    EXPECT_EQ(Rows(category).size(), std::size_t(rows[category.number - 1]))
        << "category " << category.number;
  }
  EXPECT_EQ(AllEntries().size(), 226u);
}

TEST(Catalogue, StemsAndCaptionsAreUnique) {
  QSet<QString> stems;
  QSet<QString> captions;
  for (const GameEntry* entry : AllEntries()) {
    EXPECT_FALSE(stems.contains(QString::fromLatin1(entry->stem))) << entry->stem;
    EXPECT_FALSE(captions.contains(QString::fromUtf8(entry->caption))) << entry->caption;
    stems.insert(QString::fromLatin1(entry->stem));
    captions.insert(QString::fromUtf8(entry->caption));
  }
}

TEST(Catalogue, StemsAreShortLowerCaseAsciiAndOnlyD21HasDigits) {
  const QRegularExpression letters(QStringLiteral("^[a-z]{2,9}$"));
  for (const GameEntry* entry : AllEntries()) {
    const QString stem = QString::fromLatin1(entry->stem);
    if (stem == QStringLiteral("d21"))
      continue;
    EXPECT_TRUE(letters.match(stem).hasMatch()) << entry->stem;
  }
  ASSERT_NE(FindByCaption("|21点牌|"), nullptr);
}

TEST(Catalogue, CaptionsAreOneNameBetweenTwoBars) {
  for (const GameEntry* entry : AllEntries()) {
    const QString caption = QString::fromUtf8(entry->caption);
    EXPECT_TRUE(caption.startsWith(QLatin1Char('|')) && caption.endsWith(QLatin1Char('|')))
        << entry->caption;
    EXPECT_EQ(caption.count(QLatin1Char('|')), 2) << entry->caption;
    EXPECT_GE(caption.size(), 4) << entry->caption;
  }
}

TEST(Catalogue, RowsFollowEveryTwentyPixelsAndStartAtSix) {
  for (const GameCategory& category : GameCategories()) {
    int expectedY = category.firstRowY;
    for (const auto& [y, row] : Rows(category)) {
      EXPECT_EQ(y, expectedY) << "category " << category.number;
      expectedY += 20;
      EXPECT_EQ(row.front()->x, 6) << row.front()->caption;
      EXPECT_GE(row.size(), 2u) << "row at y " << y;
      EXPECT_LE(row.size(), 4u) << "row at y " << y;
      for (std::size_t i = 1; i < row.size(); ++i)
        EXPECT_LT(row[i - 1]->x, row[i]->x);
    }
  }
}

TEST(Catalogue, EntriesAreInDisplayOrder) {
  for (const GameCategory& category : GameCategories()) {
    for (std::size_t i = 1; i < category.count; ++i) {
      const GameEntry& a = category.entries[i - 1];
      const GameEntry& b = category.entries[i];
      EXPECT_TRUE(a.y < b.y || (a.y == b.y && a.x < b.x)) << a.caption << " before " << b.caption;
    }
  }
}

TEST(Catalogue, NamesAreGroupedByWidthThreeCharacterNamesFirst) {
  for (const GameCategory& category : GameCategories()) {
    const auto rows = Rows(category);
    const auto& first = rows.begin()->second;
    ASSERT_EQ(first.size(), 3u) << "category " << category.number;
    for (const GameEntry* entry : first) {
      const int width = NominalWidth(entry->caption);
      EXPECT_TRUE(width == 53 || width == 54) << entry->caption;
    }
  }
}

TEST(Catalogue, NoNameReachesTheNextCategoryBar) {
  for (const GameCategory& category : GameCategories()) {
    if (category.number == 6)
      continue;  // nothing stands below the last category
    const int nextBarTop = 475 - 21 * (6 - (category.number + 1));
    for (const GameEntry& entry : category) {
      EXPECT_LE(entry.y + 13 + 8, nextBarTop) << entry.caption;
      EXPECT_GE(entry.y, category.firstRowY);
    }
  }
}

TEST(Catalogue, OnlyTwoNamesAreGreen) {
  std::vector<QString> green;
  for (const GameEntry* entry : AllEntries()) {
    if (entry->colour == NameColour::Green)
      green.push_back(QString::fromLatin1(entry->stem));
  }
  EXPECT_EQ(green, (std::vector<QString>{QStringLiteral("leid"), QStringLiteral("doudl")}));
  EXPECT_EQ(QString::fromUtf8(FindByCaption("|雷电|")->stem), QStringLiteral("leid"));
  EXPECT_EQ(QString::fromUtf8(FindByCaption("|豆豆龙|")->stem), QStringLiteral("doudl"));
}

// Stems are data: several differ from what a pinyin rule would make, and
// names that look alike carry different stems.
class CatalogueStem : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(CatalogueStem, EntryCarriesItsOwnStem) {
  const auto& [caption, stem] = GetParam();
  const GameEntry* entry = FindByCaption(caption);
  ASSERT_NE(entry, nullptr) << caption;
  EXPECT_EQ(QString::fromLatin1(entry->stem), QString::fromLatin1(stem));
}

INSTANTIATE_TEST_SUITE_P(
    NotFromPinyin, CatalogueStem,
    ::testing::Values(std::pair{"|跳山羊|", "shanyt"}, std::pair{"|空当接龙|", "dangkjl"},
                      std::pair{"|狙击手训练营|", "zujsxly"}, std::pair{"|同色相溶|", "tongsxy"},
                      std::pair{"|21点牌|", "d21"}, std::pair{"|CS预备队训练|", "cs"},
                      std::pair{"|反恐CS|", "fancs"}, std::pair{"|Bubble Fighter|", "bf"},
                      std::pair{"|1945VS2000|", "vs"}));

INSTANTIATE_TEST_SUITE_P(
    LookAlikes, CatalogueStem,
    ::testing::Values(std::pair{"|猜数字|", "caisz"}, std::pair{"|猜数|", "cais"},
                      std::pair{"|格斗|", "ged"}, std::pair{"|格斗天虫|", "gedtc"},
                      std::pair{"|格斗天王|", "gedtw"}, std::pair{"|蜗牛棋|", "wonq"},
                      std::pair{"|蜗牛过河|", "wongh"}, std::pair{"|消方格|", "xiaofg"}));

TEST(Catalogue, OverlappingNamesOfTheCrowdedRowAreWhereListed) {
  // The row at y 230 of category 1 is the one where names share columns.
  const GameEntry* action = FindByCaption("|反恐行动|");
  const GameEntry* arcade = FindByCaption("|街机霸主|");
  const GameEntry* ufo = FindByCaption("|UFO|");
  ASSERT_TRUE(action && arcade && ufo);
  EXPECT_EQ(action->y, 230);
  EXPECT_EQ(action->x + NominalWidth(action->caption) - arcade->x, 1);
  EXPECT_EQ(arcade->x + NominalWidth(arcade->caption) - ufo->x, 2);
}
