#include "platform/messageboxprompt.h"

#include "platform/dialogframe.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace {

// Centred on the screen by its frame, once its size is final: Qt places a
// box before it has laid itself out, and by its client area alone.
class ScreenCentredBox final : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;

 protected:
  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);
    PrepareDialogFrame(*this, /*centre=*/true);
  }
};

}  // namespace

bool MessageBoxPrompt::Confirm(const QString& question) {
  // No parent: the box belongs to the screen rather than to a window.
  ScreenCentredBox box(QMessageBox::Question, QStringLiteral("Confirm"), question);
  QPushButton* yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
  QPushButton* no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
  box.setDefaultButton(yes);
  box.setEscapeButton(no);
  if (auto* text = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
    text->setFont(m_questionFont());
  if (m_icon)
    box.setIconPixmap(m_icon());
  box.exec();
  return box.clickedButton() == yes;
}
