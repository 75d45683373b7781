// The launcher window under a real window manager, driven through the X
// server: pages, names, pointer shapes, rolling up and down, the menu.

#include "launcher/form1.h"
#include "catalogue/catalogue.h"
#include "support/holdsfor.h"
#include "support/realinput.h"
#include "support/xwindow.h"
#include "uikit/artwork.h"
#include "uikit/widgets.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QMenu>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QStyleHints>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

std::string Text(const QRect& r) {
  return QStringLiteral("%1,%2 %3x%4")
      .arg(r.x())
      .arg(r.y())
      .arg(r.width())
      .arg(r.height())
      .toStdString();
}

class Launcher : public ::testing::Test {
 protected:
  void SetUp() override {
    MoveMouseTo(QPoint(20, 740));
    form = std::make_unique<TForm1>();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    // Qt knows where the window manager put it.
    ASSERT_TRUE(QTest::qWaitFor([&] { return XGeometry(form->winId()) == form->geometry(); }));
    SyncWithXServer();
  }

  void TearDown() override {
    form.reset();
    SyncWithXServer();
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(m_doubleClickInterval);
  }

  QWidget* Child(const char* name) const {
    QWidget* child = form->findChild<QWidget*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
  }

  GameNameLabel* Name(const char* caption) const {
    for (GameNameLabel* label : form->findChildren<GameNameLabel*>()) {
      if (label->text() == QString::fromUtf8(caption))
        return label;
    }
    ADD_FAILURE() << "no name " << caption;
    return nullptr;
  }

  static QString StemOf(const QString& caption) {
    for (const GameCategory& category : GameCategories()) {
      for (const GameEntry& entry : category) {
        if (QString::fromUtf8(entry.caption) == caption)
          return QString::fromLatin1(entry.stem);
      }
    }
    return {};
  }

  QPoint CentreOf(const QWidget* widget) const { return Global(widget, widget->rect().center()); }

  void ShowPage(int category) { form->pp->setCurrentIndex(category - 1); }

  QString CurrentPage() const { return form->pp->currentWidget()->objectName(); }

  // The bars of a page from top to bottom, which is category order.
  std::vector<QWidget*> Bars(int category) const {
    std::vector<QWidget*> bars;
    for (QWidget* child : form->pp->widget(category - 1)->findChildren<QWidget*>()) {
      if (!qobject_cast<GameNameLabel*>(child))
        bars.push_back(child);
    }
    std::sort(bars.begin(), bars.end(), [](QWidget* a, QWidget* b) { return a->y() < b->y(); });
    return bars;
  }

  // Another window that holds the focus, to see whether the launcher takes it.
  std::unique_ptr<QWidget> FocusedOtherWindow() {
    auto other = std::make_unique<QWidget>();
    other->setGeometry(100, 300, 200, 150);
    other->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(other.get()));
    other->activateWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == other.get(); }));
    return other;
  }

  std::unique_ptr<TForm1> form;

 private:
  const int m_doubleClickInterval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
};

