#include "launcher/form1.h"

#include "catalogue/catalogue.h"
#include "launcher/layout.h"
#include "launcher/lettering.h"
#include "launcher/roll.h"
#include "platform/windowsystem.h"
#include "uikit/artwork.h"
#include "uikit/fonts.h"
#include "uikit/widgets.h"

#include <QAction>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QMenu>
#include <QPixmap>
#include <QStackedWidget>
#include <QTimer>
#include <QWindow>

#include <array>

using layout::kFirstPage;

TForm1::TForm1(QWidget* parent) : TForm1(m_primaryScreen, parent) {}

TForm1::TForm1(const ScreenWidthSource& screen, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_screen(screen) {
  LetteringJob lettering(kFirstPage, m_scale);

  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Quilletta"));
  // Task bars name a window by its icon name: the application's title.
  setWindowIconText(QStringLiteral("Quillet"));
  setWindowIcon(QIcon(QPixmap::fromImage(artwork::ProgramIcon())));
  setLayoutDirection(Qt::LeftToRight);
  setGeometry(832, 0, layout::kWidth, layout::kFullHeight);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, layout::kSkyBlue);
  setPalette(palette);
  setAutoFillBackground(true);
  QFont font(kSansFamily);
  font.setPixelSize(11);
  setFont(font);
  setCursor(Qt::ArrowCursor);
  setFocusPolicy(Qt::StrongFocus);
  // The strips and the band above the bottom strip report every move.
  setMouseTracking(true);

  BuildMenu();
  BuildPages();
  // Placed before its native window exists: moved later, it sometimes landed at 0, 0.
  FormCreate();
  // The native window too is made while the lettering is drawn.
  winId();

  const Lettering& drawn = lettering.Wait();
  InstallFontSubstitutions();
  BuildStrips(drawn);
  FillFirstPage(drawn);

  ti = new QTimer(this);
  ti->setInterval(4000);
  ti->setSingleShot(false);
  connect(ti, &QTimer::timeout, this, &TForm1::tiTimer);
}

TForm1::~TForm1() = default;

void TForm1::BuildStrips(const Lettering& lettering) {
  const auto picture = [this](const char* name, const QImage& image, int left, int top) {
    auto* box = new PictureBox(image, this, true);
    box->setObjectName(QString::fromLatin1(name));
    box->move(left, top);
    connect(box, &PictureBox::mouseMoved, this, &TForm1::FormMouseMove);
    return box;
  };

  // Bottom strip, then the top strip; no two of them overlap.
  picture("Image1", artwork::OrnamentPicture(m_scale), -1, 533);
  PictureBox* image3 = picture("Image3", lettering.menuButton, 42, 533);
  image3->setCursor(Qt::PointingHandCursor);
  connect(image3, &PictureBox::clicked, this, &TForm1::Image3Click);
  PictureBox* image4 = picture("Image4", lettering.hideButton, 89, 533);
  image4->setCursor(Qt::PointingHandCursor);
  connect(image4, &PictureBox::clicked, this, &TForm1::Image4Click);

  PictureBox* image2 = picture("Image2", lettering.title, -1, 0);
  connect(image2, &PictureBox::clicked, this, &TForm1::Image2Click);
  PictureBox* image5 = picture("Image5", artwork::MinimizePicture(m_scale), 147, 0);
  connect(image5, &PictureBox::clicked, this, &TForm1::Image5Click);
  PictureBox* image6 = picture("Image6", artwork::ClosePicture(m_scale), 165, 0);
  connect(image6, &PictureBox::clicked, this, &TForm1::Image6Click);

  // The page container lies above the strips where they overlap.
  pp->raise();
}

void TForm1::BuildPages() {
  pp = new QStackedWidget(this);
  pp->setObjectName(QStringLiteral("pp"));
  pp->setGeometry(-2, 26, 187, 504);
  // Inside the frame and the one-pixel tab column, as a page control with hidden tabs.
  pp->setContentsMargins(5, 2, 3, 2);
  pp->setAutoFillBackground(true);
  // Moves over the pages never reach the window, even with a button held; right clicks do.
  pp->installEventFilter(this);

  for (const GameCategory& category : GameCategories()) {
    auto* page = new QWidget(pp);
    page->setObjectName(QString::fromLatin1(category.page));
    pp->addWidget(page);
  }
  pp->setCurrentIndex(kFirstPage - 1);  // TabSheet5
}

// The other pages are filled after the first paint, so that the window shows sooner.
void TForm1::FillFirstPage(const Lettering& lettering) {
  pp->setFont(SongFont(13));
  for (int bar = 1; bar <= 6; ++bar)
    (bar == kFirstPage ? m_ownBars : m_plainBars)[bar - 1] = lettering.firstPageBars[bar - 1];
  BuildPage(kFirstPage, lettering.firstPageNameWidths);
}

QImage TForm1::BarPicture(int category, bool own) {
  QImage& picture = (own ? m_ownBars : m_plainBars)[category - 1];
  if (picture.isNull())
    picture = artwork::CategoryBarPicture(layout::CategoryTitle(category), own, m_scale);
  return picture;
}

