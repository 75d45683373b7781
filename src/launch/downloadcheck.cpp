#include "launch/downloadcheck.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr qint64 kBaseHeaderSize = 8;   // signature, version, 32-bit length
constexpr qint64 kLzmaHeaderSize = 17;  // ... compressed length, 5 LZMA properties

quint32 ReadLittleEndian32(const char* bytes) {
  const auto* b = reinterpret_cast<const unsigned char*>(bytes);
  return quint32(b[0]) | quint32(b[1]) << 8 | quint32(b[2]) << 16 | quint32(b[3]) << 24;
}

}  // namespace

// Inflates into a scratch buffer only to count the bytes, so memory stays
// small whatever the movie's size.
struct MovieCheck::Inflater {
  z_stream stream{};
  bool ended = false;
  quint64 produced = 0;
  unsigned char scratch[64 * 1024];

  Inflater() { inflateInit(&stream); }
  ~Inflater() { inflateEnd(&stream); }

  bool Feed(const char* data, qint64 size, quint64 limit) {
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    stream.avail_in = uInt(size);
    while (stream.avail_in > 0 && !ended) {
      stream.next_out = scratch;
      stream.avail_out = sizeof scratch;
      const uInt inputBefore = stream.avail_in;
      const int result = inflate(&stream, Z_NO_FLUSH);
      produced += sizeof scratch - stream.avail_out;
      if (result == Z_STREAM_END) {
        ended = true;
      } else if (result != Z_OK ||
                 (stream.avail_in == inputBefore && stream.avail_out == sizeof scratch)) {
        return false;  // corrupt data, or no progress possible
      }
      if (produced > limit) {
        return false;
      }
    }
    return true;
  }
};

MovieCheck::MovieCheck() = default;
MovieCheck::~MovieCheck() = default;

bool MovieCheck::Feed(const char* data, qint64 size) {
  if (m_failed) {
    return false;
  }
  // Gather the header first; the signature is checked byte by byte so that
  // a web page is turned away at its first character.
  while (size > 0 && m_received < kBaseHeaderSize) {
    const char c = *data;
    if (m_received == 0 && c != 'F' && c != 'C' && c != 'Z') {
      m_failed = true;
    } else if ((m_received == 1 && c != 'W') || (m_received == 2 && c != 'S')) {
      m_failed = true;
    }
    if (m_failed) {
      return false;
    }
    m_header[m_received++] = c;
    ++data;
    --size;
    if (m_received == kBaseHeaderSize) {
      m_kind = m_header[0];
      m_statedLength = ReadLittleEndian32(m_header + 4);
      if (m_statedLength < kBaseHeaderSize) {
        m_failed = true;
        return false;
      }
      if (m_kind == 'C') {
        m_inflater = std::make_unique<Inflater>();
      }
    }
  }
  if (size > 0 && !FeedBody(data, size)) {
    m_failed = true;
  }
  return !m_failed;
}

bool MovieCheck::FeedBody(const char* data, qint64 size) {
  switch (m_kind) {
    case 'F':
      m_received += size;
      return m_received <= qint64(m_statedLength);
    case 'C':
      m_received += size;
      // Bytes after the end of the stream cannot shorten the movie; ignore them.
      return m_inflater->Feed(data, size, m_statedLength - kBaseHeaderSize);
    default: {  // 'Z'
      const qint64 headerPart = std::min(size, std::max<qint64>(0, kLzmaHeaderSize - m_received));
      std::memcpy(m_header + m_received, data, size_t(headerPart));
      m_received += size;
      if (m_received < 12) {
        return true;
      }
      const qint64 expected = kLzmaHeaderSize + ReadLittleEndian32(m_header + 8);
      return m_received <= expected;
    }
  }
}

bool MovieCheck::Complete() const {
  if (m_failed || m_received < kBaseHeaderSize) {
    return false;
  }
  switch (m_kind) {
    case 'F':
      return m_received == qint64(m_statedLength);
    case 'C':
      return m_inflater->ended &&
             m_inflater->produced == quint64(m_statedLength) - quint64(kBaseHeaderSize);
    default:
      return m_received >= kLzmaHeaderSize &&
             m_received == kLzmaHeaderSize + ReadLittleEndian32(m_header + 8);
  }
}
