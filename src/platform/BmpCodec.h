#pragma once
// Reading and writing BMP files: 14-byte file header, 40-byte information header (other
// header sizes are accepted when reading), colour table for 8 bits per pixel or fewer, rows
// bottom-up padded to 4 bytes. Reading also accepts top-down rows, 16-bit and 32-bit bit
// fields and run-length encoded 4- and 8-bit images.

#include <QImage>
#include <QList>
#include <QByteArray>
#include <cstdint>

struct TBmpData {
  // Indexed8 for 1, 4 and 8 bits per pixel (its colour table padded to 256 entries so every
  // index is defined); RGB32 for 16 and 24 bits; ARGB32 for 32 bits, whose fourth byte is
  // kept as the alpha value.
  QImage Image;
  int BitsPerPixel = 24;
  // The colour table as stored (8 bits per pixel or fewer).
  QList<QRgb> ColorTable;
  int32_t XPelsPerMeter = 0;
  int32_t YPelsPerMeter = 0;
};

// Raises EInvalidGraphic ("Bitmap image is not valid") for malformed headers or data and
// EReadError ("Stream read error") when the pixel rows or colour table are cut short.
TBmpData ReadBmp(const QByteArray& file);
// Writes Image with BitsPerPixel 1, 4, 8 (Image must be Indexed8; ColorTable is written and
// indices are taken modulo the table's capacity), 16 (5-5-5), 24 or 32.
QByteArray WriteBmp(const TBmpData& data);
