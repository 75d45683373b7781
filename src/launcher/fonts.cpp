#include "launcher/fonts.h"

#include "catalogue/catalogue.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// Every character a name or a bar title shows.
QString CatalogueText() {
  QString text = QStringLiteral("= ");
  for (const GameCategory& category : GameCategories()) {
    text += QString::fromUtf8(category.title);
    for (const GameEntry& entry : category)
      text += QString::fromUtf8(entry.caption);
  }
  return text;
}

QFont SongCandidate(const QString& family) {
  QFont font(family);
  font.setPixelSize(13);
  return font;
}

int MissingCharacters(const QFontMetricsF& metrics, const QString& text) {
  int missing = 0;
  for (const uint code : text.toUcs4()) {
    if (!metrics.inFontUcs4(code))
      ++missing;
  }
  return missing;
}

}  // namespace

QString ClosestSongFace(const QStringList& candidates) {
  const QStringList installed = QFontDatabase::families();
  struct Candidate {
    QString family;
    double error;
  };
  std::vector<Candidate> ranked;
  for (const QString& family : candidates) {
    if (!installed.contains(family))
      continue;
    const QFontMetricsF metrics(SongCandidate(family));
    ranked.push_back({family, std::abs(metrics.horizontalAdvance(QStringLiteral("消")) - 13.0) +
                                  std::abs(metrics.horizontalAdvance(QLatin1Char('|')) - 7.0)});
  }
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const Candidate& a, const Candidate& b) { return a.error < b.error; });

  // The closest face that shows every name; coverage is checked in order of
  // closeness, so that the faces further down are not loaded for nothing.
  const QString text = CatalogueText();
  QString best;
  int bestMissing = std::numeric_limits<int>::max();
  for (const Candidate& candidate : ranked) {
    const int missing = MissingCharacters(QFontMetricsF(SongCandidate(candidate.family)), text);
    if (missing < bestMissing) {
      best = candidate.family;
      bestMissing = missing;
    }
    if (missing == 0)
      break;
  }
  return best;
}

void InstallFontSubstitutions() {
  static bool installed = false;
  if (installed)
    return;
  installed = true;

  const QString song =
      ClosestSongFace({QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL SungtiL GB")});
  if (!song.isEmpty())
    QFont::insertSubstitution(kSongFamily, song);

  const QStringList families = QFontDatabase::families();
  for (const QString& sans : {QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")}) {
    if (families.contains(sans)) {
      QFont::insertSubstitution(kSansFamily, sans);
      break;
    }
  }
}

QFont SongFont(int pixelSize, bool bold) {
  QFont font(kSongFamily);
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}
