#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "forms/PngDecoder.h"
#include "runtime/Exceptions.h"
#include "runtime/String.h"

using namespace varnel;
using namespace varnel::forms;

namespace {

using Bytes = std::vector<std::uint8_t>;

// --- A tiny encoder: enough PNG to feed the decoder every case it must know.

void PutU32(Bytes& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

Bytes Chunk(const std::string& type, const Bytes& data) {
  Bytes out;
  PutU32(out, static_cast<std::uint32_t>(data.size()));
  Bytes body(type.begin(), type.end());
  body.insert(body.end(), data.begin(), data.end());
  out.insert(out.end(), body.begin(), body.end());
  PutU32(out, static_cast<std::uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
  return out;
}

Bytes Ihdr(std::uint32_t width, std::uint32_t height, int depth, int colourType,
           int interlace = 0) {
  Bytes d;
  PutU32(d, width);
  PutU32(d, height);
  d.push_back(static_cast<std::uint8_t>(depth));
  d.push_back(static_cast<std::uint8_t>(colourType));
  d.push_back(0);
  d.push_back(0);
  d.push_back(static_cast<std::uint8_t>(interlace));
  return Chunk("IHDR", d);
}

Bytes Compress(const Bytes& raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  Bytes out(size);
  EXPECT_EQ(compress(out.data(), &size, raw.data(), static_cast<uLong>(raw.size())), Z_OK);
  out.resize(size);
  return out;
}

Bytes Png(const std::vector<Bytes>& chunks) {
  Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  for (const Bytes& c : chunks) out.insert(out.end(), c.begin(), c.end());
  return out;
}

int PaethOf(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

// Rows of unfiltered bytes -> the filtered scanlines, row y with filter filters[y % size].
Bytes Filter(const std::vector<Bytes>& rows, std::size_t stride, const std::vector<int>& filters) {
  Bytes out;
  for (std::size_t y = 0; y < rows.size(); ++y) {
    const int type = filters[y % filters.size()];
    out.push_back(static_cast<std::uint8_t>(type));
    const Bytes& cur = rows[y];
    for (std::size_t i = 0; i < cur.size(); ++i) {
      const int a = i >= stride ? cur[i - stride] : 0;
      const int b = y > 0 ? rows[y - 1][i] : 0;
      const int c = y > 0 && i >= stride ? rows[y - 1][i - stride] : 0;
      const int predictor = type == 1   ? a
                            : type == 2 ? b
                            : type == 3 ? (a + b) / 2
                            : type == 4 ? PaethOf(a, b, c)
                                        : 0;
      out.push_back(static_cast<std::uint8_t>(cur[i] - predictor));
    }
  }
  return out;
}

// Packs samples of `depth` bits, first sample in the high bits, into a row.
Bytes Pack(const std::vector<unsigned>& samples, int depth) {
  Bytes row((samples.size() * static_cast<std::size_t>(depth) + 7) / 8, 0);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const std::size_t bit = i * static_cast<std::size_t>(depth);
    row[bit / 8] = static_cast<std::uint8_t>(row[bit / 8] |
                                             samples[i] << (8 - depth - static_cast<int>(bit % 8)));
  }
  return row;
}

// Deterministic pseudo-random numbers, so a failure repeats.
struct Lcg {
  std::uint32_t state;
  unsigned Next(unsigned bound) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) % bound;
  }
};

std::uint32_t Argb(unsigned a, unsigned r, unsigned g, unsigned b) {
  return a << 24 | r << 16 | g << 8 | b;
}

// One image described twice: as samples for the encoder and as the pixels it must decode to.
struct Case {
  std::vector<Bytes> Rows;
  std::vector<std::uint32_t> Expected;
};

// Random 8-bit samples, `channels` per pixel, and the pixels they mean.
Case EightBit(int width, int height, int colourType, std::uint32_t seed) {
  const int channels = colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
  Lcg rng{seed};
  Case c;
  for (int y = 0; y < height; ++y) {
    Bytes row;
    for (int x = 0; x < width; ++x) {
      unsigned s[4];
      for (int k = 0; k < channels; ++k) {
        s[k] = rng.Next(256);
        row.push_back(static_cast<std::uint8_t>(s[k]));
      }
      switch (colourType) {
        case 0:
          c.Expected.push_back(Argb(255, s[0], s[0], s[0]));
          break;
        case 2:
          c.Expected.push_back(Argb(255, s[0], s[1], s[2]));
          break;
        case 4:
          c.Expected.push_back(Argb(s[1], s[0], s[0], s[0]));
          break;
        default:
          c.Expected.push_back(Argb(s[3], s[0], s[1], s[2]));
          break;
      }
    }
    c.Rows.push_back(row);
  }
  return c;
}

Bytes Encode(int width, const Case& c, int depth, int colourType, const std::vector<int>& filters,
             const std::vector<Bytes>& extraChunks = {}) {
  const std::size_t bits = static_cast<std::size_t>(depth) * (colourType == 2   ? 3u
                                                              : colourType == 4 ? 2u
                                                              : colourType == 6 ? 4u
                                                                                : 1u);
  std::vector<Bytes> chunks = {Ihdr(static_cast<std::uint32_t>(width),
                                    static_cast<std::uint32_t>(c.Rows.size()), depth, colourType)};
  chunks.insert(chunks.end(), extraChunks.begin(), extraChunks.end());
  chunks.push_back(
      Chunk("IDAT", Compress(Filter(c.Rows, std::max<std::size_t>(1, bits / 8), filters))));
  chunks.push_back(Chunk("IEND", {}));
  return Png(chunks);
}

DecodedImage Decode(const Bytes& png) { return DecodePng(std::span<const std::uint8_t>(png)); }

// Decoding must fail with EConvertError whose message contains `part`.
void ExpectError(const Bytes& png, const std::string& part) {
  try {
    Decode(png);
    ADD_FAILURE() << "decoded, expected an error containing \"" << part << "\"";
  } catch (const EConvertError& e) {
    const std::string message = ToUtf8(e.Message());
    EXPECT_NE(message.find(part), std::string::npos) << "message: " << message;
    EXPECT_EQ(message.rfind("PNG: ", 0), 0u) << "message: " << message;
  }
}

const std::vector<int> kAllFilters = {0, 1, 2, 3, 4};
const int kOddWidths[] = {1, 3, 7, 33};

Bytes SmallRgb() { return Encode(5, EightBit(5, 4, 2, 7), 8, 2, kAllFilters); }

}  // namespace

