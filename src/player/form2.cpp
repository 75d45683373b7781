#include "player/form2.h"

#include "player/shockwaveflash.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QVBoxLayout>

TForm2::TForm2(const QString& programFolder, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
  setWindowTitle(QString::fromUtf8("小游戏"));
  resize(800, 600);  // the stored size; the maximized state overrides it
  // Black, as the empty player's stage, wherever the movie has not drawn yet.
  QPalette black = palette();
  black.setColor(QPalette::Window, Qt::black);
  setPalette(black);
  setAutoFillBackground(true);

  // The Flash control, filling the client area, hidden until the first game.
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  f = new TShockwaveFlash(programFolder, this);
  f->setVisible(false);
  layout->addWidget(f);

  // The movie's web view keeps its keyboard focus in an inner widget that the
  // window never sees; an application-wide filter gives us the key first.
  qApp->installEventFilter(this);
  connect(f, &TShockwaveFlash::movieLoaded, this, &TForm2::RefocusMovie);
}

TForm2::~TForm2() {
  qApp->removeEventFilter(this);
}

void TForm2::ShowMaximized() {
  showFullScreen();
  raise();
  activateWindow();
}

void TForm2::FormKeyDown(QKeyEvent* event) {
  // Only the key code counts; Shift, Ctrl and Alt are not looked at.
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    Q_EMIT escapePressed();
  }
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !isVisible())
    return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || widget->window() != this)
    return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() != Qt::Key_Escape)
    return false;  // other keys reach the movie untouched
  FormKeyDown(key);
  return true;
}

// The movie's web view tells its page that it has the keyboard only on a
// focus change while the window is active and the page is shown; at a game's
// start both come after the view took the focus, so that change is lost and
// keys go nowhere until the window is activated again. Taking the focus anew
// once the window is active, and again once the movie is in, repeats it.
void TForm2::RefocusMovie() {
  if (!isActiveWindow() || !f->isVisible())
    return;
  if (QWidget* focused = focusWidget())
    focused->clearFocus();
  f->FocusMovie();
}

void TForm2::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow())
    QTimer::singleShot(0, this, &TForm2::RefocusMovie);
}
