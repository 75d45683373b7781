#pragma once

// Reading the system's font configuration takes several milliseconds that
// nothing else needs: a warm-up started before the application object lets
// that reading overlap the connection to the display. Construct it first
// thing in main; it waits for its thread when it goes.

#include <thread>

class FontConfigurationWarmUp final {
 public:
  FontConfigurationWarmUp();
  ~FontConfigurationWarmUp();

  FontConfigurationWarmUp(const FontConfigurationWarmUp&) = delete;
  FontConfigurationWarmUp& operator=(const FontConfigurationWarmUp&) = delete;

 private:
  std::thread m_thread;
};
