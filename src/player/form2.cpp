#include "player/form2.h"

#include "player/shockwaveflash.h"

TForm2::TForm2(const QString& programFolder, const QString& gameServer, QObject* parent)
    : QObject(parent) {
  f = new TShockwaveFlash(programFolder, gameServer, this);
  connect(f, &TShockwaveFlash::escapePressed, this, &TForm2::escapePressed);
  connect(f, &TShockwaveFlash::rendererLost, this, &TForm2::playerLost);
}

TForm2::~TForm2() = default;

void TForm2::ShowMaximized() {
  f->ShowPlayer(true);
}

void TForm2::hide() {
  f->ShowPlayer(false);
}

bool TForm2::isVisible() const {
  return f->IsShown();
}

unsigned long TForm2::WindowId() const {
  return f->WindowId();
}
