#include "testmovies.h"

#include <QtEndian>

#include <lzma.h>
#include <zlib.h>

namespace {

QByteArray LittleEndian32(quint32 value) {
  QByteArray bytes(4, '\0');
  qToLittleEndian(value, bytes.data());
  return bytes;
}

}  // namespace

// A function, not a constant: movies built while other files' constants are
// constructed must get it too.
QByteArray FrameHeader() {
  return QByteArray::fromHex(
      "7800055f00000fa000"
      "0018"
      "0100");
}

namespace {}  // namespace

QByteArray WithLengthField(QByteArray movie, quint32 length) {
  movie.replace(4, 4, LittleEndian32(length));
  return movie;
}

QByteArray FwsMovie(int size) {
  const QByteArray showFrameAndEnd = QByteArray::fromHex("40000000");
  // A long-form tag (code 255, unused) carries the padding.
  const int fixed = 8 + FrameHeader().size() + 6 + showFrameAndEnd.size();
  const int padding = size - fixed;
  QByteArray movie = "FWS" + QByteArray(1, '\x0a') + LittleEndian32(quint32(size)) + FrameHeader();
  movie += QByteArray::fromHex("ff3f") + LittleEndian32(quint32(padding));
  for (int i = 0; i < padding; ++i) {
    movie += char(i * 131 % 251);
  }
  return movie + showFrameAndEnd;
}

QByteArray CwsMovie(int uncompressedSize) {
  const QByteArray plain = FwsMovie(uncompressedSize);
  uLongf length = compressBound(uLong(plain.size() - 8));
  QByteArray packed(int(length), '\0');
  compress(reinterpret_cast<Bytef*>(packed.data()), &length,
           reinterpret_cast<const Bytef*>(plain.constData() + 8), uLong(plain.size() - 8));
  packed.resize(int(length));
  return "CWS" + plain.mid(3, 5) + packed;
}

QByteArray ZwsMovie(int uncompressedSize, bool endMarker) {
  const QByteArray plain = FwsMovie(uncompressedSize);
  lzma_options_lzma options{};
  lzma_lzma_preset(&options, 6);
  options.dict_size = 1 << 16;
  options.ext_flags = endMarker ? LZMA_LZMA1EXT_ALLOW_EOPM : 0;
  lzma_filter filters[2] = {{LZMA_FILTER_LZMA1EXT, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
  QByteArray packed(plain.size() + 1024, '\0');
  size_t packedSize = 0;
  lzma_raw_buffer_encode(filters, nullptr, reinterpret_cast<const uint8_t*>(plain.constData()) + 8,
                         size_t(plain.size() - 8), reinterpret_cast<uint8_t*>(packed.data()),
                         &packedSize, size_t(packed.size()));
  packed.resize(qsizetype(packedSize));
  // The five property bytes are the same as plain LZMA1's.
  lzma_filter plainLzma[2] = {{LZMA_FILTER_LZMA1, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
  QByteArray properties(5, '\0');
  lzma_properties_encode(plainLzma, reinterpret_cast<uint8_t*>(properties.data()));
  return "ZWS" + QByteArray(1, '\x0d') + plain.mid(4, 4) + LittleEndian32(quint32(packed.size())) +
         properties + packed;
}
