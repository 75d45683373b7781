#include "launcher/form1.h"

#include "catalogue/catalogue.h"
#include "launch/gamefolders.h"
#include "launcher/artwork.h"
#include "launcher/fonts.h"
#include "launcher/placement.h"
#include "launcher/widgets.h"

#include <QAction>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QMenu>
#include <QPixmap>
#include <QStackedWidget>
#include <QThreadPool>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <array>
#include <future>
#include <memory>
#include <vector>

namespace {

constexpr int kWidth = 184;
constexpr int kFullHeight = 556;
const QColor kSkyBlue(166, 202, 240);
const QColor kGreen(0, 128, 0);

// The bars of each page, category 1 to 6; the page's own bar is the one of
// its own category.
constexpr std::array<std::array<const char*, 6>, 6> kBarNames = {{
    {"Image7", "Image12", "Image11", "Image10", "Image9", "Image8"},
    {"Image35", "Image36", "Image13", "Image14", "Image15", "Image16"},
    {"Image32", "Image33", "Image34", "Image17", "Image18", "Image19"},
    {"Image28", "Image30", "Image31", "Image29", "Image20", "Image21"},
    {"Image23", "Image24", "Image25", "Image26", "Image27", "Image22"},
    {"Image37", "Image38", "Image39", "Image40", "Image41", "Image42"},
}};

// The bars stack from the top down to the page's own one; the rest stand at
// the bottom, the last ending at row 494.
int BarTop(int page, int category) {
  return category <= page ? 2 + 21 * (category - 1) : 475 - 21 * (6 - category);
}

const PrimaryScreenWidth& PrimaryScreen() {
  static const PrimaryScreenWidth screen;
  return screen;
}

// The page shown at start.
constexpr int kFirstPage = 5;

QString CategoryTitle(int category) {
  return QString::fromUtf8(GameCategories()[category - 1].title);
}

// The widths of a category's names, in catalogue order.
std::vector<int> NameWidths(int category) {
  const QFontMetrics metrics(SongFont(13));
  std::vector<int> widths;
  for (const GameEntry& entry : GameCategories()[category - 1])
    widths.push_back(metrics.horizontalAdvance(QString::fromUtf8(entry.caption)));
  return widths;
}

// Runs `work` on a pooled thread. A pooled thread outlives its job, so the
// caller waits for the work alone, not for the thread's fonts to be let go.
template <typename Work>
std::future<void> RunPooled(Work work) {
  auto task = std::make_shared<std::packaged_task<void()>>(std::move(work));
  std::future<void> done = task->get_future();
  QThreadPool::globalInstance()->start([task] { (*task)(); });
  return done;
}

}  // namespace

// Everything the window letters before it shows.
struct TForm1::Lettering {
  QImage title;
  QImage menuButton;
  QImage hideButton;
  std::array<QImage, 6> firstPageBars;
  std::vector<int> firstPageNameWidths;
};

TForm1::TForm1(QWidget* parent) : TForm1(PrimaryScreen(), parent) {}

TForm1::TForm1(const ScreenWidthSource& screen, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_screen(screen) {
  // Finding and loading the faces is the slowest part of start-up, so the
  // lettering is drawn on two pooled threads, the title in its own face on
  // one and the Song lettering on the other, while this thread builds the
  // rest of the window. Fonts work on any thread; only the substitutions
  // wait for this one. The jobs share the result, so it outlives them even
  // if this constructor is left early.
  const auto lettering = std::make_shared<Lettering>();
  std::future<void> title = RunPooled([lettering] { lettering->title = artwork::TitlePicture(); });
  std::future<void> song = RunPooled([lettering] {
    lettering->menuButton = artwork::MenuButtonPicture();
    lettering->hideButton = artwork::HideButtonPicture();
    for (int bar = 1; bar <= 6; ++bar)
      lettering->firstPageBars[bar - 1] =
          artwork::CategoryBarPicture(CategoryTitle(bar), bar == kFirstPage);
    lettering->firstPageNameWidths = NameWidths(kFirstPage);
  });

  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Quilletta"));
  setWindowIcon(QIcon(QPixmap::fromImage(artwork::ProgramIcon())));
  setLayoutDirection(Qt::LeftToRight);
  setGeometry(832, 0, kWidth, kFullHeight);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, kSkyBlue);
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
  // The native window too is made while the lettering is drawn.
  winId();

  title.wait();
  song.wait();
  InstallFontSubstitutions();
  BuildStrips(*lettering);
  FillFirstPage(*lettering);

  ti = new QTimer(this);
  ti->setInterval(4000);
  ti->setSingleShot(false);
  connect(ti, &QTimer::timeout, this, &TForm1::tiTimer);

  FormCreate();
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
  picture("Image1", artwork::OrnamentPicture(), -1, 533);
  PictureBox* image3 = picture("Image3", lettering.menuButton, 42, 533);
  image3->setCursor(Qt::PointingHandCursor);
  connect(image3, &PictureBox::clicked, this, &TForm1::Image3Click);
  PictureBox* image4 = picture("Image4", lettering.hideButton, 89, 533);
  image4->setCursor(Qt::PointingHandCursor);
  connect(image4, &PictureBox::clicked, this, &TForm1::Image4Click);

  PictureBox* image2 = picture("Image2", lettering.title, -1, 0);
  connect(image2, &PictureBox::clicked, this, &TForm1::Image2Click);
  PictureBox* image5 = picture("Image5", artwork::MinimizePicture(), 147, 0);
  connect(image5, &PictureBox::clicked, this, &TForm1::Image5Click);
  PictureBox* image6 = picture("Image6", artwork::ClosePicture(), 165, 0);
  connect(image6, &PictureBox::clicked, this, &TForm1::Image6Click);

  // The page container lies above the strips where they overlap.
  pp->raise();
}

