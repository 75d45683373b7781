#pragma once

#include "platform/prompt.h"

// The confirmation prompt as a modal message box: title "Confirm", question
// icon, "&Yes" (default, Enter) and "&No" (cancel, Esc), centred on the screen.
class MessageBoxPrompt final : public ConfirmationPrompt {
 public:
  bool Confirm(const QString& question) override;
};