// --- Good images: every supported kind decodes to exactly the pixels encoded.

TEST(DecodePng, EightBitKindsWithEveryFilterAndOddWidths) {
  for (const int colourType : {0, 2, 4, 6}) {
    for (const int width : kOddWidths) {
      SCOPED_TRACE("colour type " + std::to_string(colourType) + " width " + std::to_string(width));
      const Case c =
          EightBit(width, 11, colourType, static_cast<std::uint32_t>(width * 31 + colourType));
      const DecodedImage image = Decode(Encode(width, c, 8, colourType, kAllFilters));
      EXPECT_EQ(image.Width, width);
      EXPECT_EQ(image.Height, 11);
      EXPECT_EQ(image.Pixels, c.Expected);
    }
  }
}

TEST(DecodePng, EachFilterAloneOnEveryRow) {
  for (const int filter : kAllFilters) {
    SCOPED_TRACE("filter " + std::to_string(filter));
    const Case c = EightBit(33, 6, 6, static_cast<std::uint32_t>(filter + 100));
    EXPECT_EQ(Decode(Encode(33, c, 8, 6, {filter})).Pixels, c.Expected);
  }
}

TEST(DecodePng, LowDepthGreyscaleScalesToFullRange) {
  for (const int depth : {1, 2, 4, 8}) {
    const unsigned max = (1u << depth) - 1;
    for (const int width : kOddWidths) {
      SCOPED_TRACE("depth " + std::to_string(depth) + " width " + std::to_string(width));
      Lcg rng{static_cast<std::uint32_t>(depth * 1000 + width)};
      Case c;
      for (int y = 0; y < 9; ++y) {
        std::vector<unsigned> samples;
        for (int x = 0; x < width; ++x) {
          samples.push_back(rng.Next(max + 1));
          const unsigned g = samples.back() * (255 / max);
          c.Expected.push_back(Argb(255, g, g, g));
        }
        c.Rows.push_back(Pack(samples, depth));
      }
      EXPECT_EQ(Decode(Encode(width, c, depth, 0, kAllFilters)).Pixels, c.Expected);
    }
  }
}

