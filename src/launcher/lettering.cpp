#include "launcher/lettering.h"

#include "catalogue/catalogue.h"
#include "launcher/layout.h"
#include "uikit/artwork.h"
#include "uikit/fonts.h"

#include <QFontMetrics>
#include <QThreadPool>

namespace {

// The caller waits for the work alone, not for the pooled thread to let its fonts go.
template <typename Work>
std::future<void> RunPooled(Work work) {
  auto task = std::make_shared<std::packaged_task<void()>>(std::move(work));
  std::future<void> done = task->get_future();
  QThreadPool::globalInstance()->start([task] { (*task)(); });
  return done;
}

}  // namespace

// Only the font substitutions wait for the UI thread, so SongFont names its face itself.
LetteringJob::LetteringJob(int firstPage, int scale) : m_lettering(std::make_shared<Lettering>()) {
  const std::shared_ptr<Lettering> lettering = m_lettering;
  m_title = RunPooled([lettering, scale] { lettering->title = artwork::TitlePicture(scale); });
  m_song = RunPooled([lettering, firstPage, scale] {
    lettering->menuButton = artwork::MenuButtonPicture(scale);
    lettering->hideButton = artwork::HideButtonPicture(scale);
    for (int bar = 1; bar <= 6; ++bar)
      lettering->firstPageBars[bar - 1] =
          artwork::CategoryBarPicture(layout::CategoryTitle(bar), bar == firstPage, scale);
    lettering->firstPageNameWidths = NameWidths(firstPage);
  });
}

LetteringJob::~LetteringJob() {
  if (m_title.valid())
    m_title.wait();
  if (m_song.valid())
    m_song.wait();
}

const Lettering& LetteringJob::Wait() {
  m_title.wait();
  m_song.wait();
  return *m_lettering;
}

std::vector<int> NameWidths(int category) {
  const QFontMetrics metrics(SongFont(13));
  std::vector<int> widths;
  for (const GameEntry& entry : GameCategories()[category - 1])
    widths.push_back(metrics.horizontalAdvance(QString::fromUtf8(entry.caption)));
  return widths;
}
