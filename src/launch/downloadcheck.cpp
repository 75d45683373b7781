#include "launch/downloadcheck.h"

#include <QtEndian>

#include <lzma.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr qint64 kBaseHeaderSize = 8;   // signature, version, 32-bit length
constexpr qint64 kLzmaHeaderSize = 17;  // ... compressed length, 5 LZMA properties
// liblzma 5.4 takes an end marker split from its flush for corrupt data, so a stream's
// last bytes (marker and flush take some 25) go to it in one piece.
constexpr qint64 kLzmaTailSize = 64;

}  // namespace

// Walks the tags of the uncompressed body (after the 8-byte header) as it
// arrives, looking for a ShowFrame: without one the movie plays nothing.
class MovieCheck::FrameScan {
 public:
  void Feed(const unsigned char* data, qint64 size) {
    while (size > 0 && !m_found) {
      if (m_skip > 0) {
        const qint64 step = std::min(m_skip, size);
        m_skip -= step;
        data += step;
        size -= step;
        continue;
      }
      m_field[m_have++] = *data++;
      --size;
      Parse();
    }
  }
  bool Found() const { return m_found; }

 private:
  void Parse() {
    switch (m_part) {
      case Part::Rect: {
        // Five bits give the width of the four fields that follow; then the
        // frame rate and count, two bytes each.
        const int bits = 5 + 4 * (m_field[0] >> 3);
        m_skip = (bits + 7) / 8 - 1 + 4;
        m_have = 0;
        m_part = Part::Tag;
        break;
      }
      case Part::Tag: {
        if (m_have < 2)
          return;
        const unsigned tag = m_field[0] | unsigned(m_field[1]) << 8;
        if (tag >> 6 == kShowFrame) {
          m_found = true;
        } else if ((tag & 0x3f) == 0x3f) {
          m_part = Part::LongLength;
        } else {
          m_skip = tag & 0x3f;
        }
        m_have = 0;
        break;
      }
      case Part::LongLength:
        if (m_have < 4)
          return;
        m_skip = qFromLittleEndian<quint32>(m_field);
        m_have = 0;
        m_part = Part::Tag;
        break;
    }
  }

  static constexpr unsigned kShowFrame = 1;
  enum class Part { Rect, Tag, LongLength };
  Part m_part = Part::Rect;
  unsigned char m_field[4] = {};
  int m_have = 0;
  qint64 m_skip = 0;
  bool m_found = false;
};

// Inflates into scratch only to count, whatever the size; each step's room is one byte
// past what the stated length allows, so a longer movie stops it at once.
class MovieCheck::Decoder {
 public:
  Decoder(quint64 expected, FrameScan& frames) : m_expected(expected), m_frames(frames) {}
  virtual ~Decoder() = default;
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;

  bool Feed(const char* data, qint64 size) {
    if (m_ended) {
      return size == 0;  // nothing may follow the end of the stream
    }
    const auto* in = reinterpret_cast<const unsigned char*>(data);
    size_t inLeft = size_t(size);
    for (;;) {
      const size_t room = size_t(std::min<quint64>(sizeof m_scratch, m_expected - m_produced + 1));
      size_t outLeft = room;
      const Step step = Run(in, inLeft, outLeft);
      m_produced += room - outLeft;
      m_frames.Feed(m_scratch, qint64(room - outLeft));
      if (step == Step::Failed || m_produced > m_expected) {
        return false;
      }
      if (step == Step::Ended) {
        m_ended = true;
        return inLeft == 0;
      }
      // A full output buffer may hide more output; otherwise the input is used up.
      if (inLeft == 0 && outLeft > 0) {
        return true;
      }
    }
  }

  bool Ready() const { return m_ready; }
  bool Whole() const { return m_ended && m_produced == m_expected; }

 protected:
  enum class Step { More, Ended, Failed };
  // Consumes from in, writes into m_scratch, and updates what is left of each.
  virtual Step Run(const unsigned char*& in, size_t& inLeft, size_t& outLeft) = 0;

  unsigned char m_scratch[64 * 1024];
  bool m_ready = false;

 private:
  quint64 m_expected;
  FrameScan& m_frames;
  quint64 m_produced = 0;
  bool m_ended = false;
};

namespace {

class ZlibDecoder final : public MovieCheck::Decoder {
 public:
  ZlibDecoder(quint64 expected, MovieCheck::FrameScan& frames) : Decoder(expected, frames) {
    m_ready = inflateInit(&m_stream) == Z_OK;
  }
  ~ZlibDecoder() override { inflateEnd(&m_stream); }

 protected:
  Step Run(const unsigned char*& in, size_t& inLeft, size_t& outLeft) override {
    // Pieces come from the network, far below 4 GiB.
    m_stream.next_in = const_cast<Bytef*>(in);
    m_stream.avail_in = uInt(inLeft);
    m_stream.next_out = m_scratch;
    m_stream.avail_out = uInt(outLeft);
    const int result = inflate(&m_stream, Z_NO_FLUSH);
    in += inLeft - m_stream.avail_in;
    inLeft = m_stream.avail_in;
    outLeft = m_stream.avail_out;
    if (result == Z_STREAM_END) {
      return Step::Ended;
    }
    return result == Z_OK || (result == Z_BUF_ERROR && inLeft == 0) ? Step::More : Step::Failed;
  }

