#include "notice/form4.h"

#include "platform/dialogframe.h"
#include "uikit/artwork.h"
#include "uikit/fonts.h"

#include <QFont>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include <utility>

TForm4* Form4 = nullptr;

TForm4::TForm4(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
  setWindowTitle(QStringLiteral("提示"));
  setFixedSize(260, 83);
  setModal(false);

  // The message, sized to its text.
  st1 = new QLabel(QStringLiteral("下载完成，现在可以开始玩了！"), this);
  st1->setFont(SongFont(13));
  st1->move(8, 16);
  st1->adjustSize();

  // The OK button with its check mark, sharp on every screen; Enter presses it.
  QIcon checkMark;
  for (const int scale : {1, 2})
    checkMark.addPixmap(QPixmap::fromImage(artwork::CheckMarkGlyph(scale)));
  BitBtn1 = new QPushButton(checkMark, QStringLiteral("确定"), this);
  BitBtn1->setGeometry(96, 48, 73, 25);
  BitBtn1->setDefault(true);
  connect(BitBtn1, &QPushButton::clicked, this, &TForm4::BitBtn1Click);
}

void TForm4::ShowNotice(const QString& text) {
  BringDialogForward(*this);
  st1->setText(text);
  st1->adjustSize();
}

void TForm4::BitBtn1Click() {
  hide();
}

void TForm4::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // A hidden window keeps its place; the first showing is centred on the screen.
  PrepareDialogFrame(*this, /*centre=*/!std::exchange(m_placed, true));
  BitBtn1->setFocus();
}
