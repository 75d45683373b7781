#pragma once

// What the launcher letters before it first shows. Loading the faces is the slowest
// part of start-up, so it runs on two pooled threads while the window builds the rest.

#include <QImage>

#include <array>
#include <future>
#include <memory>
#include <vector>

struct Lettering {
  QImage title;
  QImage menuButton;
  QImage hideButton;
  std::array<QImage, 6> firstPageBars;  // category 1 to 6, the first page's own bold
  std::vector<int> firstPageNameWidths;
};

class LetteringJob final {
 public:
  LetteringJob(int firstPage, int scale);
  ~LetteringJob();
  LetteringJob(const LetteringJob&) = delete;
  LetteringJob& operator=(const LetteringJob&) = delete;

  // Waits for both threads; the result stays valid as long as the job.
  const Lettering& Wait();

 private:
  // Shared with the threads, so that it outlives a job destroyed early.
  std::shared_ptr<Lettering> m_lettering;
  std::future<void> m_title;
  std::future<void> m_song;
};

// The widths of a category's names in the page font, in catalogue order.
std::vector<int> NameWidths(int category);
