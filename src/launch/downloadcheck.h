#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <memory>

// Follows a movie's bytes as they arrive and tells whether they form one
// complete Flash movie whose whole body is what its header says: "FWS"
// (uncompressed, its length field is the file size), "CWS" (a zlib stream
// that inflates to exactly the stated length, with nothing after it) or "ZWS"
// (an LZMA stream that decompresses to exactly the stated length and fills
// exactly the compressed length its header gives), and that holds at least
// one whole frame (a ShowFrame tag).
class MovieCheck {
 public:
  // A header that states a longer movie than maxLength (uncompressed, header
  // included) is refused at once, so that a small download cannot make the
  // check decompress gigabytes.
  explicit MovieCheck(qint64 maxLength);
  ~MovieCheck();
  MovieCheck(const MovieCheck&) = delete;
  MovieCheck& operator=(const MovieCheck&) = delete;

  // Takes the next bytes. Returns false as soon as they cannot belong to a
  // complete movie, so that the transfer can stop early.
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
