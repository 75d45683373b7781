#include "notice/noticeonform4.h"

#include "notice/form4.h"

#include <QTimer>

void NoticeOnForm4::ShowNotice(const QString& text) {
  m_form.ShowNotice(text);
}

void NoticeOnForm4::EnableTimer() {
  if (!m_ti.isActive()) {
    m_ti.start();
  }
}
