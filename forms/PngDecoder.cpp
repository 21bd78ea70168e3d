#include "forms/PngDecoder.h"

#define ZLIB_CONST
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/Exceptions.h"
#include "runtime/String.h"

namespace varnel::forms {
namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

[[noreturn]] void Fail(const std::string& what) { throw EConvertError(FromUtf8("PNG: " + what)); }

std::uint32_t ReadU32(Bytes b, std::size_t at) {
  return std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 |
         std::uint32_t{b[at + 2]} << 8 | std::uint32_t{b[at + 3]};
}

struct Header {
  std::uint32_t Width = 0;
  std::uint32_t Height = 0;
  unsigned Depth = 0;
  unsigned ColourType = 0;
  unsigned Channels = 0;  // samples per pixel
  std::size_t RowBytes = 0;
  std::size_t PixelStride = 0;  // bytes back to the same sample of the previous pixel, at least 1
};

Header ParseHeader(Bytes data) {
  if (data.size() != 13) Fail("IHDR has the wrong length");
  Header h;
  h.Width = ReadU32(data, 0);
  h.Height = ReadU32(data, 4);
  h.Depth = data[8];
  h.ColourType = data[9];
  if (h.Width < 1 || h.Height < 1 || h.Width > kPngMaxSide || h.Height > kPngMaxSide ||
      std::uint64_t{h.Width} * h.Height > kPngMaxPixels)
    Fail("image size " + std::to_string(h.Width) + "x" + std::to_string(h.Height) +
         " is out of range");
  const bool lowDepth = h.Depth == 1 || h.Depth == 2 || h.Depth == 4;
  switch (h.ColourType) {
    case 0:
      h.Channels = 1;
      break;
    case 2:
      h.Channels = 3;
      break;
    case 3:
      h.Channels = 1;
      break;
    case 4:
      h.Channels = 2;
      break;
    case 6:
      h.Channels = 4;
      break;
    default:
      Fail("bad colour type " + std::to_string(h.ColourType));
  }
  if (h.Depth != 8 && !((h.ColourType == 0 || h.ColourType == 3) && lowDepth))
    Fail("unsupported bit depth " + std::to_string(h.Depth) + " for colour type " +
         std::to_string(h.ColourType));
  if (data[10] != 0) Fail("bad compression method");
  if (data[11] != 0) Fail("bad filter method");
  if (data[12] == 1) Fail("interlaced images are not supported");
  if (data[12] != 0) Fail("bad interlace method");
  const std::size_t bitsPerPixel = std::size_t{h.Depth} * h.Channels;
  h.RowBytes = (h.Width * bitsPerPixel + 7) / 8;
  h.PixelStride = std::max<std::size_t>(1, bitsPerPixel / 8);
  return h;
}

// Inflates the IDAT stream chunk by chunk into a buffer that grows only as
// real data arrives and never beyond one byte more than the image needs, so
// a lying header or a compression bomb costs no more than the true image.
class Inflater {
 public:
  explicit Inflater(std::size_t expected) : expected_(expected) {
    if (inflateInit(&stream_) != Z_OK) Fail("cannot start the decompressor");
  }
  ~Inflater() { inflateEnd(&stream_); }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;

  void Feed(Bytes data) {
    stream_.next_in = data.data();
    stream_.avail_in = static_cast<uInt>(data.size());  // a chunk holds at most 2^31-1 bytes
    while (stream_.avail_in > 0) {
      if (ended_) Fail("data after the end of the compressed image data");
      Step();
    }
  }

  std::vector<std::uint8_t> Finish() {
    stream_.avail_in = 0;
    while (!ended_) Step();
    const std::size_t produced = out_.size() - stream_.avail_out;
    if (produced < expected_) Fail("too little image data");
    if (produced > expected_) Fail("too much image data");
    out_.resize(produced);
    return std::move(out_);
  }

 private:
  void Step() {
    if (stream_.avail_out == 0) Grow();
    const int result = inflate(&stream_, Z_NO_FLUSH);
    if (result == Z_STREAM_END) {
      ended_ = true;
    } else if (result == Z_BUF_ERROR && stream_.avail_in == 0) {
      Fail("compressed image data is truncated");
    } else if (result != Z_OK) {
      Fail("corrupt compressed image data");
    }
  }

