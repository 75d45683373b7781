#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <memory>

// Tells, as a movie's bytes arrive, whether they form one complete Flash movie: "FWS"
// of its stated length, "CWS" (zlib) or "ZWS" (LZMA, filling its stated compressed
// length) inflating to exactly the stated length, and at least one ShowFrame tag.
class MovieCheck {
 public:
  // Refuses a header stating more than maxLength: no small download inflates to GBs.
  explicit MovieCheck(qint64 maxLength);
  ~MovieCheck();
  MovieCheck(const MovieCheck&) = delete;
  MovieCheck& operator=(const MovieCheck&) = delete;

  // False as soon as the bytes cannot belong to a complete movie, to stop early.
  bool Feed(const char* data, qint64 size);
  // After the last bytes: whether everything fed is one complete movie.
  bool Complete() const;

  class Decoder;
  class FrameScan;

 private:
  bool TakeHeader(const char*& data, qint64& size);
  bool StartBody();
  bool FeedBody(const char* data, qint64 size);
  qint64 HeaderSize() const;

  qint64 m_maxLength;
  char m_header[17] = {};
  qint64 m_headerReceived = 0;
  qint64 m_bodyReceived = 0;
  bool m_failed = false;
  char m_kind = 0;  // 'F', 'C' or 'Z' once the signature has arrived
  quint32 m_statedLength = 0;
  quint32 m_compressedLength = 0;  // ZWS only
  QByteArray m_lzmaTail;           // ZWS only: its last bytes, held back
  std::unique_ptr<FrameScan> m_frames;
  std::unique_ptr<Decoder> m_decoder;
};
