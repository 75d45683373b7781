// The sample games on the bundled server must be movies the player can open:
// a well-formed SWF 10 file, stage 640 x 480, an AS3 movie with its code.

#include <zlib.h>

#include <QFile>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct Sample {
  const char* stem;
  uint32_t background;
};

// Reads bits most significant first, as SWF packs its rectangle.
class BitReader {
 public:
  BitReader(const std::vector<uint8_t>& data, size_t offset) : m_data(data), m_bit(offset * 8) {}
  int64_t Signed(int bits) {
    uint64_t value = Unsigned(bits);
    if (bits > 0 && (value & (uint64_t{1} << (bits - 1))))
      return static_cast<int64_t>(value) - (int64_t{1} << bits);
    return static_cast<int64_t>(value);
  }
  uint64_t Unsigned(int bits) {
    uint64_t value = 0;
    for (int i = 0; i < bits; ++i, ++m_bit) {
      if (m_bit / 8 >= m_data.size())
        throw std::out_of_range("rectangle past the end");
      value = (value << 1) | ((m_data[m_bit / 8] >> (7 - m_bit % 8)) & 1);
    }
    return value;
  }
  size_t NextByte() const { return (m_bit + 7) / 8; }

 private:
  const std::vector<uint8_t>& m_data;
  size_t m_bit;
};

uint32_t Le(const std::vector<uint8_t>& d, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i)
    v = (v << 8) | d.at(at + i);
  return v;
}

std::vector<uint8_t> ReadFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return {};
  const QByteArray bytes = file.readAll();
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

// The whole movie with its body inflated; the first 8 bytes stay as stored.
std::vector<uint8_t> Inflate(const std::vector<uint8_t>& file) {
  const uLongf declared = Le(file, 4, 4);
  std::vector<uint8_t> out(declared);
  std::copy(file.begin(), file.begin() + 8, out.begin());
  uLongf length = declared - 8;
  const int rc = uncompress(out.data() + 8, &length, file.data() + 8, file.size() - 8);
  if (rc != Z_OK || length != declared - 8)
    return {};
  return out;
}

class SampleMovie : public ::testing::TestWithParam<Sample> {
 protected:
  QString Path() const {
    return QStringLiteral(QUILLET_SERVER_WWW "/soft/Playbox/Playshare/") +
           QString::fromLatin1(GetParam().stem) + QStringLiteral(".swf");
  }
};

TEST_P(SampleMovie, HeaderDescribesAnSwf10StageOf640By480) {
  const std::vector<uint8_t> file = ReadFile(Path());
  ASSERT_GT(file.size(), 64u) << "missing or truncated: " << Path().toStdString();
  const std::string signature(file.begin(), file.begin() + 3);
  ASSERT_TRUE(signature == "FWS" || signature == "CWS") << signature;
  EXPECT_EQ(file[3], 10) << "SWF version";

  const std::vector<uint8_t> movie = signature == "CWS" ? Inflate(file) : file;
  ASSERT_FALSE(movie.empty()) << "the compressed body does not inflate to the declared length";
  EXPECT_EQ(Le(movie, 4, 4), movie.size()) << "declared length";

  BitReader rect(movie, 8);
  const int bits = static_cast<int>(rect.Unsigned(5));
  const int64_t xmin = rect.Signed(bits), xmax = rect.Signed(bits);
  const int64_t ymin = rect.Signed(bits), ymax = rect.Signed(bits);
  EXPECT_EQ(xmin, 0);
  EXPECT_EQ(ymin, 0);
  EXPECT_EQ(xmax, 640 * 20) << "stage width in twips";
  EXPECT_EQ(ymax, 480 * 20) << "stage height in twips";
  const size_t at = rect.NextByte();
  EXPECT_EQ(Le(movie, at, 2), 30u * 256) << "frame rate, 8.8 fixed point";
  EXPECT_GE(Le(movie, at + 2, 2), 1u) << "frame count";
}

TEST_P(SampleMovie, TagsMakeAPlayableAs3Movie) {
  const std::vector<uint8_t> file = ReadFile(Path());
  ASSERT_GT(file.size(), 64u);
  const std::vector<uint8_t> movie = file[0] == 'C' ? Inflate(file) : file;
  ASSERT_FALSE(movie.empty());
  BitReader rect(movie, 8);
  const int bits = static_cast<int>(rect.Unsigned(5));
  size_t at = 8 + (5 + 4 * bits + 7) / 8 + 4;

  std::vector<unsigned> codes;
  bool hasBackground = false;
  uint32_t background = 0;
  bool as3 = false;
  bool endedCleanly = false;
  while (at + 2 <= movie.size()) {
    const uint32_t head = Le(movie, at, 2);
    const unsigned code = head >> 6;
    size_t length = head & 0x3f;
    at += 2;
    if (length == 0x3f) {
      ASSERT_LE(at + 4, movie.size());
      length = Le(movie, at, 4);
      at += 4;
    }
    ASSERT_LE(at + length, movie.size()) << "tag " << code << " runs past the end";
    if (codes.empty())
      as3 = code == 69 && length >= 4 && (movie[at] & 0x08);
    if (code == 9 && length == 3) {
      hasBackground = true;
      background = (uint32_t{movie[at]} << 16) | (uint32_t{movie[at + 1]} << 8) | movie[at + 2];
    }
    codes.push_back(code);
    at += length;
    if (code == 0) {
      endedCleanly = at == movie.size();
      break;
    }
  }
  EXPECT_TRUE(endedCleanly) << "the End tag must close the movie exactly";
  EXPECT_TRUE(as3) << "FileAttributes with the ActionScript 3 flag must come first";
  ASSERT_TRUE(hasBackground);
  EXPECT_EQ(background, GetParam().background);
  auto has = [&](unsigned c) { return std::find(codes.begin(), codes.end(), c) != codes.end(); };
  EXPECT_TRUE(has(82) || has(72)) << "no ActionScript byte code";
  EXPECT_TRUE(has(76)) << "no SymbolClass tag naming the document class";
  EXPECT_TRUE(has(1)) << "no ShowFrame";
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleMovie,
                         ::testing::Values(Sample{"tancs", 0x1B2631}, Sample{"saol", 0xD5DBDB},
                                           Sample{"dals", 0x7DCEA0}),
                         [](const ::testing::TestParamInfo<Sample>& info) {
                           return std::string(info.param.stem);
                         });

}  // namespace