TEST_F(Launcher, StartsOnCategoryFiveAsAFramelessTopmostSidebar) {
  EXPECT_EQ(CurrentPage(), QStringLiteral("TabSheet5"));
  std::vector<int> tops;
  for (const char* name : {"Image23", "Image24", "Image25", "Image26", "Image27", "Image22"}) {
    EXPECT_EQ(Child(name)->parentWidget(), form->pp->currentWidget()) << name;
    tops.push_back(Child(name)->y());
  }
  EXPECT_EQ(tops, (std::vector<int>{2, 23, 44, 65, 86, 475}));
  EXPECT_EQ(form->geometry(), QRect(832, 0, 184, 556));  // the real 1024-pixel screen
  EXPECT_EQ(form->pp->geometry(), QRect(-2, 26, 187, 504));
  EXPECT_TRUE(form->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(XAtoms(form->winId(), "_NET_WM_STATE").contains("_NET_WM_STATE_ABOVE"));
  EXPECT_FALSE(form->C1->isEnabled());
  EXPECT_EQ(form->ti->interval(), 4000);
  EXPECT_FALSE(form->ti->isActive());
  EXPECT_FALSE(form->ti->isSingleShot());
  QStringList captions;
  for (const QAction* item : form->PopupMenu1->actions())
    captions << item->text();
  EXPECT_EQ(captions,
            (QStringList{QStringLiteral("帮助(&H)"), QStringLiteral("关于...(&A)"), QString(),
                         QStringLiteral("退出 当前游戏(&Q)"), QStringLiteral("关闭 Quillet(&E)")}));
  EXPECT_TRUE(form->N2->isSeparator());
}

TEST_F(Launcher, EveryPageStacksItsBarsAroundItsOwnNames) {
  for (const GameCategory& category : GameCategories()) {
    const int k = category.number;
    const std::vector<QWidget*> bars = Bars(k);
    ASSERT_EQ(bars.size(), 6u);
    for (int j = 1; j <= 6; ++j) {
      QWidget* bar = bars[j - 1];
      const int top = j <= k ? 2 + 21 * (j - 1) : 475 - 21 * (6 - j);
      EXPECT_EQ(bar->geometry(), QRect(3, top, 171, 20)) << k << "/" << j;
      const Qt::CursorShape pointer = j == k ? Qt::ArrowCursor : Qt::PointingHandCursor;
      EXPECT_EQ(bar->cursor().shape(), pointer) << k << "/" << j;
    }
    // The names stand between the own bar and the next bar, 8 pixels clear.
    const QList<GameNameLabel*> names = form->pp->widget(k - 1)->findChildren<GameNameLabel*>();
    EXPECT_EQ(names.size(), qsizetype(category.count));
    const int below = k < 6 ? bars[k]->y() : 504;
    for (const GameNameLabel* name : names) {
      EXPECT_GE(name->y(), bars[k - 1]->y() + 28) << qPrintable(name->text());
      EXPECT_LE(name->geometry().bottom() + 1, below - 7) << qPrintable(name->text());
      EXPECT_EQ(name->height(), 13);
    }
  }
}

// The title, the buttons and the first page's bars are drawn, and its names
// measured, on other threads while the window is built; the rest here.
TEST_F(Launcher, LetteringDrawnAtStartIsTheSameAsDrawnHere) {
  const auto picture = [&](const char* name) {
    const auto* box = qobject_cast<PictureBox*>(Child(name));
    return box != nullptr ? box->image() : QImage();
  };
  EXPECT_EQ(picture("Image2"), artwork::TitlePicture());
  EXPECT_EQ(picture("Image3"), artwork::MenuButtonPicture());
  EXPECT_EQ(picture("Image4"), artwork::HideButtonPicture());
  const std::vector<QWidget*> bars = Bars(5);
  ASSERT_EQ(bars.size(), 6u);
  for (int j = 1; j <= 6; ++j) {
    const QString title = QString::fromUtf8(GameCategories()[j - 1].title);
    EXPECT_EQ(qobject_cast<PictureBox*>(bars[j - 1])->image(),
              artwork::CategoryBarPicture(title, j == 5))
        << j;
  }
  for (const GameNameLabel* name : form->findChildren<GameNameLabel*>()) {
    EXPECT_EQ(name->width(), QFontMetrics(name->font()).horizontalAdvance(name->text()))
        << qPrintable(name->text());
  }
}

TEST_F(Launcher, ClickingABarShowsItsCategoryFromAnyPage) {
  ShowPage(1);
  ClickAt(CentreOf(Child("Image11")));  // category 3's bar at Top 412
  EXPECT_TRUE(QTest::qWaitFor([&] { return CurrentPage() == QStringLiteral("TabSheet3"); }));
  ShowPage(6);
  ClickAt(CentreOf(Child("Image39")));  // category 3's bar at Top 44
  EXPECT_TRUE(QTest::qWaitFor([&] { return CurrentPage() == QStringLiteral("TabSheet3"); }));

  for (int page = 1; page <= 6; ++page) {
    for (int target = 1; target <= 6; ++target) {
      ShowPage(page);
      ClickAt(CentreOf(Bars(page)[target - 1]));
      // The own bar does nothing; every other bar shows its category.
      EXPECT_TRUE(QTest::qWaitFor([&] { return form->pp->currentIndex() == target - 1; }))
          << page << " -> " << target;
    }
  }
}

TEST_F(Launcher, ClickingANamePassesItsStem) {
  QSignalSpy chosen(form.get(), &TForm1::gameChosen);
  const struct {
    int page;
    const char* caption;
    const char* stem;
  } cases[] = {
      {1, "|Bubble Fighter|", "bf"}, {1, "|CS预备队训练|", "cs"}, {1, "|反恐CS|", "fancs"},
      {3, "|21点牌|", "d21"},        {4, "|猜数字|", "caisz"},    {4, "|猜数|", "cais"},
      {5, "|格斗天虫|", "gedtc"},    {5, "|格斗|", "ged"},        {2, "|跳山羊|", "shanyt"},
      {4, "|同色相溶|", "tongsxy"},  {5, "|豆豆龙|", "doudl"},
  };
  for (const auto& c : cases) {
    ShowPage(c.page);
    chosen.clear();
    ClickAt(CentreOf(Name(c.caption)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return chosen.size() == 1; })) << c.caption;
    EXPECT_EQ(chosen.at(0).at(0).toString(), QString::fromLatin1(c.stem));
  }
  EXPECT_EQ(CurrentPage(), QStringLiteral("TabSheet5"));  // a name click switches nothing
}

