#pragma once

#include "platform/prompt.h"

#include <QFont>
#include <QPixmap>

#include <functional>
#include <utility>

// `questionFont`: a face whose full-width comma does not look like a full stop.
// `icon` replaces the style's question icon, which has no high-DPI pixels.
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
