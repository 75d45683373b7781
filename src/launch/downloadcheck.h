#pragma once

#include <QtGlobal>

#include <memory>

// Follows a movie's bytes as they arrive and tells whether they form one
// complete Flash movie: "FWS" (uncompressed, its length field is the file
// size), "CWS" (a zlib stream that inflates to the stated length) or "ZWS"
// (LZMA, its compressed-length field matches the file size).
class MovieCheck {
 public:
  MovieCheck();
  ~MovieCheck();
  MovieCheck(const MovieCheck&) = delete;
  MovieCheck& operator=(const MovieCheck&) = delete;

  // Takes the next bytes. Returns false as soon as they cannot belong to a
  // complete movie, so that the transfer can stop early.
  bool Feed(const char* data, qint64 size);
  // After the last bytes: whether everything fed is one complete movie.
  bool Complete() const;

 private:
  struct Inflater;
  bool FeedBody(const char* data, qint64 size);

  char m_header[17] = {};
  qint64 m_received = 0;
  bool m_failed = false;
  char m_kind = 0;  // 'F', 'C' or 'Z' once the signature has arrived
  quint32 m_statedLength = 0;
  std::unique_ptr<Inflater> m_inflater;
};
