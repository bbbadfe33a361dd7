#include "picture.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "zlib_codec.h"

namespace setup {
namespace {

constexpr int kLargestSide = kLargestPictureSide;
constexpr int kLargestBmpSide = 32768;  // what the background window accepts
constexpr std::size_t kBmpFileHeader = 14;
constexpr int kWeightOne = 1 << 14;

std::uint32_t le32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}
std::uint16_t le16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }

std::uint32_t be32(const std::uint8_t* p) {
  return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

int paeth(int a, int b, int c) {
  int p = a + b - c;
  int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

// Undoes the row filters in place; false for an unknown filter.
bool unfilter(std::uint8_t* data, int height, std::size_t stride, int bpp) {
  std::uint8_t* previous = nullptr;
  for (int y = 0; y < height; ++y) {
    std::uint8_t filter = data[0];
    std::uint8_t* row = data + 1;
    for (std::size_t i = 0; i < stride; ++i) {
      int a = i >= std::size_t(bpp) ? row[i - bpp] : 0;
      int b = previous ? previous[i] : 0;
      int c = previous && i >= std::size_t(bpp) ? previous[i - bpp] : 0;
      int predicted = 0;
      switch (filter) {
        case 0: break;
        case 1: predicted = a; break;
        case 2: predicted = b; break;
        case 3: predicted = (a + b) / 2; break;
        case 4: predicted = paeth(a, b, c); break;
        default: return false;
      }
      row[i] = static_cast<std::uint8_t>(row[i] + predicted);
    }
    previous = row;
    data += stride + 1;
  }
  return true;
}

// One output position's source pixels and their weights (summing to
// kWeightOne).
struct Taps {
  int first = 0;
  std::vector<int> weights;
};

std::vector<Taps> taps(int source, int target) {
  std::vector<Taps> out(target);
  const double scale = double(source) / target;  // source pixels per target pixel
  for (int d = 0; d < target; ++d) {
    std::vector<double> w;
    int first = 0;
    if (scale > 1) {  // the area the target pixel covers
      double lo = d * scale, hi = (d + 1) * scale;
      first = int(lo);
      for (int s = first; s < hi && s < source; ++s) w.push_back(std::fmin(hi, s + 1) - std::fmax(lo, s));
    } else {  // between the two nearest pixel centres
      double centre = (d + 0.5) * scale - 0.5;
      first = int(std::floor(centre));
      double t = centre - first;
      w = {1 - t, t};
      if (first < 0) {
        first = 0;
        w = {1.0};
      } else if (first + 1 >= source) {
        first = source - 1;
        w = {1.0};
      }
    }
    double sum = 0;
    for (double x : w) sum += x;
    Taps& t = out[d];
    t.first = first;
    int given = 0;
    for (double x : w) {
      t.weights.push_back(int(x / sum * kWeightOne + 0.5));
      given += t.weights.back();
    }
    t.weights.back() += kWeightOne - given;  // rounding leftovers
  }
  return out;
}

std::uint32_t weighted(const std::uint32_t* pixels, std::ptrdiff_t step, const Taps& t) {
  int sum[4] = {0, 0, 0, 0};
  for (std::size_t k = 0; k < t.weights.size(); ++k) {
    std::uint32_t p = pixels[(t.first + std::ptrdiff_t(k)) * step];
    for (int c = 0; c < 4; ++c) sum[c] += int((p >> (8 * c)) & 0xFF) * t.weights[k];
  }
  std::uint32_t out = 0;
  for (int c = 0; c < 4; ++c) {
    int v = (sum[c] + kWeightOne / 2) >> 14;
    out |= std::uint32_t(v > 255 ? 255 : v) << (8 * c);
  }
  return out;
}

std::uint32_t premultiplied(int r, int g, int b, int a) {
  auto mul = [a](int v) { return std::uint32_t((v * a + 127) / 255); };
  return (std::uint32_t(a) << 24) | (mul(r) << 16) | (mul(g) << 8) | mul(b);
}

}  // namespace

std::optional<Picture> decode_png(std::span<const std::uint8_t> file) {
  static constexpr std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (file.size() < 8 || std::memcmp(file.data(), kSignature, 8) != 0) return std::nullopt;
  std::size_t at = 8;
  std::uint32_t width = 0, height = 0;
  int bpp = 0;
  bool indexed = false;
  std::uint32_t palette[256] = {};  // straight alpha, 0xAARRGGBB
  std::uint32_t palette_size = 0;
  std::vector<std::uint8_t> compressed;
  bool ended = false;
  while (!ended && file.size() - at >= 12) {
    std::uint32_t length = be32(&file[at]);
    if (length > file.size() - at - 12) return std::nullopt;
    const std::uint8_t* type = &file[at + 4];
    const std::uint8_t* data = &file[at + 8];
    if (std::memcmp(type, "IHDR", 4) == 0) {
      if (length < 13) return std::nullopt;
      width = be32(data);
      height = be32(data + 4);
      int depth = data[8], colour = data[9], interlace = data[12];
      if (depth != 8 || (colour != 2 && colour != 3 && colour != 6) || interlace != 0 || data[10] != 0 ||
          data[11] != 0)
        return std::nullopt;
      bpp = colour == 6 ? 4 : (colour == 2 ? 3 : 1);
      indexed = colour == 3;
    } else if (std::memcmp(type, "PLTE", 4) == 0) {
      palette_size = length / 3 < 256 ? length / 3 : 256;
      for (std::uint32_t i = 0; i < palette_size; ++i)
        palette[i] = 0xFF000000u | (std::uint32_t(data[3 * i]) << 16) | (data[3 * i + 1] << 8) | data[3 * i + 2];
    } else if (std::memcmp(type, "tRNS", 4) == 0) {
      for (std::uint32_t i = 0; i < length && i < palette_size; ++i)
        palette[i] = (palette[i] & 0x00FFFFFFu) | (std::uint32_t(data[i]) << 24);
    } else if (std::memcmp(type, "IDAT", 4) == 0) {
      compressed.insert(compressed.end(), data, data + length);
    } else if (std::memcmp(type, "IEND", 4) == 0) {
      ended = true;
    }
    at += std::size_t(length) + 12;
  }
  if (!ended || bpp == 0 || width == 0 || height == 0 || width > kLargestSide || height > kLargestSide)
    return std::nullopt;

  setup::Inflated inflated = setup::inflate_bytes(compressed);
  const std::size_t stride = std::size_t(width) * bpp;
  if (!inflated.ok || inflated.bytes.size() < (stride + 1) * height) return std::nullopt;
  if (!unfilter(inflated.bytes.data(), int(height), stride, bpp)) return std::nullopt;

  Picture picture{int(width), int(height), std::vector<std::uint32_t>(std::size_t(width) * height)};
  for (std::uint32_t y = 0; y < height; ++y) {
    const std::uint8_t* row = inflated.bytes.data() + y * (stride + 1) + 1;
    for (std::uint32_t x = 0; x < width; ++x, row += bpp) {
      if (indexed) {
        if (*row >= palette_size) return std::nullopt;
        std::uint32_t c = palette[*row];
        picture.pixels[y * width + x] = premultiplied((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF, c >> 24);
      } else {
        picture.pixels[y * width + x] = premultiplied(row[0], row[1], row[2], bpp == 4 ? row[3] : 255);
      }
    }
  }
  return picture;
}

std::optional<BmpParts> bmp_parts(std::span<const std::uint8_t> file) {
  if (file.size() < kBmpFileHeader + 40 || file[0] != 'B' || file[1] != 'M') return std::nullopt;
  const std::uint8_t* info = file.data() + kBmpFileHeader;
  const std::uint32_t info_size = le32(info);
  const std::uint32_t bits = le32(file.data() + 10);
  const std::int32_t width = std::int32_t(le32(info + 4));
  const std::int32_t height = std::int32_t(le32(info + 8));
  const std::uint16_t depth = le16(info + 14);
  const std::uint32_t compression = le32(info + 16);
  if (info_size < 40 || info_size > file.size() - kBmpFileHeader) return std::nullopt;
  if (width <= 0 || width > kLargestBmpSide || height == 0 || std::abs(height) > kLargestBmpSide) return std::nullopt;
  if (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32) return std::nullopt;
  if (bits < kBmpFileHeader + info_size || bits >= file.size()) return std::nullopt;
  // The colour table (or the bit-field masks) lies between the header and
  // the pixels.
  std::uint64_t colours = le32(info + 32);
  if (colours == 0 && depth <= 8) colours = 1u << depth;
  std::uint64_t table = colours * 4 + (compression == 3 && info_size == 40 ? 12 : 0);
  if (colours > 256 && depth <= 8) return std::nullopt;
  if (table > bits - kBmpFileHeader - info_size) return std::nullopt;
  // Plain rows (or bit fields) only, and all of them: a run-length coded
  // file could make the system read past its end.
  if (compression != 0 && compression != 3) return std::nullopt;
  const std::uint64_t stride = ((std::uint64_t(width) * depth + 31) / 32) * 4;
  if (stride * std::uint64_t(std::abs(height)) > file.size() - bits) return std::nullopt;
  return BmpParts{kBmpFileHeader, bits, width, std::abs(height), height < 0};
}

std::optional<Picture> decode_bmp(std::span<const std::uint8_t> file) {
  std::optional<BmpParts> parts = bmp_parts(file);
  if (!parts || parts->width > kLargestSide || parts->height > kLargestSide) return std::nullopt;
  const std::uint8_t* info = file.data() + parts->info_offset;
  const std::uint32_t info_size = le32(info);
  const int depth = le16(info + 14);
  const std::uint32_t compression = le32(info + 16);
  if (depth != 24 && depth != 32) return std::nullopt;
  if (compression == 3) {  // bit fields: only the plain order of the bytes
    if (depth != 32 || (info_size > 40 && info_size < 52)) return std::nullopt;
    const std::uint8_t* masks = info + 40;  // behind the header, or inside a larger one
    if (le32(masks) != 0x00FF0000u || le32(masks + 4) != 0x0000FF00u || le32(masks + 8) != 0x000000FFu)
      return std::nullopt;
  }
  const int bytes_per_pixel = depth / 8;
  const std::size_t stride = ((std::size_t(parts->width) * depth + 31) / 32) * 4;
  Picture picture{parts->width, parts->height, std::vector<std::uint32_t>(std::size_t(parts->width) * parts->height)};
  bool any_alpha = false;
  for (int y = 0; y < parts->height; ++y) {
    const int source_row = parts->top_down ? y : parts->height - 1 - y;
    const std::uint8_t* row = file.data() + parts->bits_offset + stride * std::size_t(source_row);
    for (int x = 0; x < parts->width; ++x, row += bytes_per_pixel) {
      const int alpha = depth == 32 ? row[3] : 255;
      any_alpha = any_alpha || alpha != 0;
      picture.pixels[std::size_t(y) * parts->width + x] =
          (std::uint32_t(alpha) << 24) | (std::uint32_t(row[2]) << 16) | (std::uint32_t(row[1]) << 8) | row[0];
    }
  }
  for (std::uint32_t& p : picture.pixels) {
    if (!any_alpha) {
      p |= 0xFF000000u;
      continue;
    }
    p = premultiplied((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF, p >> 24);
  }
  return picture;
}

PictureFile read_picture_file(std::span<const std::uint8_t> file) {
  PictureFile out;
  auto too_large = [&](std::int64_t w, std::int64_t h) {
    out.problem = "too large: " + std::to_string(w) + " x " + std::to_string(h) + " pixels, at most " +
                  std::to_string(kLargestSide) + " x " + std::to_string(kLargestSide);
  };
  if (file.size() >= 2 && file[0] == 'B' && file[1] == 'M') {
    if (file.size() >= kBmpFileHeader + 40) {
      const std::int64_t w = std::int32_t(le32(&file[18])), h = std::abs(std::int64_t(std::int32_t(le32(&file[22]))));
      if (w > kLargestSide || h > kLargestSide) {
        too_large(w, h);
        return out;
      }
    }
    out.picture = decode_bmp(file);
    if (!out.picture) out.problem = "a damaged or unsupported BMP image (24 or 32 bits per pixel, uncompressed, expected)";
    return out;
  }
  static constexpr std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (file.size() >= 8 && std::memcmp(file.data(), kSignature, 8) == 0) {
    if (file.size() >= 24 && std::memcmp(&file[12], "IHDR", 4) == 0) {
      const std::uint32_t w = be32(&file[16]), h = be32(&file[20]);
      if (w > std::uint32_t(kLargestSide) || h > std::uint32_t(kLargestSide)) {
        too_large(w, h);
        return out;
      }
    }
    out.picture = decode_png(file);
    if (!out.picture)
      out.problem = "a damaged or unsupported PNG image (8-bit RGB, RGBA or palette, not interlaced, expected)";
    return out;
  }
  out.problem = "not a BMP or PNG image";
  return out;
}

Picture resample(const Picture& source, int width, int height) {
  if (width <= 0 || height <= 0 || source.width <= 0 || source.height <= 0) return {};
  Picture out{width, height, {}};
  std::vector<Taps> across = taps(source.width, width), down = taps(source.height, height);
  std::vector<std::uint32_t> rows(std::size_t(width) * source.height);
  for (int y = 0; y < source.height; ++y)
    for (int x = 0; x < width; ++x)
      rows[std::size_t(y) * width + x] = weighted(&source.pixels[std::size_t(y) * source.width], 1, across[x]);
  out.pixels.resize(std::size_t(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) out.pixels[std::size_t(y) * width + x] = weighted(&rows[x], width, down[y]);
  return out;
}

Picture cover(const Picture& source, int width, int height) {
  if (width <= 0 || height <= 0 || source.width <= 0 || source.height <= 0) return {};
  // The largest part of the source with the target's proportions.
  int crop_width = source.width, crop_height = source.height;
  if (std::int64_t(source.width) * height > std::int64_t(source.height) * width)
    crop_width = int((std::int64_t(source.height) * width + height / 2) / height);
  else
    crop_height = int((std::int64_t(source.width) * height + width / 2) / width);
  if (crop_width < 1) crop_width = 1;
  if (crop_height < 1) crop_height = 1;
  Picture cropped{crop_width, crop_height, std::vector<std::uint32_t>(std::size_t(crop_width) * crop_height)};
  const int left = (source.width - crop_width) / 2, top = (source.height - crop_height) / 2;
  for (int y = 0; y < crop_height; ++y)
    std::memcpy(&cropped.pixels[std::size_t(y) * crop_width],
                &source.pixels[std::size_t(top + y) * source.width + left], sizeof(std::uint32_t) * crop_width);
  return resample(cropped, width, height);
}

std::vector<std::uint32_t> unpremultiplied(const Picture& picture) {
  std::vector<std::uint32_t> out(picture.pixels.size());
  for (std::size_t i = 0; i < out.size(); ++i) {
    std::uint32_t p = picture.pixels[i];
    std::uint32_t a = p >> 24;
    if (a == 0) continue;
    auto channel = [&](int shift) {
      std::uint32_t v = ((p >> shift) & 0xFF) * 255 / a;
      return (v > 255 ? 255u : v) << shift;
    };
    out[i] = (a << 24) | channel(16) | channel(8) | channel(0);
  }
  return out;
}

}  // namespace setup
