#pragma once

#include "app/playgame.h"
#include "launch/launchgame.h"
#include "platform/busywait.h"
#include "platform/filesystem.h"
#include "platform/outcome.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class SystemPaths;
class TAboutBox;
class TForm1;
class TForm2;
class TForm4;
class NoticeOnForm4;

// One global instance per window, living until the program ends (Form4 is with its class).
extern TForm1* Form1;
extern TForm2* Form2;
extern TAboutBox* AboutBox;

// The executable passes the machine's folders and the built-in game server; tests their own.
struct ProgramEnvironment {
  const SystemPaths& paths;
  QString serverAddress;
  ConfirmationPrompt& prompt;
  // Where the player's plugin and Ruffle are: the program folder, but for tests.
  QString playerFolder;
  // Blocks behind busy until the transfer has ended.
  std::function<Outcome(BusyWait& busy, const QString& url, const QString& path)> downloadFile;
};

// Creates the four windows in order and connects them. The launcher is shown
// as soon as it is created and placed, before the others exist.
class Program final : public QObject, private GameActions {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(Program)

 public:
  explicit Program(ProgramEnvironment environment);
  ~Program() override;

  // Throws FlashError when the player cannot be created.
  void Start();

  GameWindows Windows();

 private:
  void PlayGame(const QString& path) override;
  void DownloadGame(const QString& stem) override;
  void LaunchGame(const QString& stem);
  void OpenHelpPage();
  void ShowAboutBox();
  void ConnectWindows();
  bool eventFilter(QObject* watched, QEvent* event) override;

  ProgramEnvironment m_environment;
  LocalFileSystem m_files;
  BusyWait m_busy;
  std::unique_ptr<TForm1> m_form1;
  std::unique_ptr<TForm2> m_form2;
  std::unique_ptr<TAboutBox> m_aboutBox;
  std::unique_ptr<TForm4> m_form4;
  std::unique_ptr<NoticeOnForm4> m_notice;
};
