#include "uikit/widgets.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleHints>

namespace {

// Pictures and names never take the keyboard: keys belong to the window.
void MakeMouseOnly(QAbstractButton& button) {
  button.setFocusPolicy(Qt::NoFocus);
  button.setAutoRepeat(false);
}

}  // namespace

PictureBox::PictureBox(const QImage& image, QWidget* parent, bool reportMoves)
    : QAbstractButton(parent), m_image(image), m_reportMoves(reportMoves) {
  MakeMouseOnly(*this);
  setFixedSize(image.deviceIndependentSize().toSize());
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(reportMoves);
}

void PictureBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, m_image);
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
  if (m_reportMoves)
    Q_EMIT mouseMoved();
  QAbstractButton::mouseMoveEvent(event);
  // The window behind hears of a move only through mouseMoved.
  event->accept();
}

GameNameLabel::GameNameLabel(const QString& caption, const QColor& colour, int width,
                             QWidget* parent)
    : QAbstractButton(parent), m_colour(colour) {
  MakeMouseOnly(*this);
  setText(caption);
  setFixedSize(width, 13);
  setCursor(Qt::PointingHandCursor);
}

void GameNameLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(m_colour);
  painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text());
}

bool GameNameLabel::hitButton(const QPoint& pos) const {
  if (!rect().contains(pos))
    return false;
  // Where two names share a column, the one drawn on top takes the click.
  return parentWidget()->childAt(mapToParent(pos)) == this;
}

void GameNameLabel::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    m_lastPress = event->timestamp();
    m_pressedBefore = true;
  }
  QAbstractButton::mousePressEvent(event);
}

void GameNameLabel::mouseDoubleClickEvent(QMouseEvent* event) {
  // A quick second press comes as a double click even after a press on another name;
  // only one on this same name belongs to the first.
  const quint64 interval = quint64(QGuiApplication::styleHints()->mouseDoubleClickInterval());
  if (m_pressedBefore && event->timestamp() - m_lastPress <= interval) {
    event->accept();
    return;
  }
  mousePressEvent(event);
}
