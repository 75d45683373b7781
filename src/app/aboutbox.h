#pragma once

// The About box: the program's picture, name, version and publisher.

#include <QDialog>

class QLabel;
class QPushButton;

class TAboutBox final : public QDialog {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TAboutBox)

 public:
  explicit TAboutBox(QWidget* parent = nullptr);
  ~TAboutBox() override;

  QLabel* ProgramIcon = nullptr;
  QLabel* ProductName = nullptr;
  QLabel* Version = nullptr;
  QLabel* Copyright = nullptr;
  QPushButton* OKButton = nullptr;

  void OKButtonClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  bool m_placed = false;
};
