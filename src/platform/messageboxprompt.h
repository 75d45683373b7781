#pragma once

#include "platform/prompt.h"

#include <QFont>

#include <functional>
#include <utility>

// The confirmation prompt as a modal message box: title "Confirm", question
// icon, "&Yes" (default, Enter) and "&No" (cancel, Esc), centred on the screen.
// The question is lettered in the font `questionFont` gives, asked for when
// a box opens: a face whose full-width comma reads as one (the default
// face's looks like a full stop).
class MessageBoxPrompt final : public ConfirmationPrompt {
 public:
  explicit MessageBoxPrompt(std::function<QFont()> questionFont)
      : m_questionFont(std::move(questionFont)) {}
  bool Confirm(const QString& question) override;

 private:
  std::function<QFont()> m_questionFont;
};
