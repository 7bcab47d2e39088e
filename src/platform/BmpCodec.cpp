#include "platform/BmpCodec.h"
#include "platform/Pictures.h"

#include <array>
#include <bit>
#include <cstdlib>

namespace {

constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_RLE8 = 1;
constexpr uint32_t BI_RLE4 = 2;
constexpr uint32_t BI_BITFIELDS = 3;
constexpr int FileHeaderSize = 14;
constexpr int InfoHeaderSize = 40;
constexpr int CoreHeaderSize = 12;

[[noreturn]] void Invalid() { throw EInvalidGraphic(QStringLiteral("Bitmap image is not valid")); }
[[noreturn]] void ShortRead() { throw EReadError(QStringLiteral("Stream read error")); }

int64_t RowSize(int64_t width, int bitsPerPixel) { return ((width * bitsPerPixel + 31) / 32) * 4; }

struct THeader {
  int64_t Width = 0;
  int64_t Height = 0;
  bool TopDown = false;
  int BitsPerPixel = 0;
  uint32_t Compression = BI_RGB;
  uint32_t ColorsUsed = 0;
  int32_t XPelsPerMeter = 0;
  int32_t YPelsPerMeter = 0;
  bool Core = false;
  std::array<uint32_t, 4> Masks{};  // red, green, blue, alpha
};

// One colour channel of a bit-field pixel, scaled to 8 bits.
struct TChannel {
  uint32_t Mask = 0;
  int Shift = 0;
  uint32_t Max = 0;
  explicit TChannel(uint32_t mask) : Mask(mask) {
    if (!mask) return;
    Shift = std::countr_zero(mask);
    Max = mask >> Shift;
  }
  int Extract(uint32_t pixel, int absent) const {
    if (!Mask) return absent;
    const uint32_t value = (pixel & Mask) >> Shift;
    return static_cast<int>((uint64_t(value) * 255 + Max / 2) / Max);
  }
};

THeader ReadHeaders(TByteReader& reader, uint32_t& pixelOffset) {
  if (reader.ReadByte() != 'B' || reader.ReadByte() != 'M') Invalid();
  reader.ReadUInt32();  // file size: not trusted
  reader.ReadUInt32();  // reserved
  pixelOffset = reader.ReadUInt32();
  THeader h;
  const uint32_t headerSize = reader.ReadUInt32();
  if (headerSize == CoreHeaderSize) {
    h.Core = true;
    h.Width = reader.ReadUInt16();
    h.Height = reader.ReadUInt16();
    reader.ReadUInt16();  // planes
    h.BitsPerPixel = reader.ReadUInt16();
    return h;
  }
  if (headerSize < InfoHeaderSize || headerSize > 1024) Invalid();
  h.Width = reader.ReadInt32();
  const int64_t height = reader.ReadInt32();
  h.TopDown = height < 0;
  h.Height = std::llabs(height);
  reader.ReadUInt16();  // planes
  h.BitsPerPixel = reader.ReadUInt16();
  h.Compression = reader.ReadUInt32();
  reader.ReadUInt32();  // image size: derived from the dimensions instead
  h.XPelsPerMeter = reader.ReadInt32();
  h.YPelsPerMeter = reader.ReadInt32();
  h.ColorsUsed = reader.ReadUInt32();
  reader.ReadUInt32();  // important colours
  uint32_t consumed = InfoHeaderSize;
  if (h.Compression == BI_BITFIELDS) {
    // Masks follow a plain information header and are part of the longer ones.
    for (int i = 0; i < 3; ++i) h.Masks[i] = reader.ReadUInt32();
    if (headerSize >= 56) {
      h.Masks[3] = reader.ReadUInt32();
      consumed += 16;
    } else if (headerSize > InfoHeaderSize) {
      consumed += 12;
    }
  }
  if (headerSize > consumed) reader.Skip(headerSize - consumed);
  return h;
}

void ValidateHeader(const THeader& h) {
  switch (h.BitsPerPixel) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: Invalid();
  }
  const bool ok = h.Compression == BI_RGB || (h.Compression == BI_RLE8 && h.BitsPerPixel == 8) ||
                  (h.Compression == BI_RLE4 && h.BitsPerPixel == 4) ||
                  (h.Compression == BI_BITFIELDS && (h.BitsPerPixel == 16 || h.BitsPerPixel == 32));
  if (!ok) Invalid();
  if (h.TopDown && (h.Compression == BI_RLE8 || h.Compression == BI_RLE4)) Invalid();
  if (h.Width <= 0 || h.Height <= 0) Invalid();
  CheckPictureSize(h.Width, h.Height);
}

QList<QRgb> ReadColorTable(TByteReader& reader, const THeader& h) {
  QList<QRgb> table;
  if (h.BitsPerPixel > 8) return table;
  const uint32_t capacity = 1u << h.BitsPerPixel;
  const uint32_t count = (h.ColorsUsed == 0 || h.ColorsUsed > capacity) ? capacity : h.ColorsUsed;
  const int entrySize = h.Core ? 3 : 4;
  const QByteArray bytes = reader.ReadBytes(qsizetype(count) * entrySize);
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.constData());
  table.reserve(count);
  for (uint32_t i = 0; i < count; ++i, p += entrySize) table << qRgb(p[2], p[1], p[0]);
  return table;
}

