#include "app/program.h"

#include "app/aboutbox.h"
#include "launch/download.h"
#include "launch/downloadgame.h"
#include "launch/gamefolders.h"
#include "launcher/form1.h"
#include "notice/form4.h"
#include "notice/noticeonform4.h"
#include "platform/systempaths.h"
#include "player/form2.h"
#include "player/shockwaveflash.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <QWindow>

TForm1* Form1 = nullptr;
TForm2* Form2 = nullptr;
TAboutBox* AboutBox = nullptr;

namespace {

// Lets the launcher reach the screen before the player's web engine is
// loaded, which takes longer than the launcher needs to appear. User input
// stays queued meanwhile, so no click can reach a window not yet created.
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
  Form1->installEventFilter(this);
  Form1->show();
  WaitUntilExposed(*Form1);

  // A transfer cut off by a killed process leaves its temporary file behind.
  const QString root = m_environment.paths.SystemDriveRoot();
  RemoveStaleDownloads(SharedGameFolder(root));
  RemoveStaleDownloads(FallbackGameFolder(m_environment.paths.ProgramFolder()));

  m_form2 = std::make_unique<TForm2>(m_environment.playerFolder);
  Form2 = m_form2.get();
  m_aboutBox = std::make_unique<TAboutBox>();
  AboutBox = m_aboutBox.get();
  m_form4 = std::make_unique<TForm4>();
  Form4 = m_form4.get();
  m_notice = std::make_unique<NoticeOnForm4>(*Form4, *Form1->ti);

  ConnectWindows();
}

GameWindows Program::Windows() {
  return GameWindows{*Form1, *Form2, m_environment.prompt};
}

void Program::ConnectWindows() {
  connect(Form1, &TForm1::gameChosen, this, &Program::LaunchGame);
  connect(Form1, &TForm1::aboutRequested, this, &Program::ShowAboutBox);
  connect(Form1, &TForm1::quitGameRequested, this, [this] { QuitGameFromMenu(Windows()); });
  connect(Form1, &TForm1::escapePressed, this, [this] { QuitGameFromLauncher(Windows()); });
  connect(Form1, &TForm1::closeNoticeRequested, Form4, &QWidget::hide);
  connect(Form2, &TForm2::escapePressed, this, [this] { QuitGameFromPlayer(Windows()); });
  // A right click on a playing game opens the launcher's menu.
  Form2->f->SetPopupMenu(Form1->PopupMenu1);
}

void Program::LaunchGame(const QString& stem) {
  ::LaunchGame(stem, LaunchServices{m_environment.paths, m_files, m_environment.prompt, *this});
}

void Program::PlayGame(const QString& path) {
  ::PlayGame(path, Windows());
}

void Program::DownloadGame(const QString& stem) {
  ::DownloadGame(stem, DownloadServices{m_environment.paths, m_files, *m_notice,
                                        m_environment.serverAddress, m_environment.downloadFile});
}

void Program::ShowAboutBox() {
  AboutBox->show();
  AboutBox->raise();
  AboutBox->activateWindow();
}

bool Program::eventFilter(QObject* watched, QEvent* event) {
  // Closing the launcher ends the program at once, even while a game plays
  // in the player window, which would otherwise keep the application alive.
  if (watched == Form1 && event->type() == QEvent::Close) {
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
  }
  return false;
}
