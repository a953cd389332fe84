// Reduces a frame written by ostinel-render to the settings dialog's picture: a 133 × 100, 24-bit,
// bottom-up BMP (windows/picture.bmp, bitmap 159). Its output is committed.
//
// The committed picture comes from these commands, run at the top of the tree (the render is one
// command, on three lines here; tools/make-resources.sh runs exactly this):
//
//   cmake --build --preset native --target ostinel-render make_picture
//   LSAN_OPTIONS=suppressions=tests/gl/lsan.supp build/native/headless/ostinel-render
//       --seed 3 --tempo 3 --transient 2 --density 1 --rotation 2 --event 0:space
//       --seconds 3.25 --fps 4 --frame-every 4 --size 1064x800 --out build/native/picture
//   build/native/tools/make_picture build/native/picture/frame_00012.png windows/picture.bmp
//
// 1064 × 800 is eight times 133 × 100, so every picture pixel is the plain mean of an 8 × 8 block.
// Any other size works too: the largest centred 133:100 crop is reduced with an area filter.
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/little_endian.h"

namespace {

constexpr std::int64_t kWidth = 133;
constexpr std::int64_t kHeight = 100;
constexpr std::int64_t kRowBytes = (kWidth * 3 + 3) / 4 * 4;  // BMP rows are padded to 4 bytes

// An 8-bit RGB picture, top row first.
struct Picture {
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::vector<std::uint8_t> rgb;
};

std::uint32_t BigEndian32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
         static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

int Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = p > a ? p - a : a - p;
  const int pb = p > b ? p - b : b - p;
  const int pc = p > c ? p - c : c - p;
  if (pa <= pb && pa <= pc) {
    return a;
  }
  return pb <= pc ? b : c;
}

bool Inflate(const std::vector<std::uint8_t>& packed, std::vector<std::uint8_t>* raw) {
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) {
    return false;
  }
  stream.next_in = const_cast<Bytef*>(packed.data());
  stream.avail_in = static_cast<uInt>(packed.size());
  stream.next_out = raw->data();
  stream.avail_out = static_cast<uInt>(raw->size());
  const int result = inflate(&stream, Z_FINISH);
  const bool whole = result == Z_STREAM_END && stream.avail_out == 0;
  inflateEnd(&stream);
  return whole;
}

// Reads an 8-bit, non-interlaced PNG, grey, RGB or palette, with or without alpha (what
// ostinel-render and image tools write), into RGB; alpha is dropped. Empty message on success.
std::string ReadPng(const std::vector<std::uint8_t>& file, Picture* picture) {
  static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  if (file.size() < 8 || std::memcmp(file.data(), kSignature, 8) != 0) {
    return "not a PNG file";
  }
  std::int64_t width = 0;
  std::int64_t height = 0;
  int colourType = -1;
  std::vector<std::uint8_t> palette;
  std::vector<std::uint8_t> packed;
  bool ended = false;
  for (std::size_t at = 8; !ended;) {
    if (file.size() - at < 12) {
      return "truncated chunk";
    }
    const std::uint32_t length = BigEndian32(&file[at]);
    if (length > file.size() - at - 12) {
      return "truncated chunk";
    }
    const std::uint8_t* type = &file[at + 4];
    const std::uint8_t* data = &file[at + 8];
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), type, length + 4);
    if (crc != BigEndian32(data + length)) {
      return "bad chunk CRC";
    }
    if (std::memcmp(type, "IHDR", 4) == 0 && length == 13) {
      width = BigEndian32(data);
      height = BigEndian32(data + 4);
      colourType = data[9];
      if (data[8] != 8 || data[10] != 0 || data[11] != 0 || data[12] != 0) {
        return "only 8-bit, non-interlaced PNG is read";
      }
    } else if (std::memcmp(type, "PLTE", 4) == 0) {
      palette.assign(data, data + length);
    } else if (std::memcmp(type, "IDAT", 4) == 0) {
      packed.insert(packed.end(), data, data + length);
    } else if (std::memcmp(type, "IEND", 4) == 0) {
      ended = true;
    }
    at += 12 + static_cast<std::size_t>(length);
  }
  // Samples per pixel by colour type: grey, -, RGB, palette, grey + alpha, -, RGB + alpha.
  static const int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
  const int channels = colourType >= 0 && colourType < 7 ? kChannels[colourType] : 0;
  if (channels == 0) {
    return "unsupported or missing colour type";
  }
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) {
    return "unsupported size";
  }

  const std::int64_t stride = width * channels;
  std::vector<std::uint8_t> raw(static_cast<std::size_t>((stride + 1) * height));
  if (!Inflate(packed, &raw)) {
    return "image data does not inflate to the picture's size";
  }
  // Undo the row filters in place: each row's first byte names its filter.
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(stride * height));
  for (std::int64_t y = 0; y < height; ++y) {
    const std::uint8_t filter = raw[static_cast<std::size_t>(y * (stride + 1))];
    const std::uint8_t* in = &raw[static_cast<std::size_t>(y * (stride + 1) + 1)];
    std::uint8_t* out = &pixels[static_cast<std::size_t>(y * stride)];
    const std::uint8_t* up = y > 0 ? out - stride : nullptr;
    for (std::int64_t i = 0; i < stride; ++i) {
      const int a = i >= channels ? out[i - channels] : 0;
      const int b = up != nullptr ? up[i] : 0;
      const int c = up != nullptr && i >= channels ? up[i - channels] : 0;
      int predictor = 0;
      switch (filter) {
        case 0:
          predictor = 0;
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
          return "unknown row filter";
      }
      out[i] = static_cast<std::uint8_t>(in[i] + predictor);
    }
  }

  picture->width = width;
  picture->height = height;
  picture->rgb.resize(static_cast<std::size_t>(width * height * 3));
  for (std::int64_t p = 0; p < width * height; ++p) {
    const std::uint8_t* in = &pixels[static_cast<std::size_t>(p * channels)];
    for (int k = 0; k < 3; ++k) {
      std::uint8_t value = channels >= 3 ? in[k] : in[0];
      if (colourType == 3) {
        const std::size_t entry = in[0] * std::size_t{3} + k;
        if (entry >= palette.size()) {
          return "palette index out of range";
        }
        value = palette[entry];
      }
      picture->rgb[static_cast<std::size_t>(p * 3 + k)] = value;
    }
  }
  return "";
}

