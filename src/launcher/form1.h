#pragma once

// The launcher: an always-on-top sidebar of games; it emits choices, the program acts.

#include "launcher/placement.h"
#include "uikit/artwork.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

#include <array>
#include <vector>

class QAction;
class QKeyEvent;
class QMenu;
class QStackedWidget;
class QTimer;
struct Lettering;

class TForm1 final : public QWidget {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TForm1)

 public:
  explicit TForm1(QWidget* parent = nullptr);
  // `screen` is read each time it is needed and must outlive the window.
  explicit TForm1(const ScreenWidthSource& screen, QWidget* parent = nullptr);
  ~TForm1() override;

  // The page container, TabSheet1 to TabSheet6; its tabs are never shown.
  QStackedWidget* pp = nullptr;
  QMenu* PopupMenu1 = nullptr;
  QAction* N4 = nullptr;  // help page
  QAction* A1 = nullptr;  // About box
  QAction* N2 = nullptr;  // separator
  QAction* C1 = nullptr;  // quit the running game; disabled until one plays
  QAction* N1 = nullptr;  // close the launcher
  QTimer* ti = nullptr;   // closes the download notice; 4000 ms, stopped at start

  // Shrinks the launcher to a strip of two or three rows at the screen's top.
  void RollUp();

  // Where Image3 opens the menu: 106 pixels left of the launcher, height by screen width.
  QPoint ContextMenuPosition() const;

  void FormCreate();
  void FormMouseMove();
  void FormKeyDown(QKeyEvent* event);
  void Image2Click();
  void Image3Click();
  void Image4Click();
  void Image5Click();
  void Image6Click();
  void N1Click();
  void N4Click();
  void A1Click();
  void Image35Click();
  void Image12Click();
  void Image11Click();
  void Image10Click();
  void Image9Click();
  void Image8Click();
  void tiTimer();

 Q_SIGNALS:
  void gameChosen(const QString& stem);
  void helpRequested();
  void aboutRequested();
  void quitGameRequested();
  void escapePressed();
  void closeNoticeRequested();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildStrips(const Lettering& lettering);
  void BuildPages();
  void FillFirstPage(const Lettering& lettering);
  void BuildMenu();
  // Without `nameWidths`, measures the names itself.
  void BuildPage(int category, std::vector<int> nameWidths = {});
  QImage BarPicture(int category, bool own);
  void ShowPage(int category);
  // Every roll is one change of the window's geometry.
  void ChangeGeometry(const QRect& geometry);

  PrimaryScreenWidth m_primaryScreen;
  // The pictures are drawn for the sharpest screen there is at start.
  const int m_scale = artwork::ScreenScale();
  const ScreenWidthSource& m_screen;
  // Each bar picture is drawn once, when the first page that shows it is built.
  std::array<QImage, 6> m_plainBars;
  std::array<QImage, 6> m_ownBars;
  std::array<bool, 6> m_pageBuilt{};
  bool m_otherPagesQueued = false;
};
