#pragma once

#include "launch/downloadgame.h"

class QTimer;
class TForm4;

// The download's notice on the real window and the launcher's timer ti.
class NoticeOnForm4 final : public DownloadNotice {
 public:
  NoticeOnForm4(TForm4& form, QTimer& ti) : m_form(form), m_ti(ti) {}
  void ShowNotice(const QString& text) override;
  // Starts ti unless it runs already: a second success keeps the first countdown.
  void EnableTimer() override;

 private:
  TForm4& m_form;
  QTimer& m_ti;
};
