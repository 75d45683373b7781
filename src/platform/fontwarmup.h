#pragma once

// Reads the font configuration on a thread while the display connects; first in main.

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
