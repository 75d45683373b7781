#pragma once

#include "platform/prompt.h"

#include <QFont>
#include <QPixmap>

#include <functional>
#include <utility>

// The confirmation prompt as a modal message box: title "Confirm", question
// icon, "&Yes" (default, Enter) and "&No" (cancel, Esc), centred on the screen.
// The question is lettered in the font `questionFont` gives, asked for when
// a box opens: a face whose full-width comma reads as one (the default
// face's looks like a full stop). `icon`, when given, stands for the style's
// question icon, which has no pixels for high-DPI screens.
class MessageBoxPrompt final : public ConfirmationPrompt {
 public:
  explicit MessageBoxPrompt(std::function<QFont()> questionFont,
                            std::function<QPixmap()> icon = nullptr)
      : m_questionFont(std::move(questionFont)), m_icon(std::move(icon)) {}
  bool Confirm(const QString& question) override;

 private:
  std::function<QFont()> m_questionFont;
  std::function<QPixmap()> m_icon;
};
