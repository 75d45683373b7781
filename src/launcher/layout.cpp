#include "launcher/layout.h"

#include "catalogue/catalogue.h"

#include <array>

namespace layout {

namespace {

// The bars of each page, category 1 to 6.
constexpr std::array<std::array<const char*, 6>, 6> kBarNames = {{
    {"Image7", "Image12", "Image11", "Image10", "Image9", "Image8"},
    {"Image35", "Image36", "Image13", "Image14", "Image15", "Image16"},
    {"Image32", "Image33", "Image34", "Image17", "Image18", "Image19"},
    {"Image28", "Image30", "Image31", "Image29", "Image20", "Image21"},
    {"Image23", "Image24", "Image25", "Image26", "Image27", "Image22"},
    {"Image37", "Image38", "Image39", "Image40", "Image41", "Image42"},
}};

}  // namespace

const char* BarName(int page, int category) {
  return kBarNames[page - 1][category - 1];
}

int BarTop(int page, int category) {
  return category <= page ? 2 + 21 * (category - 1) : 475 - 21 * (6 - category);
}

QString CategoryTitle(int category) {
  return QString::fromUtf8(GameCategories()[category - 1].title);
}

}  // namespace layout