// How much of source pixel `i` (of `source` pixels) falls in picture pixel `o` (of `target`), in
// units of 1/target of a source pixel: both spans scaled by `target` to stay in integers, so the
// result is the same on every machine.
std::int64_t Overlap(std::int64_t i, std::int64_t o, std::int64_t source, std::int64_t target) {
  const std::int64_t from = std::max(i * target, o * source);
  const std::int64_t to = std::min((i + 1) * target, (o + 1) * source);
  return to > from ? to - from : 0;
}

// The largest centred crop of the picture's aspect, reduced to kWidth × kHeight with an area
// filter (each picture pixel is the mean of the source area it covers), in BMP row order.
std::vector<std::uint8_t> Reduce(const Picture& in) {
  std::int64_t cropWidth = in.width;
  std::int64_t cropHeight = in.width * kHeight / kWidth;
  if (cropHeight > in.height) {
    cropHeight = in.height;
    cropWidth = in.height * kWidth / kHeight;
  }
  const std::int64_t left = (in.width - cropWidth) / 2;
  const std::int64_t top = (in.height - cropHeight) / 2;
  const std::int64_t area = cropWidth * cropHeight;

  std::vector<std::uint8_t> bmp(static_cast<std::size_t>(kRowBytes * kHeight), 0);
  for (std::int64_t oy = 0; oy < kHeight; ++oy) {
    const std::int64_t y0 = oy * cropHeight / kHeight;
    const std::int64_t y1 = std::min(cropHeight, ((oy + 1) * cropHeight + kHeight - 1) / kHeight);
    // BMP rows run bottom-up.
    std::uint8_t* row = &bmp[static_cast<std::size_t>((kHeight - 1 - oy) * kRowBytes)];
    for (std::int64_t ox = 0; ox < kWidth; ++ox) {
      const std::int64_t x0 = ox * cropWidth / kWidth;
      const std::int64_t x1 = std::min(cropWidth, ((ox + 1) * cropWidth + kWidth - 1) / kWidth);
      std::int64_t sum[3] = {0, 0, 0};
      for (std::int64_t y = y0; y < y1; ++y) {
        const std::int64_t wy = Overlap(y, oy, cropHeight, kHeight);
        for (std::int64_t x = x0; x < x1; ++x) {
          const std::int64_t w = wy * Overlap(x, ox, cropWidth, kWidth);
          const std::uint8_t* p =
              &in.rgb[static_cast<std::size_t>(((top + y) * in.width + left + x) * 3)];
          for (int k = 0; k < 3; ++k) {
            sum[k] += w * p[k];
          }
        }
      }
      // The weights of one picture pixel add up to the crop's area; round to nearest. BMP pixels
      // are blue, green, red.
      for (int k = 0; k < 3; ++k) {
        row[ox * 3 + 2 - k] = static_cast<std::uint8_t>((sum[k] + area / 2) / area);
      }
    }
  }
  return bmp;
}

// BITMAPFILEHEADER, BITMAPINFOHEADER and the pixels. windres keeps all but the file header.
std::vector<std::uint8_t> BmpFile(const std::vector<std::uint8_t>& pixels) {
  const std::uint32_t offset = 14 + 40;
  std::vector<std::uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  const std::uint32_t width = kWidth;
  const std::uint32_t height = kHeight;  // positive: the rows run bottom-up
  const std::uint32_t bytes = static_cast<std::uint32_t>(pixels.size());
  Put32(&out, offset + bytes);  // bfSize
  Put32(&out, 0);               // reserved
  Put32(&out, offset);          // bfOffBits
  Put32(&out, 40);              // biSize
  Put32(&out, width);
  Put32(&out, height);
  Put16(&out, 1);   // biPlanes
  Put16(&out, 24);  // biBitCount
  Put32(&out, 0);   // biCompression: BI_RGB
  Put32(&out, bytes);
  Put32(&out, 0);  // biXPelsPerMeter
  Put32(&out, 0);  // biYPelsPerMeter
  Put32(&out, 0);  // biClrUsed
  Put32(&out, 0);  // biClrImportant
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s FRAME.png OUTPUT.bmp\n", argv[0]);
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
    return 1;
  }
  const std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
  Picture picture;
  const std::string error = ReadPng(file, &picture);
  if (!error.empty()) {
    std::fprintf(stderr, "%s: %s: %s\n", argv[0], argv[1], error.c_str());
    return 1;
  }
  if (picture.width < kWidth || picture.height < kHeight) {
    std::fprintf(stderr, "%s: %s is smaller than %dx%d\n", argv[0], argv[1],
                 static_cast<int>(kWidth), static_cast<int>(kHeight));
    return 1;
  }
  const std::vector<std::uint8_t> bmp = BmpFile(Reduce(picture));
  std::ofstream out(argv[2], std::ios::binary);
  out.write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
  if (!out) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
    return 1;
  }
  return 0;
}