// The crowded row of category 1: a click on either side of every border
// between two names goes to the name drawn there, the right-hand one where
// they share a column.
TEST_F(Launcher, EveryColumnOfTheCrowdedRowGoesToTheNameDrawnThere) {
  QSignalSpy chosen(form.get(), &TForm1::gameChosen);
  // Two quick clicks on one name make a double click, a different gesture:
  // here every click stands alone.
  QGuiApplication::styleHints()->setMouseDoubleClickInterval(0);
  ShowPage(1);
  QWidget* page = form->pp->currentWidget();
  std::vector<GameNameLabel*> row;
  for (GameNameLabel* name : page->findChildren<GameNameLabel*>()) {
    if (name->y() == 230)
      row.push_back(name);
  }
  std::sort(row.begin(), row.end(), [](auto* a, auto* b) { return a->x() < b->x(); });
  ASSERT_EQ(row.size(), 3u);
  EXPECT_EQ(row[0]->text(), QString::fromUtf8("|反恐行动|"));
  std::vector<int> columns;
  for (const GameNameLabel* name : row)
    columns.insert(columns.end(), {name->x(), name->geometry().right()});
  for (const int x : columns) {
    const GameNameLabel* drawn = nullptr;  // the last one laid out there is on top
    for (const GameNameLabel* name : row) {
      if (name->x() <= x && x <= name->geometry().right())
        drawn = name;
    }
    chosen.clear();
    ClickAt(Global(page, QPoint(x, 236)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return chosen.size() == 1; })) << x;
    EXPECT_EQ(chosen.at(0).at(0).toString(), StemOf(drawn->text())) << x;
  }
}

TEST_F(Launcher, OnlyAPressAndReleaseOnTheSameNameCounts) {
  QSignalSpy chosen(form.get(), &TForm1::gameChosen);
  QWidget* page = form->pp->currentWidget();
  DragFromTo(CentreOf(Name("|吃豆|")), CentreOf(Name("|躲避|")));
  DragFromTo(CentreOf(Name("|吃豆|")), Global(page, QPoint(120, 470)));
  ClickAt(Global(page, QPoint(120, 470)));  // empty page below the names
  ClickAt(Global(page, QPoint(46, 139)));   // between two names
  ClickAt(CentreOf(Child("Image27")));      // the own bar
  EXPECT_EQ(chosen.size(), 0);

  DoubleClickAt(CentreOf(Name("|冒险|")));
  ASSERT_EQ(chosen.size(), 1);
  EXPECT_EQ(chosen.at(0).at(0).toString(), QStringLiteral("maox"));
}

TEST_F(Launcher, PointerIsTheHandOnlyOverNamesPlainBarsAndTheTwoButtons) {
  const auto pointerAt = [&](QPoint global) {
    QWidget* widget = QApplication::widgetAt(global);
    return widget ? widget->cursor().shape() : Qt::BlankCursor;
  };
  EXPECT_EQ(pointerAt(CentreOf(Name("|开飞机|"))), Qt::PointingHandCursor);
  EXPECT_EQ(pointerAt(CentreOf(Child("Image26"))), Qt::PointingHandCursor);
  EXPECT_EQ(pointerAt(CentreOf(Child("Image27"))), Qt::ArrowCursor);
  EXPECT_EQ(pointerAt(CentreOf(Child("Image3"))), Qt::PointingHandCursor);
  EXPECT_EQ(pointerAt(CentreOf(Child("Image4"))), Qt::PointingHandCursor);
  for (const char* arrow : {"Image1", "Image2", "Image5", "Image6"}) {
    EXPECT_EQ(pointerAt(CentreOf(Child(arrow))), Qt::ArrowCursor) << arrow;
  }
  EXPECT_EQ(pointerAt(Global(form.get(), QPoint(100, 531))), Qt::ArrowCursor);  // the band
  EXPECT_EQ(pointerAt(Global(form->pp->currentWidget(), QPoint(120, 470))), Qt::ArrowCursor);
}