TEST(DecodePng, PaletteAtEveryDepthWithTransparency) {
  for (const int depth : {1, 2, 4, 8}) {
    const unsigned entries = depth == 8 ? 200u : 1u << depth;
    Bytes plte, trns;
    std::vector<std::uint32_t> colours;
    for (unsigned i = 0; i < entries; ++i) {
      const unsigned r = (i * 37) & 255, g = (i * 91 + 5) & 255, b = (255 - i * 13) & 255;
      plte.insert(plte.end(), {static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                               static_cast<std::uint8_t>(b)});
      // tRNS covers only the first half: the rest must stay opaque.
      const unsigned a = i < (entries + 1) / 2 ? (i * 70) & 255 : 255;
      if (i < (entries + 1) / 2) trns.push_back(static_cast<std::uint8_t>(a));
      colours.push_back(Argb(a, r, g, b));
    }
    for (const int width : kOddWidths) {
      SCOPED_TRACE("depth " + std::to_string(depth) + " width " + std::to_string(width));
      Lcg rng{static_cast<std::uint32_t>(depth * 77 + width)};
      Case c;
      for (int y = 0; y < 7; ++y) {
        std::vector<unsigned> samples;
        for (int x = 0; x < width; ++x) {
          samples.push_back(rng.Next(entries));
          c.Expected.push_back(colours[samples.back()]);
        }
        c.Rows.push_back(Pack(samples, depth));
      }
      const DecodedImage image = Decode(
          Encode(width, c, depth, 3, kAllFilters, {Chunk("PLTE", plte), Chunk("tRNS", trns)}));
      EXPECT_EQ(image.Pixels, c.Expected);
    }
  }
}

TEST(DecodePng, ColourKeyTransparencyForGreyAndTruecolour) {
  Case grey;
  grey.Rows = {{0x1B}};  // samples 0,1,2,3 at depth 2; key grey = 2
  grey.Expected = {Argb(255, 0, 0, 0), Argb(255, 85, 85, 85), Argb(0, 170, 170, 170),
                   Argb(255, 255, 255, 255)};
  EXPECT_EQ(Decode(Encode(4, grey, 2, 0, {0}, {Chunk("tRNS", {0, 2})})).Pixels, grey.Expected);

  Case rgb;
  rgb.Rows = {{10, 20, 30, 10, 20, 31}};
  rgb.Expected = {Argb(0, 10, 20, 30), Argb(255, 10, 20, 31)};
  EXPECT_EQ(Decode(Encode(2, rgb, 8, 2, {0}, {Chunk("tRNS", {0, 10, 0, 20, 0, 30})})).Pixels,
            rgb.Expected);
}

TEST(DecodePng, SplitImageDataAndAncillaryChunks) {
  const Case c = EightBit(7, 5, 2, 3);
  const Bytes z = Compress(Filter(c.Rows, 3, kAllFilters));
  // IDAT cut at every byte, an empty IDAT in the middle and text chunks around.
  std::vector<Bytes> chunks = {Ihdr(7, 5, 8, 2), Chunk("tEXt", {'a', 0, 'b'})};
  for (std::size_t i = 0; i < z.size(); ++i) {
    chunks.push_back(Chunk("IDAT", {z[i]}));
    if (i == 2) chunks.push_back(Chunk("IDAT", {}));
  }
  chunks.push_back(Chunk("tIME", {7, 0xE8, 1, 2, 3, 4, 5}));
  chunks.push_back(Chunk("IEND", {}));
  EXPECT_EQ(Decode(Png(chunks)).Pixels, c.Expected);
}

TEST(DecodePng, CommittedBanner) {
#ifdef _WIN32
  const std::string path = std::string("Z:") + VARNEL_SOURCE_DIR + "/resources/banner.png";
#else
  const std::string path = std::string(VARNEL_SOURCE_DIR) + "/resources/banner.png";
#endif
  std::ifstream file(path, std::ios::binary);
  ASSERT_TRUE(file) << path;
  const Bytes bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  const DecodedImage image = Decode(bytes);
  ASSERT_EQ(image.Width, 353);
  ASSERT_EQ(image.Height, 86);
  ASSERT_EQ(image.Pixels.size(), 353u * 86u);
  // Opaque everywhere; dark blue in the corner; a white logo somewhere.
  int white = 0;
  for (const std::uint32_t p : image.Pixels) {
    EXPECT_EQ(p >> 24, 0xFFu);
    if ((p & 0xFFFFFF) == 0xFFFFFF) ++white;
  }
  EXPECT_GT(white, 200);
  const std::uint32_t corner = image.Pixels[0];
  EXPECT_GT(corner & 0xFF, (corner >> 16) & 0xFF);
  EXPECT_LT(corner & 0xFF, 0xC0u);
}

