#include "platform/messageboxprompt.h"

#include <QMessageBox>
#include <QPushButton>

bool MessageBoxPrompt::Confirm(const QString& question) {
  // No parent: the box is centred on the screen rather than on a window.
  QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), question);
  QPushButton* yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
  QPushButton* no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
  box.setDefaultButton(yes);
  box.setEscapeButton(no);
  box.exec();
  return box.clickedButton() == yes;
}