TEST_F(Launcher, RollsUpToAStripAboveTheScreenTop) {
  ClickAt(CentreOf(Child("Image4")));
  ASSERT_TRUE(QTest::qWaitFor([&] { return form->height() == 2; })) << form->height();
  EXPECT_EQ(form->y(), -1);
  EXPECT_EQ(XStableGeometry(form->winId()).top(), -1);

  // From 555 the loop stops at 3.
  form->resize(184, 555);
  ASSERT_TRUE(QTest::qWaitFor([&] { return form->height() == 555; }));
  form->RollUp();
  EXPECT_TRUE(QTest::qWaitFor([&] { return form->height() == 3; })) << form->height();

  // Rolling up an already rolled-up strip never leaves less than two rows.
  form->RollUp();
  EXPECT_TRUE(QTest::qWaitFor([&] { return form->height() == 2; })) << form->height();
  form->RollUp();
  EXPECT_EQ(XStableGeometry(form->winId()).height(), 2);
  EXPECT_EQ(form->height(), 2);
}

// A game starts as the launcher rolls up: a maximized window takes the screen
// and the focus in the same pass of the event loop. The strip must stay one
// row above the screen top, on the X server and in Qt alike, also when it is
// rolled up again later while the other window is still there.
TEST_F(Launcher, StripStaysAboveTheTopWhenAMaximizedWindowAppearsAtTheRollUp) {
  auto player = std::make_unique<QWidget>();
  player->setWindowTitle(QStringLiteral("player"));
  const QRect strip(form->x(), -1, 184, 2);

  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    ASSERT_EQ(form->height(), 556);
    form->RollUp();
    if (round == 0) {
      player->showMaximized();
      player->raise();
      player->activateWindow();
      ASSERT_TRUE(QTest::qWaitForWindowExposed(player.get()));
    }
    // The window manager's answers to the maximize come in meanwhile.
    EXPECT_EQ(Text(XStableGeometry(form->winId(), 400)), Text(strip));
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->geometry() == strip; }))
        << Text(form->geometry());

    // Rolled down by the mouse at the top edge, Top stays where it was.
    MoveMouseTo(QPoint(form->x() + 60, 300));
    MoveMouseTo(QPoint(form->x() + 60, 0));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->height() == 556; })) << form->height();
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->y() == -1; })) << form->y();
    EXPECT_EQ(XStableGeometry(form->winId()).top(), -1);
    MoveMouseTo(QPoint(20, 740));
  }
}

TEST_F(Launcher, MovingOverTheStripRollsDownAndTakesTheFocus) {
  form->RollUp();
  ASSERT_TRUE(QTest::qWaitFor([&] { return form->height() == 2; }));
  const auto other = FocusedOtherWindow();
  MoveMouseTo(QPoint(form->x() + 60, 0));
  EXPECT_TRUE(QTest::qWaitFor([&] { return form->height() == 556; })) << form->height();
  EXPECT_TRUE(QTest::qWaitFor([&] { return form->y() == -1; })) << form->y();
  EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == form.get(); }));

  // Rolled down, a move still takes the focus and changes no height.
  other->activateWindow();
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == other.get(); }));
  MoveMouseTo(QPoint(form->x() + 30, 5));
  EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == form.get(); }));
  EXPECT_EQ(form->height(), 556);
}

TEST_F(Launcher, ClickingTheTitleRollsDownInStepsOfThree) {
  QWidget* title = Child("Image2");
  QTest::mouseClick(title, Qt::LeftButton, {}, QPoint(60, 1));  // rolled down: nothing
  EXPECT_EQ(form->height(), 556);

  form->RollUp();  // 2 rows
  ASSERT_TRUE(QTest::qWaitFor([&] { return form->height() == 2; }));
  QTest::mouseClick(title, Qt::LeftButton, {}, QPoint(60, 1));
  EXPECT_TRUE(QTest::qWaitFor([&] { return form->height() == 557; })) << form->height();

  form->resize(184, 555);
  ASSERT_TRUE(QTest::qWaitFor([&] { return form->height() == 555; }));
  form->RollUp();  // 3 rows
  ASSERT_TRUE(QTest::qWaitFor([&] { return form->height() == 3; }));
  QTest::mouseClick(title, Qt::LeftButton, {}, QPoint(60, 1));
  EXPECT_TRUE(QTest::qWaitFor([&] { return form->height() == 555; })) << form->height();
}

