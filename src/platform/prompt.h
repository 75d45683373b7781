#pragma once

#include <QString>

// A modal yes/no question to the user.
class ConfirmationPrompt {
 public:
  virtual ~ConfirmationPrompt() = default;
  // True only when the user answers Yes.
  virtual bool Confirm(const QString& question) = 0;
};
