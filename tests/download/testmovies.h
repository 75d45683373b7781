#pragma once

// Flash movies built as bytes, for the download tests and benchmark.

#include <QByteArray>

// An uncompressed movie of exactly size bytes (at least 33): a header whose
// length field is size, one padding tag, a frame and the end tag.
QByteArray FwsMovie(int size);
// The same movie zlib-compressed, its length field the uncompressed size.
QByteArray CwsMovie(int uncompressedSize);
// The same movie LZMA-compressed: its length field the uncompressed size, its
// compressed-length field the size of the LZMA data, which ends with an end
// marker or, as the stated length allows, without one.
QByteArray ZwsMovie(int uncompressedSize, bool endMarker = false);
// What follows a movie's 8-byte header: frame size 550 x 400, 24 fps, one frame.
QByteArray FrameHeader();
// Sets a movie's 32-bit length field (bytes 4 to 7).
QByteArray WithLengthField(QByteArray movie, quint32 length);
