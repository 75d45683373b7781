#include "platform/fontwarmup.h"

#include <fontconfig/fontconfig.h>

// fontconfig keeps one configuration per process and installs it atomically,
// so Qt later finds it loaded; if Qt asks first, the loser's copy is dropped.
FontConfigurationWarmUp::FontConfigurationWarmUp() : m_thread([] { FcInit(); }) {}

FontConfigurationWarmUp::~FontConfigurationWarmUp() {
  m_thread.join();
}