void TForm1::BuildPage(int category, std::vector<int> nameWidths) {
  if (m_pageBuilt[category - 1])
    return;
  m_pageBuilt[category - 1] = true;
  QWidget* page = pp->widget(category - 1);

  // The six bars; only the others' bars switch pages.
  using Handler = void (TForm1::*)();
  const std::array<Handler, 6> barHandlers = {
      &TForm1::Image35Click, &TForm1::Image12Click, &TForm1::Image11Click,
      &TForm1::Image10Click, &TForm1::Image9Click,  &TForm1::Image8Click,
  };
  for (int bar = 1; bar <= 6; ++bar) {
    const bool own = bar == category;
    auto* box = new PictureBox(BarPicture(bar, own), page);
    box->setObjectName(QString::fromLatin1(layout::BarName(category, bar)));
    box->move(3, layout::BarTop(category, bar));
    if (!own) {
      box->setCursor(Qt::PointingHandCursor);
      connect(box, &PictureBox::clicked, this, barHandlers[bar - 1]);
    }
  }

  // In display order, so that of two names sharing a column the right-hand one is on top.
  const QColor hotTrack = QGuiApplication::palette().color(QPalette::Link);
  if (nameWidths.empty())
    nameWidths = NameWidths(category);
  const GameCategory& names = GameCategories()[category - 1];
  for (std::size_t i = 0; i < names.count; ++i) {
    const GameEntry& entry = names.entries[i];
    const QColor colour = entry.colour == NameColour::Green ? layout::kGreen : hotTrack;
    auto* name = new GameNameLabel(QString::fromUtf8(entry.caption), colour, nameWidths[i], page);
    name->move(entry.x, entry.y);
    const QString stem = QString::fromLatin1(entry.stem);
    connect(name, &GameNameLabel::clicked, this, [this, stem] { Q_EMIT gameChosen(stem); });
  }
}

void TForm1::BuildMenu() {
  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  N4 = PopupMenu1->addAction(QStringLiteral("帮助(&H)"));
  A1 = PopupMenu1->addAction(QStringLiteral("关于...(&A)"));
  N2 = PopupMenu1->addSeparator();
  C1 = PopupMenu1->addAction(QStringLiteral("退出 当前游戏(&Q)"));
  C1->setEnabled(false);
  N1 = PopupMenu1->addAction(QStringLiteral("关闭 Quillet(&E)"));
  N4->setObjectName(QStringLiteral("N4"));
  A1->setObjectName(QStringLiteral("A1"));
  N2->setObjectName(QStringLiteral("N2"));
  C1->setObjectName(QStringLiteral("C1"));
  N1->setObjectName(QStringLiteral("N1"));
  connect(N4, &QAction::triggered, this, &TForm1::N4Click);
  connect(A1, &QAction::triggered, this, &TForm1::A1Click);
  connect(C1, &QAction::triggered, this, &TForm1::quitGameRequested);
  connect(N1, &QAction::triggered, this, &TForm1::N1Click);

  // A right click anywhere on the launcher opens the same menu.
  setContextMenuPolicy(Qt::CustomContextMenu);
  connect(this, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { PopupMenu1->popup(mapToGlobal(pos)); });
}

void TForm1::FormCreate() {
  move(LauncherLeftFor(m_screen.ScreenWidth()), y());
}

QPoint TForm1::ContextMenuPosition() const {
  return QPoint(x() - 106, ContextMenuYFor(m_screen.ScreenWidth()));
}

void TForm1::ChangeGeometry(const QRect& geometry) {
  if (geometry != this->geometry())
    windowsystem::SetGeometry(*windowHandle(), geometry);
}

void TForm1::RollUp() {
  ChangeGeometry(QRect(x(), roll::kRolledUpTop, layout::kWidth, roll::RolledUpHeight(height())));
}

void TForm1::FormMouseMove() {
  // Rolled down first: a strip handed back to the window manager loses the keyboard it had.
  ChangeGeometry(QRect(x(), y(), layout::kWidth, roll::MouseRolledDownHeight(height())));
  windowsystem::Activate(*windowHandle());
  setFocus(Qt::MouseFocusReason);
}

void TForm1::Image2Click() {
  ChangeGeometry(QRect(x(), y(), layout::kWidth, roll::ClickRolledDownHeight(height())));
}

void TForm1::Image3Click() {
  PopupMenu1->popup(ContextMenuPosition());
}

void TForm1::Image4Click() {
  RollUp();
}

void TForm1::Image5Click() {
  windowsystem::Minimize(*windowHandle());
}

void TForm1::Image6Click() {
  close();
}

void TForm1::N1Click() {
  close();
}

void TForm1::N4Click() {
  Q_EMIT helpRequested();
}

void TForm1::A1Click() {
  Q_EMIT aboutRequested();
}

void TForm1::ShowPage(int category) {
  BuildPage(category);
  pp->setCurrentIndex(category - 1);
}

void TForm1::Image35Click() {
  ShowPage(1);
}
void TForm1::Image12Click() {
  ShowPage(2);
}
void TForm1::Image11Click() {
  ShowPage(3);
}
void TForm1::Image10Click() {
  ShowPage(4);
}
void TForm1::Image9Click() {
  ShowPage(5);
}
void TForm1::Image8Click() {
  ShowPage(6);
}

void TForm1::tiTimer() {
  Q_EMIT closeNoticeRequested();
  ti->stop();
}

void TForm1::FormKeyDown(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape)
    Q_EMIT escapePressed();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == pp && event->type() == QEvent::MouseMove)
    return true;
  return QWidget::eventFilter(watched, event);
}

void TForm1::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  if (!m_otherPagesQueued) {
    m_otherPagesQueued = true;
    QTimer::singleShot(0, this, [this] {
      for (int category = 1; category <= 6; ++category)
        BuildPage(category);
    });
  }
}

void TForm1::mouseMoveEvent(QMouseEvent*) {
  FormMouseMove();
}

void TForm1::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  windowsystem::ReturnKeyboardToGame(*windowHandle());
}

// No control takes the keyboard, so every key for the launcher arrives here.
void TForm1::keyPressEvent(QKeyEvent* event) {
  FormKeyDown(event);
}
