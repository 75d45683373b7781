#include "app/program.h"

#include "app/aboutbox.h"
#include "launch/downloadgame.h"
#include "launch/gamefolders.h"
#include "launch/moviefile.h"
#include "launcher/form1.h"
#include "notice/form4.h"
#include "notice/noticeonform4.h"
#include "platform/dialogframe.h"
#include "platform/systempaths.h"
#include "platform/windowsystem.h"
#include "player/form2.h"
#include "player/shockwaveflash.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QRect>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <cstdio>

#include <unistd.h>

TForm1* Form1 = nullptr;
TForm2* Form2 = nullptr;
TAboutBox* AboutBox = nullptr;

namespace {

// Lets the launcher reach the screen before the player process competes for the CPU;
// input stays queued, so no click can reach a window not yet created.
void WaitUntilExposed(QWidget& window) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 1000) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
    const QWindow* handle = window.windowHandle();
    if (handle != nullptr && handle->isExposed())
      return;
  }
}

}  // namespace

Program::Program(ProgramEnvironment environment) : m_environment(std::move(environment)) {}

Program::~Program() {
  Form1 = nullptr;
  Form2 = nullptr;
  AboutBox = nullptr;
  Form4 = nullptr;
}

void Program::Start() {
  m_form1 = std::make_unique<TForm1>();
  Form1 = m_form1.get();
  m_form1->installEventFilter(this);
  const QRect placed = m_form1->geometry();
  m_form1->show();
  WaitUntilExposed(*m_form1);
  windowsystem::KeepPlacement(*m_form1->windowHandle(), placed);

  // A transfer cut off by a killed process leaves its temporary file behind.
  const QString root = m_environment.paths.SystemDriveRoot();
  RemoveStaleDownloads(SharedGameFolder(root));
  RemoveStaleDownloads(FallbackGameFolder(m_environment.paths.ProgramFolder()));

  // Every window carries the program's icon, as the launcher does.
  QGuiApplication::setWindowIcon(m_form1->windowIcon());
  m_form2 = std::make_unique<TForm2>(m_environment.playerFolder, m_environment.serverAddress);
  Form2 = m_form2.get();
  m_aboutBox = std::make_unique<TAboutBox>();
  AboutBox = m_aboutBox.get();
  AskForDialogFrame();
  m_form4 = std::make_unique<TForm4>();
  Form4 = m_form4.get();
  m_notice = std::make_unique<NoticeOnForm4>(*m_form4, *m_form1->ti);

  ConnectWindows();
}

GameWindows Program::Windows() {
  return GameWindows{*m_form1, *m_form2, m_environment.prompt};
}

void Program::ConnectWindows() {
  TForm1* launcher = m_form1.get();
  connect(launcher, &TForm1::gameChosen, this, &Program::LaunchGame);
  connect(launcher, &TForm1::helpRequested, this, &Program::OpenHelpPage);
  connect(launcher, &TForm1::aboutRequested, this, &Program::ShowAboutBox);
  connect(launcher, &TForm1::quitGameRequested, this, [this] { QuitGameFromMenu(Windows()); });
  connect(launcher, &TForm1::escapePressed, this, [this] { QuitGameFromLauncher(Windows()); });
  connect(launcher, &TForm1::closeNoticeRequested, m_form4.get(), &QWidget::hide);
  // Esc in the player during a download stops the download, as in our windows.
  connect(m_form2.get(), &TForm2::escapePressed, this, [this] {
    if (!m_busy.Cancel())
      QuitGameFromPlayer(Windows());
  });
  // A lost player (killed, or its window closed by a browser shortcut) ends the game.
  connect(m_form2.get(), &TForm2::playerLost, launcher, [this, launcher] {
    launcher->C1->setEnabled(false);
    KeepLauncherAboveGame(Windows());
  });
  connect(m_form2->f, &TShockwaveFlash::windowChanged, this,
          [this] { KeepLauncherAboveGame(Windows()); });
  // A right click on a playing game opens the launcher's menu.
  m_form2->f->SetPopupMenu(launcher->PopupMenu1);
}

void Program::LaunchGame(const QString& stem) {
  ::LaunchGame(stem, LaunchServices{m_environment.paths, m_files, m_environment.prompt, *this});
}

void Program::PlayGame(const QString& path) {
  ::PlayGame(path, Windows());
}

void Program::DownloadGame(const QString& stem) {
  const auto download = [this](const QString& url, const QString& path) {
    return m_environment.downloadFile(m_busy, url, path);
  };
  ::DownloadGame(stem, DownloadServices{m_environment.paths, m_files, *m_notice,
                                        m_environment.serverAddress, download});
}

void Program::OpenHelpPage() {
  // Not waited for, and no box tells of a failure: a console line says why.
  const QString url = HelpPageUrl(m_environment.serverAddress);
  if (!QDesktopServices::openUrl(QUrl(url))) {
    std::fprintf(stderr, "quillet: help page %s not opened: no program opens web pages here\n",
                 qPrintable(url));
  } else if (geteuid() == 0) {
    std::fprintf(stderr,
                 "quillet: help page %s may not open: web browsers refuse to run as root; "
                 "start Quillet as your own user\n",
                 qPrintable(url));
  }
}

void Program::ShowAboutBox() {
  BringDialogForward(*m_aboutBox);
}

bool Program::eventFilter(QObject* watched, QEvent* event) {
  // Closing the launcher ends the program, even while the player would keep it alive.
  if (watched == m_form1.get() && event->type() == QEvent::Close) {
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
  }
  return false;
}
