#include "launcher/widgets.h"

#include <QMouseEvent>
#include <QPainter>

PictureBox::PictureBox(const QImage& image, QWidget* parent, bool reportMoves)
    : QWidget(parent), m_image(image), m_reportMoves(reportMoves) {
  setFixedSize(image.size());
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(reportMoves);
}

void PictureBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, m_image);
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton)
    m_pressed = true;
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton)
    return;
  const bool inside = rect().contains(event->position().toPoint());
  const bool wasPressed = m_pressed;
  m_pressed = false;
  if (wasPressed && inside)
    Q_EMIT clicked();
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
  if (m_reportMoves)
    Q_EMIT mouseMoved();
  event->accept();
}

GameNameLabel::GameNameLabel(const QString& caption, const QColor& colour, int width,
                             QWidget* parent)
    : QWidget(parent), m_text(caption), m_colour(colour) {
  setFixedSize(width, 13);
  setCursor(Qt::PointingHandCursor);
}

void GameNameLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(m_colour);
  painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, m_text);
}

namespace {
// The name that took the last press. A quick second press lands here as a
// double click; on another name it is still that name's first press.
const GameNameLabel* g_lastPressed = nullptr;
}  // namespace

bool GameNameLabel::TakesClickAt(const QPoint& pos) const {
  if (!rect().contains(pos))
    return false;
  // Where two names share a column, the one drawn on top takes the click.
  return parentWidget()->childAt(mapToParent(pos)) == this;
}

void GameNameLabel::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton)
    return;
  m_pressed = true;
  g_lastPressed = this;
}

void GameNameLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton)
    return;
  const bool wasPressed = m_pressed;
  m_pressed = false;
  if (wasPressed && TakesClickAt(event->position().toPoint()))
    Q_EMIT clicked();
}

void GameNameLabel::mouseDoubleClickEvent(QMouseEvent* event) {
  // The second press of a double click on this name does not arm another click.
  if (g_lastPressed != this)
    mousePressEvent(event);
}