TEST_F(Launcher, OnlyTheStripsAndTheBandReachTheMoveHandler) {
  const auto other = FocusedOtherWindow();
  QWidget* page = form->pp->currentWidget();
  for (const QPoint point :
       {CentreOf(Name("|开飞机|")), CentreOf(Child("Image26")), CentreOf(Child("Image27")),
        Global(page, QPoint(120, 470)), Global(form->pp, QPoint(1, 502))}) {
    MoveMouseTo(point);
    MoveMouseTo(point + QPoint(2, 1));
    EXPECT_EQ(QApplication::activeWindow(), other.get()) << point.x() << ", " << point.y();
  }
  const QPoint band = Global(form.get(), QPoint(100, 531));
  for (const QPoint point :
       {band, CentreOf(Child("Image1")), CentreOf(Child("Image2")), CentreOf(Child("Image3")),
        CentreOf(Child("Image4")), CentreOf(Child("Image5")), CentreOf(Child("Image6"))}) {
    other->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == other.get(); }));
    MoveMouseTo(point);
    MoveMouseTo(point + QPoint(1, 0));
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == form.get(); }))
        << point.x() << ", " << point.y();
  }
}

TEST_F(Launcher, MenuOpensFromImage3AndFromARightClick) {
  ClickAt(CentreOf(Child("Image3")));
  ASSERT_TRUE(QTest::qWaitFor([&] { return form->PopupMenu1->isVisible(); }));
  EXPECT_EQ(form->PopupMenu1->pos(), QPoint(832 - 106, 424));
  PressKey("Escape");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !form->PopupMenu1->isVisible(); }));

  const QPoint onAName = CentreOf(Name("|吃豆|"));
  ClickAt(onAName, 3);
  ASSERT_TRUE(QTest::qWaitFor([&] { return form->PopupMenu1->isVisible(); }));
  EXPECT_LE((form->PopupMenu1->pos() - onAName).manhattanLength(), 2);
  PressKey("Escape");
}

TEST_F(Launcher, MenuItemsAndKeysReportWhatTheUserAsked) {
  QSignalSpy help(form.get(), &TForm1::helpRequested);
  QSignalSpy about(form.get(), &TForm1::aboutRequested);
  QSignalSpy quitGame(form.get(), &TForm1::quitGameRequested);
  QSignalSpy escape(form.get(), &TForm1::escapePressed);

  ClickAt(CentreOf(Child("Image3")));
  ASSERT_TRUE(QTest::qWaitFor([&] { return form->PopupMenu1->isVisible(); }));
  PressKey("q");  // greyed: nothing happens
  EXPECT_EQ(quitGame.size(), 0);
  PressKey("a");
  EXPECT_TRUE(QTest::qWaitFor([&] { return about.size() == 1; }));
  ClickAt(CentreOf(Child("Image3")));
  ASSERT_TRUE(QTest::qWaitFor([&] { return form->PopupMenu1->isVisible(); }));
  PressKey("h");
  EXPECT_TRUE(QTest::qWaitFor([&] { return help.size() == 1; }));

  form->C1->setEnabled(true);
  ClickAt(CentreOf(Child("Image3")));
  ASSERT_TRUE(QTest::qWaitFor([&] { return form->PopupMenu1->isVisible(); }));
  PressKey("q");
  EXPECT_TRUE(QTest::qWaitFor([&] { return quitGame.size() == 1; }));

  MoveMouseTo(CentreOf(Child("Image2")));  // takes the focus
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == form.get(); }));
  PressKey("x");
  PressKey("Escape");
  EXPECT_TRUE(QTest::qWaitFor([&] { return escape.size() == 1; }));
  EXPECT_EQ(escape.size(), 1);
}

TEST_F(Launcher, TimerAsksOnceToCloseTheNoticeAndStops) {
  QSignalSpy close(form.get(), &TForm1::closeNoticeRequested);
  form->ti->setInterval(20);
  form->ti->start();
  EXPECT_TRUE(close.wait(2000));
  EXPECT_TRUE(HoldsFor([&] { return close.size() == 1; }, 150));
  EXPECT_FALSE(form->ti->isActive());
}

TEST_F(Launcher, MinimizeKeepsTheWindowAndCloseEndsIt) {
  ClickAt(CentreOf(Child("Image5")));
  EXPECT_TRUE(QTest::qWaitFor([&] { return XWmState(form->winId()) == 3; }));  // iconic
  EXPECT_TRUE(QTest::qWaitFor([&] { return form->isMinimized(); }));
  form->showNormal();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));

  ClickAt(CentreOf(Child("Image6")));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !form->isVisible(); }));
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  form->N1->trigger();
  EXPECT_FALSE(form->isVisible());
}

}  // namespace