QImage NewImage(const THeader& h, QImage::Format format) {
  QImage image(static_cast<int>(h.Width), static_cast<int>(h.Height), format);
  if (image.isNull()) throw EInvalidGraphic(QStringLiteral("Not enough memory for the bitmap image"));
  return image;
}

QImage ReadIndexedRows(const uint8_t* data, const THeader& h) {
  QImage image = NewImage(h, QImage::Format_Indexed8);
  const int64_t rowSize = RowSize(h.Width, h.BitsPerPixel);
  const int bpp = h.BitsPerPixel;
  const int perByte = 8 / bpp;
  const uint8_t mask = static_cast<uint8_t>((1u << bpp) - 1);
  for (int64_t row = 0; row < h.Height; ++row) {
    const uint8_t* src = data + row * rowSize;
    uint8_t* dst = image.scanLine(static_cast<int>(h.TopDown ? row : h.Height - 1 - row));
    for (int64_t x = 0; x < h.Width; ++x) {
      const uint8_t byte = src[x / perByte];
      const int shift = 8 - bpp * static_cast<int>(x % perByte + 1);
      dst[x] = static_cast<uint8_t>((byte >> shift) & mask);
    }
  }
  return image;
}

QImage ReadDirectRows(const uint8_t* data, const THeader& h) {
  const bool thirtyTwo = h.BitsPerPixel == 32;
  QImage image = NewImage(h, thirtyTwo ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  const int64_t rowSize = RowSize(h.Width, h.BitsPerPixel);
  std::array<uint32_t, 4> masks = h.Masks;
  const bool bitFields = h.Compression == BI_BITFIELDS;
  if (!bitFields && h.BitsPerPixel == 16) masks = {0x7C00, 0x03E0, 0x001F, 0};
  const TChannel red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);
  for (int64_t row = 0; row < h.Height; ++row) {
    const uint8_t* src = data + row * rowSize;
    auto* dst = reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(h.TopDown ? row : h.Height - 1 - row)));
    for (int64_t x = 0; x < h.Width; ++x) {
      if (h.BitsPerPixel == 24) {
        const uint8_t* p = src + x * 3;
        dst[x] = qRgb(p[2], p[1], p[0]);
      } else if (h.BitsPerPixel == 16) {
        const uint8_t* p = src + x * 2;
        const uint32_t v = p[0] | (p[1] << 8);
        dst[x] = qRgb(red.Extract(v, 0), green.Extract(v, 0), blue.Extract(v, 0));
      } else {
        const uint8_t* p = src + x * 4;
        const uint32_t v = p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24);
        // Plain 32-bit pixels keep their fourth byte exactly.
        dst[x] = bitFields ? qRgba(red.Extract(v, 0), green.Extract(v, 0), blue.Extract(v, 0), alpha.Extract(v, 255)) : v;
      }
    }
  }
  return image;
}

// Run-length encoded 4- or 8-bit pixels; pixels the runs do not reach stay at index 0.
QImage ReadRunLengthRows(TByteReader& reader, const THeader& h) {
  QImage image = NewImage(h, QImage::Format_Indexed8);
  image.fill(0);
  const bool four = h.Compression == BI_RLE4;
  int64_t x = 0, y = 0;  // y counts rows from the bottom
  auto put = [&](uint8_t index) {
    if (x < h.Width && y < h.Height) image.scanLine(static_cast<int>(h.Height - 1 - y))[x] = index;
    ++x;
  };
  while (reader.Remaining() > 0) {
    const uint8_t count = reader.ReadByte();
    const uint8_t value = reader.ReadByte();
    if (count > 0) {
      for (int i = 0; i < count; ++i) put(static_cast<uint8_t>(four ? ((i % 2 == 0) ? value >> 4 : value & 0x0F) : value));
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap
      break;
    } else if (value == 2) {  // delta
      x += reader.ReadByte();
      y += reader.ReadByte();
    } else {  // absolute run of `value` pixels, padded to a 16-bit boundary
      const int bytes = four ? (value + 1) / 2 : value;
      const QByteArray run = reader.ReadBytes(bytes);
      for (int i = 0; i < value; ++i) {
        const uint8_t byte = static_cast<uint8_t>(run[four ? i / 2 : i]);
        put(static_cast<uint8_t>(four ? ((i % 2 == 0) ? byte >> 4 : byte & 0x0F) : byte));
      }
      if (bytes % 2) reader.Skip(1);
    }
    if (y >= h.Height) break;
  }
  return image;
}

}  // namespace

