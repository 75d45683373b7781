#pragma once

// Everything the launcher letters before it first shows: the title, the two
// lettered buttons, the first page's bars and the widths of its names.
// Finding and loading the faces is the slowest part of start-up, so it is
// drawn on two pooled threads while the window builds the rest.

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
  // Starts drawing for the page of `firstPage`, at `scale` device pixels to
  // a picture pixel.
  LetteringJob(int firstPage, int scale);
  ~LetteringJob();
  LetteringJob(const LetteringJob&) = delete;
  LetteringJob& operator=(const LetteringJob&) = delete;

  // Waits for both threads; the result stays valid as long as the job.
  const Lettering& Wait();

 private:
  // Shared with the jobs, so that it outlives them even if the job is
  // destroyed early.
  std::shared_ptr<Lettering> m_lettering;
  std::future<void> m_title;
  std::future<void> m_song;
};

// The widths of a category's names in the page font, in catalogue order.
std::vector<int> NameWidths(int category);
