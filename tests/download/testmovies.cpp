#include "testmovies.h"

#include <zlib.h>

namespace {

QByteArray LittleEndian32(quint32 value) {
  QByteArray bytes(4, '\0');
  for (int i = 0; i < 4; ++i) {
    bytes[i] = char((value >> (8 * i)) & 0xff);
  }
  return bytes;
}

// Frame size 550 x 400 twips-encoded, 24 fps, one frame.
const QByteArray kFrameHeader = QByteArray::fromHex(
    "7800055f00000fa000"
    "0018"
    "0100");

}  // namespace

QByteArray WithLengthField(QByteArray movie, quint32 length) {
  movie.replace(4, 4, LittleEndian32(length));
  return movie;
}

QByteArray FwsMovie(int size) {
  const QByteArray showFrameAndEnd = QByteArray::fromHex("40000000");
  // A long-form tag (code 255, unused) carries the padding.
  const int fixed = 8 + kFrameHeader.size() + 6 + showFrameAndEnd.size();
  const int padding = size - fixed;
  QByteArray movie = "FWS" + QByteArray(1, '\x0a') + LittleEndian32(quint32(size)) + kFrameHeader;
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

QByteArray ZwsMovie(int payloadSize) {
  const QByteArray payload(payloadSize, '\x5a');
  return "ZWS" + QByteArray(1, '\x0d') + LittleEndian32(quint32(payloadSize * 3)) +
         LittleEndian32(quint32(payloadSize)) + QByteArray::fromHex("5d00001000") + payload;
}