void TForm1::BuildPages() {
  pp = new QStackedWidget(this);
  pp->setObjectName(QStringLiteral("pp"));
  pp->setGeometry(-2, 26, 187, 504);
  // The page area lies inside the container's frame and its one-pixel tab
  // column, as a page control with hidden tabs lays it out.
  pp->setContentsMargins(5, 2, 3, 2);
  pp->setAutoFillBackground(true);
  // Moves over the page area never reach the window, not even while a
  // button is held down over a name; right clicks still do (eventFilter).
  pp->installEventFilter(this);

  for (const GameCategory& category : GameCategories()) {
    auto* page = new QWidget(pp);
    page->setObjectName(QString::fromLatin1(category.page));
    pp->addWidget(page);
  }
  pp->setCurrentIndex(kFirstPage - 1);  // TabSheet5
}

// The first page shown is filled at once; the others once the window has
// been drawn (paintEvent), so that it shows without waiting for them.
void TForm1::FillFirstPage(const Lettering& lettering) {
  pp->setFont(SongFont(13));
  for (int bar = 1; bar <= 6; ++bar)
    (bar == kFirstPage ? m_ownBars : m_plainBars)[bar - 1] = lettering.firstPageBars[bar - 1];
  BuildPage(kFirstPage, lettering.firstPageNameWidths);
}

QImage TForm1::BarPicture(int category, bool own) {
  QImage& picture = (own ? m_ownBars : m_plainBars)[category - 1];
  if (picture.isNull())
    picture = artwork::CategoryBarPicture(CategoryTitle(category), own);
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
    box->setObjectName(QString::fromLatin1(kBarNames[category - 1][bar - 1]));
    box->move(3, BarTop(category, bar));
    if (!own) {
      box->setCursor(Qt::PointingHandCursor);
      connect(box, &PictureBox::clicked, this, barHandlers[bar - 1]);
    }
  }

  // The names, in display order, so that where two share a column the
  // right-hand one lies on top.
  const QColor hotTrack = QGuiApplication::palette().color(QPalette::Link);
  if (nameWidths.empty())
    nameWidths = NameWidths(category);
  const GameCategory& names = GameCategories()[category - 1];
  for (std::size_t i = 0; i < names.count; ++i) {
    const GameEntry& entry = names.entries[i];
    const QColor colour = entry.colour == NameColour::Green ? kGreen : hotTrack;
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

void TForm1::SetHeight(int height) {
  resize(kWidth, height);
}

void TForm1::RollUp() {
  m_aboveScreenTop = true;
  m_topCorrections = 0;
  move(x(), -1);
  int height = this->height();
  do {
    height -= 3;
    // The strip never gets thinner than two rows, not even for one step: a
    // window manager keeps part of every window on the screen, and openbox
    // moves a one-row window at Top -1 down to Top 0.
    SetHeight(std::max(height, 2));
  } while (height >= 4);
}

void TForm1::FormMouseMove() {
  activateWindow();
  setFocus(Qt::MouseFocusReason);
  if (height() < 10) {
    int height = this->height();
    do {
      height += 6;
      SetHeight(height);
    } while (height <= 551);
    SetHeight(kFullHeight);
  }
}

void TForm1::Image2Click() {
  if (height() < 10) {
    int height = this->height();
    do {
      height += 3;
      SetHeight(height);
    } while (height <= 554);
  }
}

void TForm1::Image3Click() {
  PopupMenu1->popup(ContextMenuPosition());
}

void TForm1::Image4Click() {
  RollUp();
}

void TForm1::Image5Click() {
  showMinimized();
}

void TForm1::Image6Click() {
  close();
}

void TForm1::N1Click() {
  close();
}

void TForm1::N4Click() {
  QDesktopServices::openUrl(QUrl(HelpPageUrl(GameServerAddress())));
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

// No control of the launcher takes the keyboard, so every key pressed while
// the launcher is active arrives here.
void TForm1::keyPressEvent(QKeyEvent* event) {
  FormKeyDown(event);
}

// A window manager may still push the rolled-up strip back onto the screen;
// a plain move to -1 afterwards is usually accepted. A few answers per roll-up
// are enough; more would fight a manager (or a user) that never gives in.
void TForm1::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (m_aboveScreenTop && y() != -1 && m_topCorrections < 3) {
    ++m_topCorrections;
    move(x(), -1);
  }
}