 private:
  z_stream m_stream{};
};

// The stream has no header of its own: the movie header's five property bytes describe
// it and the stated length ends it, with or without an end marker.
class LzmaDecoder final : public MovieCheck::Decoder {
 public:
  LzmaDecoder(const char* properties, quint64 expected, MovieCheck::FrameScan& frames)
      : Decoder(expected, frames) {
    lzma_filter filters[2] = {{LZMA_FILTER_LZMA1, nullptr}, {LZMA_VLI_UNKNOWN, nullptr}};
    if (lzma_properties_decode(&filters[0], nullptr, reinterpret_cast<const uint8_t*>(properties),
                               5) != LZMA_OK) {
      return;
    }
    auto* options = static_cast<lzma_options_lzma*>(filters[0].options);
    // No match reaches back past the movie's length: a larger dictionary only costs memory.
    options->dict_size =
        std::min<quint64>(options->dict_size, std::max<quint64>(expected, LZMA_DICT_SIZE_MIN));
    options->ext_flags = LZMA_LZMA1EXT_ALLOW_EOPM;
    lzma_set_ext_size(*options, expected);
    filters[0].id = LZMA_FILTER_LZMA1EXT;
    m_ready = lzma_raw_decoder(&m_stream, filters) == LZMA_OK;
    std::free(options);
  }
  ~LzmaDecoder() override { lzma_end(&m_stream); }

 protected:
  Step Run(const unsigned char*& in, size_t& inLeft, size_t& outLeft) override {
    m_stream.next_in = in;
    m_stream.avail_in = inLeft;
    m_stream.next_out = m_scratch;
    m_stream.avail_out = outLeft;
    const lzma_ret result = lzma_code(&m_stream, LZMA_RUN);
    in = m_stream.next_in;
    inLeft = m_stream.avail_in;
    outLeft = m_stream.avail_out;
    if (result == LZMA_STREAM_END) {
      return Step::Ended;
    }
    return result == LZMA_OK || (result == LZMA_BUF_ERROR && inLeft == 0) ? Step::More
                                                                          : Step::Failed;
  }

 private:
  lzma_stream m_stream = LZMA_STREAM_INIT;
};

}  // namespace

MovieCheck::MovieCheck(qint64 maxLength)
    : m_maxLength(maxLength), m_frames(std::make_unique<FrameScan>()) {}
MovieCheck::~MovieCheck() = default;

qint64 MovieCheck::HeaderSize() const {
  return m_kind == 'Z' ? kLzmaHeaderSize : kBaseHeaderSize;
}

bool MovieCheck::Feed(const char* data, qint64 size) {
  if (m_failed) {
    return false;
  }
  if (m_headerReceived < HeaderSize() && !TakeHeader(data, size)) {
    m_failed = true;
  } else if (size > 0 && !FeedBody(data, size)) {
    m_failed = true;
  }
  return !m_failed;
}

// The signature is checked byte by byte, so that a web page is turned away at its first
// character; the lengths as soon as they arrive.
bool MovieCheck::TakeHeader(const char*& data, qint64& size) {
  while (size > 0 && m_headerReceived < HeaderSize()) {
    const char c = *data++;
    --size;
    if ((m_headerReceived == 0 && c != 'F' && c != 'C' && c != 'Z') ||
        (m_headerReceived == 1 && c != 'W') || (m_headerReceived == 2 && c != 'S')) {
      return false;
    }
    m_header[m_headerReceived++] = c;
    if (m_headerReceived == 1) {
      m_kind = c;
    } else if (m_headerReceived == kBaseHeaderSize) {
      m_statedLength = qFromLittleEndian<quint32>(m_header + 4);
      if (m_statedLength < kBaseHeaderSize || m_statedLength > m_maxLength) {
        return false;
      }
    }
    if (m_headerReceived == HeaderSize() && !StartBody()) {
      return false;
    }
  }
  return true;
}

bool MovieCheck::StartBody() {
  const quint64 expected = quint64(m_statedLength) - kBaseHeaderSize;
  switch (m_kind) {
    case 'C':
      m_decoder = std::make_unique<ZlibDecoder>(expected, *m_frames);
      break;
    case 'Z':
      m_compressedLength = qFromLittleEndian<quint32>(m_header + 8);
      m_decoder = std::make_unique<LzmaDecoder>(m_header + 12, expected, *m_frames);
      break;
    default:
      return true;
  }
  return m_decoder->Ready();
}

bool MovieCheck::FeedBody(const char* data, qint64 size) {
  m_bodyReceived += size;
  switch (m_kind) {
    case 'F':
      m_frames->Feed(reinterpret_cast<const unsigned char*>(data), size);
      return kBaseHeaderSize + m_bodyReceived <= qint64(m_statedLength);
    case 'C':
      return m_decoder->Feed(data, size);
    default: {  // 'Z'
      if (m_bodyReceived > qint64(m_compressedLength)) {
        return false;
      }
      const qint64 tailStart = std::max<qint64>(0, qint64(m_compressedLength) - kLzmaTailSize);
      const qint64 before = std::clamp<qint64>(tailStart - (m_bodyReceived - size), 0, size);
      if (before > 0 && !m_decoder->Feed(data, before)) {
        return false;
      }
      m_lzmaTail.append(data + before, size - before);
      return m_bodyReceived < qint64(m_compressedLength) ||
             m_decoder->Feed(m_lzmaTail.constData(), m_lzmaTail.size());
    }
  }
}

bool MovieCheck::Complete() const {
  if (m_failed || m_headerReceived < HeaderSize() || !m_frames->Found()) {
    return false;
  }
  switch (m_kind) {
    case 'F':
      return kBaseHeaderSize + m_bodyReceived == qint64(m_statedLength);
    case 'C':
      return m_decoder->Whole();
    default:
      return m_bodyReceived == qint64(m_compressedLength) && m_decoder->Whole();
  }
}
