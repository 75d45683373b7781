#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The download notice: a small dialog that tells how a download ended.
class TForm4 final : public QDialog {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TForm4)

 public:
  explicit TForm4(QWidget* parent = nullptr);

  // Shows the notice without waiting for it, then sets its text; a notice
  // already visible gets the new text and comes to the front.
  void ShowNotice(const QString& text);

  void BitBtn1Click();

  QLabel* st1 = nullptr;
  QPushButton* BitBtn1 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // Centred the first time, then shown where it was last hidden.
  bool m_placed = false;
};

extern TForm4* Form4;
