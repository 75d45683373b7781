#include "uikit/fonts.h"

#include "catalogue/catalogue.h"
#include "uikit/artwork.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <vector>

QString SongText() {
  // The texts of the layers above (About box, notice, questions), which a
  // test holds to this list.
  QString text =
      QStringLiteral("= Quillet 版本：" QUILLET_VERSION
                     " 开发组 下载完成，现在可以开始玩了！无法连接网络，请检查是否已上网！"
                     "确定要退出游戏吗？该游戏还没有下载，现在马上下载？");
  text += QString::fromUtf8(kMenuButtonText) + QString::fromUtf8(kHideButtonText);
  for (const GameCategory& category : GameCategories()) {
    text += QString::fromUtf8(category.title);
    for (const GameEntry& entry : category)
      text += QString::fromUtf8(entry.caption);
  }
  return text;
}

namespace {

// Drawn as the names are, so that the face measured is the one they use.
QFont SongCandidate(const QString& family) {
  QFont font(family);
  font.setPixelSize(13);
  font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoFontMerging));
  return font;
}

int MissingCharacters(const QFontMetrics& metrics, const QString& text) {
  int missing = 0;
  for (const uint code : text.toUcs4()) {
    if (!metrics.inFontUcs4(code))
      ++missing;
  }
  return missing;
}

struct SongChoice {
  QString family;
  bool complete = false;  // the face shows every character of SongText
};

SongChoice ChooseSongFace(const QStringList& candidates) {
  const QStringList installed = QFontDatabase::families();
  const QString text = SongText();
  struct Candidate {
    QString family;
    int error;
  };
  std::vector<Candidate> ranked;
  for (const QString& family : candidates) {
    if (!installed.contains(family))
      continue;
    // Judged in whole pixels, as a character on the screen is.
    const QFontMetrics metrics(SongCandidate(family));
    const int error = std::abs(metrics.horizontalAdvance(QStringLiteral("消")) - 13) +
                      std::abs(metrics.horizontalAdvance(QLatin1Char('|')) - 7);
    // An exact face that shows everything comes first whatever follows, so
    // the faces after it are not loaded at all.
    if (error == 0 && MissingCharacters(metrics, text) == 0)
      return {family, true};
    ranked.push_back({family, error});
  }
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const Candidate& a, const Candidate& b) { return a.error < b.error; });

  // The closest face that shows every character; coverage is checked in
  // order of closeness, so that the faces further down are not loaded for
  // nothing.
  SongChoice best;
  int bestMissing = std::numeric_limits<int>::max();
  for (const Candidate& candidate : ranked) {
    const int missing = MissingCharacters(QFontMetrics(SongCandidate(candidate.family)), text);
    if (missing < bestMissing) {
      best = {candidate.family, missing == 0};
      bestMissing = missing;
    }
    if (missing == 0)
      break;
  }
  return best;
}

const SongChoice& Song() {
  static const SongChoice choice =
      ChooseSongFace({QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL SungtiL GB")});
  return choice;
}

}  // namespace

QString ClosestSongFace(const QStringList& candidates) {
  return ChooseSongFace(candidates).family;
}

const QString& SongFace() {
  return Song().family;
}

void InstallFontSubstitutions() {
  // Qt's table keeps each substitute once, so a second call changes nothing.
  if (!SongFace().isEmpty())
    QFont::insertSubstitution(kSongFamily, SongFace());
  if (!QFont::substitutes(kSansFamily).isEmpty())
    return;
  const QStringList families = QFontDatabase::families();
  for (const QString& sans : {QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")}) {
    if (families.contains(sans)) {
      QFont::insertSubstitution(kSansFamily, sans);
      break;
    }
  }
}

QFont SongFont(int pixelSize) {
  QFont font;
  // The design's name first, then the face chosen for it: the launcher
  // letters its pictures on other threads, before the substitution is in.
  font.setFamilies(SongFace().isEmpty() ? QStringList{kSongFamily}
                                        : QStringList{kSongFamily, SongFace()});
  font.setPixelSize(pixelSize);
  // Whole-pixel advances from the face's own hinting: its half-width
  // letters measure 6.5 pixels unhinted, and rounding each position on its
  // own spaces them unevenly ("Bubbl e Fi ghter").
  font.setHintingPreference(QFont::PreferFullHinting);
  // Looking for stand-ins for missing characters costs a search of every
  // installed face; a face that shows them all needs none.
  font.setStyleStrategy(Song().complete
                            ? QFont::StyleStrategy(QFont::NoAntialias | QFont::NoFontMerging)
                            : QFont::NoAntialias);
  return font;
}
