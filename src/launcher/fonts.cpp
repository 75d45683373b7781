#include "launcher/fonts.h"

#include "catalogue/catalogue.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>

#include <cmath>
#include <limits>

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
  const QString text = CatalogueText();
  QString best;
  int bestMissing = std::numeric_limits<int>::max();
  double bestError = std::numeric_limits<double>::max();
  for (const QString& family : candidates) {
    if (!installed.contains(family))
      continue;
    QFont font(family);
    font.setPixelSize(13);
    const QFontMetricsF metrics(font);
    const int missing = MissingCharacters(metrics, text);
    const double error = std::abs(metrics.horizontalAdvance(QStringLiteral("消")) - 13.0) +
                         std::abs(metrics.horizontalAdvance(QLatin1Char('|')) - 7.0);
    if (missing < bestMissing || (missing == bestMissing && error < bestError)) {
      best = family;
      bestMissing = missing;
      bestError = error;
    }
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