  void Grow() {
    const std::size_t produced = out_.size();
    if (produced > expected_) Fail("too much image data");
    const std::size_t size = std::min(expected_ + 1, std::max<std::size_t>(65536, produced * 2));
    out_.resize(size);
    stream_.next_out = out_.data() + produced;
    stream_.avail_out = static_cast<uInt>(size - produced);
  }

  z_stream stream_{};
  std::size_t expected_;
  std::vector<std::uint8_t> out_;
  bool ended_ = false;
};

std::uint8_t Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return static_cast<std::uint8_t>(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

// Undoes the per-row filters in place; `raw` holds Height rows of 1 + RowBytes.
void Unfilter(const Header& h, std::vector<std::uint8_t>& raw) {
  const std::size_t stride = h.PixelStride, n = h.RowBytes;
  for (std::size_t y = 0; y < h.Height; ++y) {
    std::uint8_t* row = raw.data() + y * (n + 1);
    const unsigned type = row[0];
    std::uint8_t* cur = row + 1;
    const std::uint8_t* prev = y > 0 ? cur - (n + 1) : nullptr;
    for (std::size_t i = 0; i < n; ++i) {
      const int a = i >= stride ? cur[i - stride] : 0;
      const int b = prev ? prev[i] : 0;
      const int c = prev && i >= stride ? prev[i - stride] : 0;
      int predictor = 0;
      switch (type) {
        case 0:
          break;
        case 1:
          predictor = a;
          break;
        case 2:
          predictor = b;
          break;
        case 3:
          predictor = (a + b) / 2;
          break;
        case 4:
          predictor = Paeth(a, b, c);
          break;
        default:
          Fail("bad filter type " + std::to_string(type) + " in row " + std::to_string(y));
      }
      cur[i] = static_cast<std::uint8_t>(cur[i] + predictor);
    }
  }
}

struct Palette {
  std::vector<std::uint32_t> Colours;  // 0xAARRGGBB, alpha from tRNS
  bool HasKey = false;                 // greyscale/truecolour tRNS: one colour is transparent
  std::array<unsigned, 3> Key{};
};

std::uint32_t Argb(unsigned a, unsigned r, unsigned g, unsigned b) {
  return std::uint32_t{a} << 24 | std::uint32_t{r} << 16 | std::uint32_t{g} << 8 | b;
}

void ToPixels(const Header& h, const std::vector<std::uint8_t>& raw, const Palette& pal,
              std::vector<std::uint32_t>& pixels) {
  const unsigned maxSample = (1u << h.Depth) - 1;
  for (std::size_t y = 0; y < h.Height; ++y) {
    const std::uint8_t* row = raw.data() + y * (h.RowBytes + 1) + 1;
    std::uint32_t* out = pixels.data() + y * h.Width;
    for (std::size_t x = 0; x < h.Width; ++x) {
      switch (h.ColourType) {
        case 0:
        case 3: {
          const std::size_t bit = x * h.Depth;
          const unsigned v = (row[bit / 8] >> (8 - h.Depth - bit % 8)) & maxSample;
          if (h.ColourType == 3) {
            if (v >= pal.Colours.size()) Fail("palette index out of range");
            out[x] = pal.Colours[v];
          } else {
            const unsigned g = v * 255 / maxSample;
            out[x] = Argb(pal.HasKey && v == pal.Key[0] ? 0 : 255, g, g, g);
          }
          break;
        }
        case 2: {
          const std::uint8_t* p = row + x * 3;
          const bool key =
              pal.HasKey && p[0] == pal.Key[0] && p[1] == pal.Key[1] && p[2] == pal.Key[2];
          out[x] = Argb(key ? 0 : 255, p[0], p[1], p[2]);
          break;
        }
        case 4: {
          const std::uint8_t* p = row + x * 2;
          out[x] = Argb(p[1], p[0], p[0], p[0]);
          break;
        }
        default: {
          const std::uint8_t* p = row + x * 4;
          out[x] = Argb(p[3], p[0], p[1], p[2]);
          break;
        }
      }
    }
  }
}

void ReadTransparency(const Header& h, Bytes data, Palette& pal) {
  if (h.ColourType == 3) {
    if (pal.Colours.empty()) Fail("tRNS before PLTE");
    if (data.size() > pal.Colours.size()) Fail("tRNS has more entries than PLTE");
    for (std::size_t i = 0; i < data.size(); ++i)
      pal.Colours[i] = (pal.Colours[i] & 0x00FFFFFFu) | std::uint32_t{data[i]} << 24;
  } else if (h.ColourType == 0 || h.ColourType == 2) {
    if (data.size() != 2u * h.Channels) Fail("tRNS has the wrong length");
    pal.HasKey = true;
    for (std::size_t i = 0; i < h.Channels; ++i)
      pal.Key[i] = (unsigned{data[2 * i]} << 8 | data[2 * i + 1]);
  } else {
    Fail("tRNS is not allowed with an alpha channel");
  }
}

}  // namespace

DecodedImage DecodePng(Bytes bytes) {
  if (bytes.size() < kSignature.size() ||
      !std::equal(kSignature.begin(), kSignature.end(), bytes.begin()))
    Fail("bad signature");
  Header h;
  Palette pal;
  std::optional<Inflater> inflater;
  bool seenHeader = false, idatDone = false, seenEnd = false, seenPalette = false;
  std::size_t at = kSignature.size();
  while (at < bytes.size()) {
    if (seenEnd) Fail("data after IEND");
    if (bytes.size() - at < 12) Fail("truncated chunk header");
    const std::uint32_t length = ReadU32(bytes, at);
    if (length > 0x7FFFFFFFu || length > bytes.size() - at - 12) Fail("truncated chunk");
    const Bytes typeAndData = bytes.subspan(at + 4, 4 + std::size_t{length});
    const std::string type(typeAndData.begin(), typeAndData.begin() + 4);
    const Bytes data = typeAndData.subspan(4);
    for (const char c : type)
      if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) Fail("bad chunk type");
    const auto crc = crc32(0, typeAndData.data(), static_cast<uInt>(typeAndData.size()));
    if (crc != ReadU32(bytes, at + 8 + length)) Fail("CRC mismatch in " + type);
    at += 12 + std::size_t{length};

    if (!seenHeader && type != "IHDR") Fail(type + " before IHDR");
    if (inflater && !idatDone && type != "IDAT") idatDone = true;
    if (type == "IHDR") {
      if (seenHeader) Fail("second IHDR");
      h = ParseHeader(data);
      seenHeader = true;
    } else if (type == "PLTE") {
      if (seenPalette || inflater) Fail("PLTE out of place");
      if (h.ColourType == 0 || h.ColourType == 4) Fail("PLTE in a greyscale image");
      if (data.empty() || data.size() % 3 != 0 || data.size() > 3 * 256) Fail("bad PLTE length");
      for (std::size_t i = 0; i < data.size(); i += 3)
        pal.Colours.push_back(Argb(255, data[i], data[i + 1], data[i + 2]));
      seenPalette = true;
    } else if (type == "tRNS") {
      if (inflater) Fail("tRNS after IDAT");
      ReadTransparency(h, data, pal);
    } else if (type == "IDAT") {
      if (idatDone) Fail("IDAT chunks are not contiguous");
      if (h.ColourType == 3 && !seenPalette) Fail("missing PLTE");
      if (!inflater) inflater.emplace(std::size_t{h.Height} * (h.RowBytes + 1));
      inflater->Feed(data);
    } else if (type == "IEND") {
      if (!data.empty()) Fail("IEND has the wrong length");
      seenEnd = true;
    } else if (type[0] >= 'A' && type[0] <= 'Z') {
      Fail("unknown critical chunk " + type);
    }  // other ancillary chunks carry nothing the windows need
  }
  if (!seenHeader) Fail("missing IHDR");
  if (!inflater) Fail("missing IDAT");
  if (!seenEnd) Fail("missing IEND");

  std::vector<std::uint8_t> raw = inflater->Finish();
  Unfilter(h, raw);
  DecodedImage image;
  image.Width = static_cast<int>(h.Width);
  image.Height = static_cast<int>(h.Height);
  image.Pixels.resize(std::size_t{h.Width} * h.Height);
  ToPixels(h, raw, pal, image.Pixels);
  return image;
}

}  // namespace varnel::forms
