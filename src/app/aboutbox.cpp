#include "app/aboutbox.h"

#include "platform/dialogframe.h"
#include "uikit/artwork.h"
#include "uikit/fonts.h"

#include <qdrawutil.h>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

#include <utility>

namespace {

// A panel with a lowered outer and a raised inner bevel.
class BevelPanel final : public QFrame {
 public:
  using QFrame::QFrame;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    qDrawShadePanel(&painter, rect(), palette(), true, 1);
    qDrawShadePanel(&painter, rect().adjusted(1, 1, -1, -1), palette(), false, 1);
  }
};

}  // namespace

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  InstallFontSubstitutions();
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QStringLiteral("关于..."));
  setFixedSize(248, 168);
  QFont windowFont(kSansFamily);
  windowFont.setPixelSize(11);
  setFont(windowFont);
  const QFont labelFont = SongFont(13);

  // The panel and what it holds.
  auto* panel = new BevelPanel(this);
  panel->setGeometry(8, 8, 233, 113);

  ProgramIcon = new QLabel(panel);
  ProgramIcon->setGeometry(8, 12, 65, 57);
  ProgramIcon->setScaledContents(true);
  ProgramIcon->setPixmap(QPixmap::fromImage(artwork::AboutPicture(artwork::ScreenScale())));

  const auto label = [&](const QString& text, int left, int top) {
    auto* item = new QLabel(text, panel);
    item->setFont(labelFont);
    item->move(left, top);
    item->adjustSize();
    return item;
  };
  ProductName = label(QStringLiteral("Quillet"), 88, 16);
  Version = label(QStringLiteral("版本：" QUILLET_VERSION), 88, 40);
  Copyright = label(QStringLiteral("Quillet 开发组"), 8, 80);

  // The button below the panel.
  OKButton = new QPushButton(QStringLiteral("OK"), this);
  OKButton->setGeometry(87, 132, 75, 25);
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);
}

TAboutBox::~TAboutBox() = default;

void TAboutBox::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Centred on the screen for the first showing; a window manager left to
  // place the box itself may put it anywhere. Being placed, it reopens
  // wherever it was when hidden.
  PrepareDialogFrame(*this, /*centre=*/!std::exchange(m_placed, true));
}

void TAboutBox::OKButtonClick() {
  hide();
}
