#pragma once

// The two kinds of control the launcher is built from: pictures and game names.

#include <QImage>
#include <QWidget>

// A picture of exactly its image's size. A click is a left press and release
// over it; with `reportMoves` it also reports every mouse move over it.
class PictureBox final : public QWidget {
  Q_OBJECT

 public:
  PictureBox(const QImage& image, QWidget* parent, bool reportMoves = false);

  const QImage& image() const { return m_image; }

 Q_SIGNALS:
  void clicked();
  void mouseMoved();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  QImage m_image;
  bool m_reportMoves;
  bool m_pressed = false;
};

// A game's name: one line of text in its own colour, in the font of its
// page, with the hand pointer, and a click only when the press and the
// release land on this same name. The second press of a double click does
// not count. Plain painting keeps the 226 names cheap to build.
class GameNameLabel final : public QWidget {
  Q_OBJECT

 public:
  GameNameLabel(const QString& caption, const QColor& colour, int width, QWidget* parent);

  const QString& text() const { return m_text; }
  const QColor& colour() const { return m_colour; }

 Q_SIGNALS:
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  bool TakesClickAt(const QPoint& pos) const;

  QString m_text;
  QColor m_colour;
  bool m_pressed = false;
};