// --- Broken images: each one fails with a clear message and no other harm.

TEST(DecodePngErrors, BadSignature) {
  const Bytes good = SmallRgb();
  for (std::size_t i = 0; i < 8; ++i) {
    Bytes bad = good;
    bad[i] ^= 0x20;
    ExpectError(bad, "bad signature");
  }
  ExpectError({}, "bad signature");
}

TEST(DecodePngErrors, CrcMismatchNamesTheChunk) {
  const Bytes good = SmallRgb();
  // Signature 8, IHDR 25, then IDAT, then IEND's 12 bytes.
  Bytes bad = good;
  bad[8 + 4 + 4 + 3] ^= 1;  // a byte of the width
  ExpectError(bad, "CRC mismatch in IHDR");
  bad = good;
  bad[8 + 25 + 8 + 2] ^= 0x40;  // inside the compressed data
  ExpectError(bad, "CRC mismatch in IDAT");
  bad = good;
  bad.back() ^= 0x80;
  ExpectError(bad, "CRC mismatch in IEND");
}

TEST(DecodePngErrors, EveryTruncationThrows) {
  for (const Bytes& good : {SmallRgb(), Encode(3, EightBit(3, 3, 6, 9), 8, 6, kAllFilters)}) {
    ASSERT_NO_THROW(Decode(good));
    for (std::size_t n = 0; n < good.size(); ++n) {
      const Bytes prefix(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
      EXPECT_THROW(Decode(prefix), EConvertError) << "prefix length " << n;
    }
  }
}

TEST(DecodePngErrors, HeaderLimitsAndKinds) {
  const auto withHeader = [](const Bytes& ihdr) {
    return Png({ihdr, Chunk("IDAT", Compress({0, 0, 0, 0})), Chunk("IEND", {})});
  };
  ExpectError(withHeader(Ihdr(0, 1, 8, 2)), "out of range");
  ExpectError(withHeader(Ihdr(1, 0, 8, 2)), "out of range");
  ExpectError(withHeader(Ihdr(16385, 1, 8, 2)), "out of range");
  ExpectError(withHeader(Ihdr(1, 16385, 8, 2)), "out of range");
  ExpectError(withHeader(Ihdr(0xFFFFFFFFu, 0xFFFFFFFFu, 8, 2)), "out of range");
  ExpectError(withHeader(Ihdr(16384, 16384, 8, 2)), "out of range");  // over the pixel budget
  ExpectError(withHeader(Ihdr(1, 1, 16, 2)), "unsupported bit depth");
  ExpectError(withHeader(Ihdr(1, 1, 4, 6)), "unsupported bit depth");
  ExpectError(withHeader(Ihdr(1, 1, 8, 5)), "bad colour type");
  ExpectError(withHeader(Ihdr(1, 1, 8, 2, 1)), "interlaced");
  ExpectError(withHeader(Ihdr(1, 1, 8, 2, 2)), "bad interlace method");
  Bytes shortHeader = {0, 0, 0, 1, 0, 0, 0, 1, 8, 2, 0, 0};
  ExpectError(withHeader(Chunk("IHDR", shortHeader)), "IHDR has the wrong length");
}

TEST(DecodePngErrors, BadFilterType) {
  Case c = EightBit(3, 3, 2, 1);
  Bytes scan = Filter(c.Rows, 3, {0});
  scan[1 + 9] = 5;  // second row's filter byte
  ExpectError(Png({Ihdr(3, 3, 8, 2), Chunk("IDAT", Compress(scan)), Chunk("IEND", {})}),
              "bad filter type 5 in row 1");
}

TEST(DecodePngErrors, WrongAmountOfImageData) {
  const Case c = EightBit(4, 3, 2, 5);
  Bytes scan = Filter(c.Rows, 3, {0});
  const auto image = [](const Bytes& idat) {
    return Png({Ihdr(4, 3, 8, 2), Chunk("IDAT", idat), Chunk("IEND", {})});
  };
  ASSERT_NO_THROW(Decode(image(Compress(scan))));
  ExpectError(image(Compress(Bytes(scan.begin(), scan.end() - 13))), "too little image data");
  ExpectError(image(Compress(Bytes(scan.begin(), scan.end() - 1))), "too little image data");
  Bytes more = scan;
  more.push_back(0);
  ExpectError(image(Compress(more)), "too much image data");
  more.resize(200000, 0);  // far more: the decoder must stop at once
  ExpectError(image(Compress(more)), "too much image data");
  Bytes trailing = Compress(scan);
  trailing.push_back(0);
  ExpectError(image(trailing), "data after the end");
  Bytes cut = Compress(scan);
  cut.resize(cut.size() - 4);  // no Adler-32
  ExpectError(image(cut), "truncated");
  ExpectError(image({0x78, 0x9C, 0xFF, 0xFF, 0xFF, 0xFF}), "corrupt");
}

TEST(DecodePngErrors, PaletteProblems) {
  Case c;
  c.Rows = {Pack({0, 1, 2}, 2)};
  const Bytes plte = {1, 2, 3, 4, 5, 6};  // two entries
  ExpectError(Encode(3, c, 2, 3, {0}, {Chunk("PLTE", plte)}), "palette index out of range");
  ExpectError(Encode(3, c, 2, 3, {0}), "missing PLTE");
  ExpectError(Encode(3, c, 2, 3, {0}, {Chunk("PLTE", {1, 2, 3, 4})}), "bad PLTE length");
  ExpectError(Encode(3, c, 2, 3, {0}, {Chunk("PLTE", plte), Chunk("tRNS", {1, 2, 3})}),
              "tRNS has more entries than PLTE");
  ExpectError(Encode(3, c, 2, 3, {0}, {Chunk("tRNS", {1}), Chunk("PLTE", plte)}),
              "tRNS before PLTE");
  ExpectError(Encode(3, c, 2, 0, {0}, {Chunk("PLTE", plte)}), "PLTE in a greyscale image");
}

TEST(DecodePngErrors, ChunkOrder) {
  const Case c = EightBit(2, 2, 2, 11);
  const Bytes idat = Chunk("IDAT", Compress(Filter(c.Rows, 3, {0})));
  const Bytes ihdr = Ihdr(2, 2, 8, 2), iend = Chunk("IEND", {});
  ASSERT_NO_THROW(Decode(Png({ihdr, idat, iend})));
  ExpectError(Png({ihdr, idat}), "missing IEND");
  ExpectError(Png({idat, ihdr, iend}), "IDAT before IHDR");
  ExpectError(Png({ihdr, iend}), "missing IDAT");
  ExpectError(Png({ihdr, ihdr, idat, iend}), "second IHDR");
  ExpectError(Png({ihdr, idat, iend, iend}), "data after IEND");
  ExpectError(Png({ihdr, Chunk("IDAT", {}), Chunk("tEXt", {}), idat, iend}), "not contiguous");
  ExpectError(Png({ihdr, Chunk("ABCD", {}), idat, iend}), "unknown critical chunk ABCD");
  ExpectError(Png({ihdr, Chunk("ab1d", {}), idat, iend}), "bad chunk type");
  ExpectError(Png({ihdr, idat, Chunk("IEND", {0})}), "IEND has the wrong length");
  Bytes lying = Png({ihdr, idat, iend});
  lying[8 + 25 + 0] = 0x7F;  // IDAT length far beyond the file
  ExpectError(lying, "truncated chunk");
}

// Changing the compressed bytes (with a valid CRC) must give pixels or an
// error, never a crash: the sanitizer build watches every read and write.
TEST(DecodePngErrors, DamagedCompressedDataNeverCrashes) {
  const Case c = EightBit(9, 6, 6, 21);
  const Bytes z = Compress(Filter(c.Rows, 4, kAllFilters));
  int failures = 0;
  for (std::size_t i = 0; i < z.size(); ++i) {
    for (const unsigned mask : {0x01u, 0x10u, 0xFFu}) {
      Bytes damaged = z;
      damaged[i] = static_cast<std::uint8_t>(damaged[i] ^ mask);
      const Bytes png = Png({Ihdr(9, 6, 8, 6), Chunk("IDAT", damaged), Chunk("IEND", {})});
      try {
        const DecodedImage image = Decode(png);
        EXPECT_EQ(image.Pixels.size(), 54u);
      } catch (const EConvertError&) {
        ++failures;
      }
    }
  }
  EXPECT_GT(failures, 0);
}
