#pragma once

// The two kinds of control the launcher is built from: pictures and game names.

#include <QAbstractButton>
#include <QImage>

// A click is a left press and release over it; `reportMoves` also reports every move.
class PictureBox final : public QAbstractButton {
  Q_OBJECT

 public:
  PictureBox(const QImage& image, QWidget* parent, bool reportMoves = false);

  const QImage& image() const { return m_image; }

 Q_SIGNALS:
  void mouseMoved();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  QImage m_image;
  bool m_reportMoves;
};

// A click only when press and release land on this same name, and not the second
// press of a double click. Plain painting keeps the 226 names cheap to build.
class GameNameLabel final : public QAbstractButton {
  Q_OBJECT

 public:
  GameNameLabel(const QString& caption, const QColor& colour, int width, QWidget* parent);

  const QColor& colour() const { return m_colour; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool hitButton(const QPoint& pos) const override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  QColor m_colour;
  // A double click following this press is the same gesture, not a new click.
  quint64 m_lastPress = 0;
  bool m_pressedBefore = false;
};
