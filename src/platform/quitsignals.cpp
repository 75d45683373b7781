#include "platform/quitsignals.h"

#include <QObject>
#include <QSocketNotifier>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace {

int g_pipe[2] = {-1, -1};

void OnSignal(int signal) {
  const int saved = errno;
  const unsigned char byte = static_cast<unsigned char>(signal);
  // A full pipe already holds a signal that is still to be handled.
  [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

void CatchQuitSignals(QObject* context, std::function<void()> onSignal) {
  if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
    return;
  auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, context);
  QObject::connect(notifier, &QSocketNotifier::activated, context, [onSignal] {
    unsigned char bytes[16];
    while (::read(g_pipe[0], bytes, sizeof bytes) > 0) {
    }
    onSignal();
  });
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    // One ignored from the start (nohup, a shell's background job) stays ignored.
    struct sigaction old = {};
    if (::sigaction(signal, nullptr, &old) == 0 && old.sa_handler != SIG_IGN)
      ::sigaction(signal, &action, nullptr);
  }
}