TBmpData ReadBmp(const QByteArray& file) {
  TByteReader reader(file);
  uint32_t pixelOffset = 0;
  if (file.size() < FileHeaderSize + 4) Invalid();
  const THeader h = ReadHeaders(reader, pixelOffset);
  ValidateHeader(h);
  TBmpData result;
  result.BitsPerPixel = h.BitsPerPixel;
  result.XPelsPerMeter = h.XPelsPerMeter;
  result.YPelsPerMeter = h.YPelsPerMeter;
  result.ColorTable = ReadColorTable(reader, h);
  // The rows start at the offset the file header gives (or right here when it gives none).
  if (pixelOffset != 0) {
    if (pixelOffset < reader.Position()) Invalid();
    if (pixelOffset > file.size()) ShortRead();
    reader.Skip(pixelOffset - reader.Position());
  }
  if (h.Compression == BI_RLE8 || h.Compression == BI_RLE4) {
    result.Image = ReadRunLengthRows(reader, h);
  } else {
    const int64_t bytes = RowSize(h.Width, h.BitsPerPixel) * h.Height;
    if (bytes > reader.Remaining()) ShortRead();
    const auto* data = reinterpret_cast<const uint8_t*>(file.constData()) + reader.Position();
    result.Image = h.BitsPerPixel <= 8 ? ReadIndexedRows(data, h) : ReadDirectRows(data, h);
  }
  if (h.BitsPerPixel <= 8) {
    QList<QRgb> padded = result.ColorTable;
    while (padded.size() < 256) padded << qRgb(0, 0, 0);
    result.Image.setColorTable(padded);
  }
  return result;
}

QByteArray WriteBmp(const TBmpData& data) {
  const int bpp = data.BitsPerPixel;
  const bool indexed = bpp <= 8;
  if (data.Image.isNull() || (indexed && data.Image.format() != QImage::Format_Indexed8)) Invalid();
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) Invalid();
  QImage image = data.Image;
  if (!indexed && image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
    image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  const int64_t width = image.width(), height = image.height();
  const int64_t rowSize = RowSize(width, bpp);
  const int capacity = indexed ? 1 << bpp : 0;
  const QList<QRgb> table = indexed ? data.ColorTable.mid(0, capacity) : QList<QRgb>();
  const int64_t offset = FileHeaderSize + InfoHeaderSize + int64_t(table.size()) * 4;
  const int64_t fileSize = offset + rowSize * height;
  if (fileSize > UINT32_MAX) Invalid();

  QByteArray out;
  out.reserve(static_cast<qsizetype>(fileSize));
  out.append("BM", 2);
  AppendUInt32(out, static_cast<uint32_t>(fileSize));
  AppendUInt32(out, 0);
  AppendUInt32(out, static_cast<uint32_t>(offset));
  AppendUInt32(out, InfoHeaderSize);
  AppendUInt32(out, static_cast<uint32_t>(width));
  AppendUInt32(out, static_cast<uint32_t>(height));
  AppendUInt16(out, 1);
  AppendUInt16(out, static_cast<uint16_t>(bpp));
  AppendUInt32(out, BI_RGB);
  AppendUInt32(out, static_cast<uint32_t>(rowSize * height));
  AppendUInt32(out, static_cast<uint32_t>(data.XPelsPerMeter));
  AppendUInt32(out, static_cast<uint32_t>(data.YPelsPerMeter));
  AppendUInt32(out, static_cast<uint32_t>(table.size()));
  AppendUInt32(out, 0);
  for (QRgb c : table) {
    const char entry[4] = {char(qBlue(c)), char(qGreen(c)), char(qRed(c)), 0};
    out.append(entry, 4);
  }

  QByteArray row(static_cast<qsizetype>(rowSize), '\0');
  auto* dst = reinterpret_cast<uint8_t*>(row.data());
  const uint8_t indexMask = indexed ? static_cast<uint8_t>(capacity - 1) : 0;
  for (int64_t r = height - 1; r >= 0; --r) {
    row.fill('\0');
    const uchar* src = image.constScanLine(static_cast<int>(r));
    const auto* pixels = reinterpret_cast<const QRgb*>(src);
    for (int64_t x = 0; x < width; ++x) {
      if (indexed) {
        const int perByte = 8 / bpp;
        const int shift = 8 - bpp * static_cast<int>(x % perByte + 1);
        dst[x / perByte] |= static_cast<uint8_t>((src[x] & indexMask) << shift);
      } else if (bpp == 16) {
        const QRgb c = pixels[x];
        const uint16_t v = static_cast<uint16_t>(((qRed(c) >> 3) << 10) | ((qGreen(c) >> 3) << 5) | (qBlue(c) >> 3));
        dst[x * 2] = v & 0xFF;
        dst[x * 2 + 1] = v >> 8;
      } else if (bpp == 24) {
        const QRgb c = pixels[x];
        dst[x * 3] = qBlue(c);
        dst[x * 3 + 1] = qGreen(c);
        dst[x * 3 + 2] = qRed(c);
      } else {
        const QRgb c = pixels[x];
        dst[x * 4] = qBlue(c);
        dst[x * 4 + 1] = qGreen(c);
        dst[x * 4 + 2] = qRed(c);
        dst[x * 4 + 3] = image.hasAlphaChannel() ? qAlpha(c) : 0xFF;
      }
    }
    out.append(row);
  }
  return out;
}
