#include "GraphicsFakeFiler.h"
#include "platform/BmpCodec.h"
#include "platform/ColorMaps.h"
#include "platform/Pictures.h"

#include <QBuffer>
#include <QDir>
#include <QImageWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <climits>
#include <functional>

namespace {

uint32_t U32(const QByteArray& bytes, int offset) {
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.constData()) + offset;
  return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24);
}
uint16_t U16(const QByteArray& bytes, int offset) {
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.constData()) + offset;
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint8_t Byte(const QByteArray& bytes, int offset) { return static_cast<uint8_t>(bytes[offset]); }

// A BMP file assembled field by field, independent of the writer under test.
struct TBmpBuilder {
  int32_t Width = 1;
  int32_t Height = 1;
  uint16_t Bits = 24;
  uint32_t Compression = 0;
  std::vector<QRgb> Table;
  QByteArray Pixels;  // rows as stored
  int32_t PelsX = 2835, PelsY = 2835;
  std::optional<uint32_t> OffsetOverride;

  QByteArray Build() const {
    QByteArray out("BM");
    const uint32_t offset = OffsetOverride.value_or(14 + 40 + uint32_t(Table.size()) * 4);
    AppendUInt32(out, offset + uint32_t(Pixels.size()));
    AppendUInt32(out, 0);
    AppendUInt32(out, offset);
    AppendUInt32(out, 40);
    AppendUInt32(out, static_cast<uint32_t>(Width));
    AppendUInt32(out, static_cast<uint32_t>(Height));
    AppendUInt16(out, 1);
    AppendUInt16(out, Bits);
    AppendUInt32(out, Compression);
    AppendUInt32(out, uint32_t(Pixels.size()));
    AppendUInt32(out, static_cast<uint32_t>(PelsX));
    AppendUInt32(out, static_cast<uint32_t>(PelsY));
    AppendUInt32(out, uint32_t(Table.size()));
    AppendUInt32(out, 0);
    for (QRgb c : Table) {
      out.append(char(qBlue(c)));
      out.append(char(qGreen(c)));
      out.append(char(qRed(c)));
      out.append('\0');
    }
    out.append(Pixels);
    return out;
  }
};

QByteArray Bytes(std::initializer_list<int> values) {
  QByteArray out;
  for (int v : values) out.append(static_cast<char>(v));
  return out;
}

QByteArray Encode(const QImage& image, const char* format) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  EXPECT_TRUE(writer.write(image)) << format;
  return buffer.data();
}

template <class E>
QString MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const E& e) {
    return e.Message();
  }
  return QStringLiteral("<no exception>");
}

QByteArray EmfHeader(int32_t frameRight, int32_t frameBottom) {
  QByteArray out;
  AppendUInt32(out, 1);    // header record
  AppendUInt32(out, 88);   // record size
  for (int i = 0; i < 4; ++i) AppendUInt32(out, 0);  // bounds
  AppendUInt32(out, 0);
  AppendUInt32(out, 0);
  AppendUInt32(out, static_cast<uint32_t>(frameRight));
  AppendUInt32(out, static_cast<uint32_t>(frameBottom));
  AppendUInt32(out, 0x464D4520);  // " EMF"
  while (out.size() < 108) out.append(char(out.size() & 0x7F));  // rest of header and records
  return out;
}

}  // namespace

TEST(BmpWriter, EightBitFileLayout) {
  TBitmap bitmap(5, 3, pf8bit);
  ASSERT_EQ(bitmap.ColorTable().size(), 256);
  bitmap.Canvas()->SetPixel(0, 2, clRed);   // bottom-left: the first stored row
  bitmap.Canvas()->SetPixel(4, 0, clBlue);  // top-right: the last stored row
  const QByteArray file = bitmap.SaveToStream();
  const int tableBytes = 256 * 4, rowSize = 8;
  ASSERT_EQ(file.size(), 14 + 40 + tableBytes + rowSize * 3);
  EXPECT_EQ(file.left(2), "BM");
  EXPECT_EQ(U32(file, 2), uint32_t(file.size()));
  EXPECT_EQ(U32(file, 6), 0u);
  EXPECT_EQ(U32(file, 10), uint32_t(14 + 40 + tableBytes));
  EXPECT_EQ(U32(file, 14), 40u);
  EXPECT_EQ(U32(file, 18), 5u);
  EXPECT_EQ(U32(file, 22), 3u);  // positive: rows bottom-up
  EXPECT_EQ(U16(file, 26), 1);
  EXPECT_EQ(U16(file, 28), 8);
  EXPECT_EQ(U32(file, 30), 0u);  // uncompressed
  EXPECT_EQ(U32(file, 34), uint32_t(rowSize * 3));
  EXPECT_EQ(U32(file, 46), 256u);
  const int table = 54;
  const int redIndex = bitmap.ColorTable().indexOf(qRgb(255, 0, 0));
  const int blueIndex = bitmap.ColorTable().indexOf(qRgb(0, 0, 255));
  ASSERT_GE(redIndex, 0);
  EXPECT_EQ(Byte(file, table + redIndex * 4 + 2), 255);  // B, G, R, 0
  EXPECT_EQ(Byte(file, table + redIndex * 4), 0);
  EXPECT_EQ(Byte(file, table + blueIndex * 4), 255);
  const int pixels = table + tableBytes;
  EXPECT_EQ(Byte(file, pixels), redIndex);
  EXPECT_EQ(Byte(file, pixels + 2 * rowSize + 4), blueIndex);
  for (int pad = 5; pad < rowSize; ++pad) EXPECT_EQ(Byte(file, pixels + pad), 0) << pad;
}

TEST(BmpWriter, TwentyFourAndThirtyTwoBitLayouts) {
  TBitmap bitmap(3, 2, pf24bit);
  bitmap.Canvas()->SetPixel(0, 1, RGBColor(10, 20, 30));
  QByteArray file = bitmap.SaveToStream();
  ASSERT_EQ(file.size(), 54 + 12 * 2);
  EXPECT_EQ(U16(file, 28), 24);
  EXPECT_EQ(U32(file, 10), 54u);
  EXPECT_EQ(U32(file, 46), 0u);  // no colour table
  EXPECT_EQ(Byte(file, 54), 30);  // blue first
  EXPECT_EQ(Byte(file, 55), 20);
  EXPECT_EQ(Byte(file, 56), 10);
  EXPECT_EQ(Byte(file, 54 + 9), 0);  // row padding

  bitmap.SetPixelFormat(pf32bit);
  file = bitmap.SaveToStream();
  ASSERT_EQ(file.size(), 54 + 12 * 2);
  EXPECT_EQ(U16(file, 28), 32);
  EXPECT_EQ(Byte(file, 54), 30);
  EXPECT_EQ(Byte(file, 56), 10);
}

TEST(BmpReader, FilesComeBackByteForByte) {
  struct Case { const char* name; TBmpBuilder bmp; TPixelFormat format; };
  TBmpBuilder eight;  // a small palette with a repeated colour: indices must survive
  eight.Width = 3;
  eight.Height = 2;
  eight.Bits = 8;
  eight.Table = {qRgb(1, 2, 3), qRgb(200, 100, 50), qRgb(200, 100, 50)};
  eight.Pixels = Bytes({0, 1, 2, 0, 2, 2, 1, 0});
  TBmpBuilder four;
  four.Width = 5;
  four.Height = 1;
  four.Bits = 4;
  four.Table = {qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(9, 9, 9)};
  four.Pixels = Bytes({0x12, 0x01, 0x20, 0});
  TBmpBuilder one;
  one.Width = 10;
  one.Height = 2;
  one.Bits = 1;
  one.Table = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
  one.Pixels = Bytes({0xA5, 0x40, 0, 0, 0x0F, 0xC0, 0, 0});
  TBmpBuilder twentyFour;
  twentyFour.Width = 2;
  twentyFour.Height = 2;
  twentyFour.Pixels = Bytes({1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0});
  TBmpBuilder thirtyTwo;  // the fourth byte of each pixel is kept as it was
  thirtyTwo.Width = 2;
  thirtyTwo.Height = 1;
  thirtyTwo.Bits = 32;
  thirtyTwo.Pixels = Bytes({1, 2, 3, 0, 4, 5, 6, 0x7F});
  TBmpBuilder sixteen;
  sixteen.Width = 2;
  sixteen.Height = 1;
  sixteen.Bits = 16;
  sixteen.Pixels = Bytes({0x1F, 0x00, 0xE0, 0x7F});
  const Case cases[] = {{"8-bit", eight, pf8bit},        {"4-bit", four, pf4bit},
                        {"1-bit", one, pf1bit},          {"24-bit", twentyFour, pf24bit},
                        {"32-bit", thirtyTwo, pf32bit},  {"16-bit", sixteen, pf15bit}};
  for (const Case& c : cases) {
    const QByteArray file = c.bmp.Build();
    TBitmap bitmap;
    bitmap.LoadFromStream(file);
    EXPECT_EQ(bitmap.PixelFormat(), c.format) << c.name;
    EXPECT_EQ(bitmap.Width(), c.bmp.Width) << c.name;
    EXPECT_EQ(bitmap.SaveToStream(), file) << c.name;
  }
}

TEST(BmpReader, PixelsLandWhereTheFileSaysAndTopDownRowsAreAccepted) {
  TBmpBuilder bottomUp;
  bottomUp.Width = 1;
  bottomUp.Height = 2;
  bottomUp.Pixels = Bytes({0, 0, 255, 0, 255, 0, 0, 0});  // stored first: the bottom row, red
  TBmpData data = ReadBmp(bottomUp.Build());
  EXPECT_EQ(data.Image.pixel(0, 1), qRgb(255, 0, 0));
  EXPECT_EQ(data.Image.pixel(0, 0), qRgb(0, 0, 255));
  TBmpBuilder topDown = bottomUp;
  topDown.Height = -2;
  data = ReadBmp(topDown.Build());
  EXPECT_EQ(data.Image.pixel(0, 0), qRgb(255, 0, 0));
  EXPECT_EQ(data.Image.height(), 2);
}

TEST(BmpReader, DecodesRunLengthEncodedRows) {
  TBmpBuilder rle;
  rle.Width = 4;
  rle.Height = 2;
  rle.Bits = 8;
  rle.Compression = 1;
  rle.Table = {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0)};
  // Bottom row: three of index 1, then one absolute pixel... absolute runs need 3+, so: run of 1 x index 2.
  // Top row: absolute run 2,1,2 (padded), end of bitmap.
  rle.Pixels = Bytes({3, 1, 1, 2, 0, 0, 0, 3, 2, 1, 2, 0, 0, 1});
  const TBmpData data = ReadBmp(rle.Build());
  const QImage& image = data.Image;
  EXPECT_EQ(image.pixel(0, 1), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(2, 1), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(3, 1), qRgb(0, 255, 0));
  EXPECT_EQ(image.pixel(0, 0), qRgb(0, 255, 0));
  EXPECT_EQ(image.pixel(1, 0), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(2, 0), qRgb(0, 255, 0));
  EXPECT_EQ(image.pixel(3, 0), qRgb(0, 0, 0));  // never reached
}

TEST(BmpReader, RefusesMalformedFilesCleanly) {
  TBmpBuilder good;
  good.Width = 2;
  good.Height = 2;
  good.Pixels = QByteArray(16, '\0');
  struct Case { const char* name; std::function<QByteArray()> make; const char* message; };
  const Case cases[] = {
      {"magic", [&] { QByteArray f = good.Build(); f[0] = 'X'; return f; }, "Bitmap image is not valid"},
      {"bits", [&] { TBmpBuilder b = good; b.Bits = 7; return b.Build(); }, "Bitmap image is not valid"},
      {"zero width", [&] { TBmpBuilder b = good; b.Width = 0; return b.Build(); }, "Bitmap image is not valid"},
      {"negative width", [&] { TBmpBuilder b = good; b.Width = -5; return b.Build(); }, "Bitmap image is not valid"},
      {"huge", [&] { TBmpBuilder b = good; b.Width = 1000000; b.Height = 1000000; return b.Build(); },
       "Image is too large (1000000 x 1000000)"},
      {"most negative height", [&] { TBmpBuilder b = good; b.Height = INT_MIN; return b.Build(); },
       "Image is too large (2 x 2147483648)"},
      {"short rows", [&] { TBmpBuilder b = good; b.Pixels.chop(1); return b.Build(); }, "Stream read error"},
      {"short table", [&] { TBmpBuilder b = good; b.Bits = 8; b.Pixels.clear(); b.Table = {1, 2};
                            QByteArray f = b.Build(); AppendUInt32(f, 0); f[46] = 100; return f; },
       "Stream read error"},
      {"offset beyond end", [&] { TBmpBuilder b = good; b.OffsetOverride = 100000; return b.Build(); },
       "Stream read error"},
      {"offset inside headers", [&] { TBmpBuilder b = good; b.OffsetOverride = 20; return b.Build(); },
       "Bitmap image is not valid"},
      {"top-down run lengths", [&] { TBmpBuilder b = good; b.Bits = 8; b.Compression = 1; b.Height = -2;
                                     return b.Build(); }, "Bitmap image is not valid"},
      {"bit fields on 24 bits", [&] { TBmpBuilder b = good; b.Compression = 3; return b.Build(); },
       "Bitmap image is not valid"},
      {"header only", [&] { return good.Build().left(20); }, "Stream read error"},
      {"tiny", [&] { return QByteArray("BM"); }, "Bitmap image is not valid"},
  };
  for (const Case& c : cases) {
    const QByteArray file = c.make();
    const QString message = MessageOf<Exception>([&] { ReadBmp(file); });
    EXPECT_EQ(message, QLatin1String(c.message)) << c.name;
  }
  EXPECT_THROW(ReadBmp(TBmpBuilder{good}.Build().left(40)), EReadError);
}

TEST(BitmapData, CountThenFileAndLyingCountsFail) {
  TBitmap bitmap(2, 2);
  const QByteArray data = bitmap.WriteData();
  const QByteArray file = bitmap.SaveToStream();
  EXPECT_EQ(U32(data, 0), uint32_t(file.size()));
  EXPECT_EQ(data.mid(4), file);

  TRecordingFiler filer;
  TBitmap copy;
  copy.DefineProperties(filer);
  ASSERT_TRUE(filer.Properties["Data"].Binary);
  EXPECT_FALSE(filer.Properties["Data"].HasData);  // empty bitmap: nothing written
  filer.Properties["Data"].ReadBinary(data);
  EXPECT_EQ(copy.Width(), 2);
  EXPECT_EQ(copy.SaveToStream(), file);

  QByteArray lying = data;
  lying[0] = static_cast<char>(0xFF);  // claims more bytes than follow
  TBitmap victim(1, 1);
  EXPECT_EQ(MessageOf<EReadError>([&] {
              TByteReader reader(lying);
              victim.ReadData(reader);
            }),
            "Stream read error");
  EXPECT_EQ(victim.Width(), 1);  // unchanged
  QByteArray truncated = data.left(3);
  EXPECT_THROW(
      {
        TByteReader reader(truncated);
        victim.ReadData(reader);
      },
      EReadError);
}

TEST(Bitmap, ResizingKeepsTheTopLeftPixels) {
  TBitmap bitmap(4, 4);
  bitmap.Canvas()->SetPixel(1, 1, clRed);
  bitmap.SetSize(8, 6);
  EXPECT_EQ(bitmap.Width(), 8);
  EXPECT_EQ(bitmap.Canvas()->Pixel(1, 1), clRed);
  EXPECT_EQ(bitmap.Canvas()->Pixel(7, 5), clWhite);
  bitmap.SetSize(0, 0);
  EXPECT_TRUE(bitmap.Empty());
  EXPECT_EQ(MessageOf<EInvalidGraphic>([&] { bitmap.SetSize(70000, 10); }), "Image is too large (70000 x 10)");
  EXPECT_EQ(MessageOf<EInvalidGraphic>([&] { bitmap.SetSize(20000, 20000); }), "Image is too large (20000 x 20000)");
  EXPECT_THROW(bitmap.SetSize(-1, 5), EInvalidGraphic);
}

TEST(Bitmap, PaletteBitmapsMapPaintedColoursToTheirTable) {
  TBitmap bitmap(4, 1, pf4bit);
  bitmap.Canvas()->SetPixel(0, 0, clRed);
  bitmap.Canvas()->SetPixel(1, 0, RGBColor(250, 5, 5));  // nearest table colour: red
  TBitmap copy;
  copy.LoadFromStream(bitmap.SaveToStream());
  EXPECT_EQ(copy.PixelFormat(), pf4bit);
  EXPECT_EQ(copy.Canvas()->Pixel(0, 0), clRed);
  EXPECT_EQ(copy.Canvas()->Pixel(1, 0), clRed);
  EXPECT_EQ(copy.Canvas()->Pixel(2, 0), clWhite);
}

TEST(Bitmap, AssignCopiesIndependentPixelsAndDrawingBumpsTheRevision) {
  TBitmap original(3, 3);
  original.Canvas()->SetPixel(0, 0, clBlue);
  TBitmap copy;
  copy.Assign(&original);
  const uint64_t revision = copy.ContentRevision();
  copy.Canvas()->SetPixel(0, 0, clRed);
  EXPECT_GT(copy.ContentRevision(), revision);
  EXPECT_EQ(original.Canvas()->Pixel(0, 0), clBlue);
  EXPECT_EQ(copy.Canvas()->Pixel(0, 0), clRed);
  int changes = 0;
  copy.OnChange = [&](TPersistent*) { ++changes; };
  copy.SetPixelFormat(pf8bit);
  copy.SetTransparent(true);
  EXPECT_EQ(changes, 2);
}

TEST(Bitmap, ThirtyTwoBitPixelsDrawOpaque) {
  TBmpBuilder bmp;
  bmp.Width = 1;
  bmp.Height = 1;
  bmp.Bits = 32;
  bmp.Pixels = Bytes({0, 0, 255, 0});  // red with a zero fourth byte
  TBitmap bitmap;
  bitmap.LoadFromStream(bmp.Build());
  QImage target = NewScreenImage(2, 2, QImage::Format_RGB32);
  target.fill(Qt::white);
  {
    TCanvas canvas(&target);
    canvas.Draw(0, 0, &bitmap);
  }
  EXPECT_EQ(target.pixel(0, 0), qRgb(255, 0, 0));
}

TEST(Metafile, KeepsItsBytesAndReadsItsSizeFromTheHeader) {
  const QByteArray emf = EmfHeader(2540, 1270);  // 1 x 0.5 inch
  TMetafile metafile;
  metafile.LoadFromStream(emf);
  EXPECT_TRUE(metafile.Enhanced());
  EXPECT_EQ(metafile.Width(), ScreenPixelsPerInch());
  EXPECT_EQ(metafile.Height(), ScreenPixelsPerInch() / 2);
  EXPECT_EQ(metafile.SaveToStream(), emf);

  QByteArray wmf;
  AppendUInt32(wmf, 0x9AC6CDD7);
  AppendUInt16(wmf, 0);
  for (int v : {0, 0, 1440, 720}) AppendUInt16(wmf, static_cast<uint16_t>(v));
  AppendUInt16(wmf, 1440);
  AppendUInt32(wmf, 0);
  AppendUInt16(wmf, 0);
  wmf.append("records...");
  metafile.LoadFromStream(wmf);
  EXPECT_FALSE(metafile.Enhanced());
  EXPECT_EQ(metafile.Width(), ScreenPixelsPerInch());
  EXPECT_EQ(metafile.SaveToStream(), wmf);

  EXPECT_EQ(MessageOf<EInvalidGraphic>([&] { metafile.LoadFromStream(QByteArray("not a metafile at all")); }),
            "Metafile is not valid");
  EXPECT_EQ(metafile.SaveToStream(), wmf);  // a failed load keeps the previous bytes

  QImage target = NewScreenImage(20, 20, QImage::Format_RGB32);
  target.fill(Qt::white);
  {
    TCanvas canvas(&target);
    canvas.StretchDraw(TRect{0, 0, 20, 20}, &metafile);
  }
  EXPECT_NE(target.pixel(10, 10), qRgb(255, 255, 255));  // the placeholder shows
}

TEST(Picture, DataHoldsTheClassNameThenTheGraphicData) {
  TPicture picture;
  TRecordingFiler emptyFiler;
  picture.DefineProperties(emptyFiler);
  EXPECT_FALSE(emptyFiler.Properties["Data"].HasData);

  picture.Bitmap()->SetSize(3, 2);
  picture.Bitmap()->Canvas()->SetPixel(2, 1, clLime);
  const QByteArray data = picture.WriteData();
  EXPECT_EQ(Byte(data, 0), 7);
  EXPECT_EQ(data.mid(1, 7), "TBitmap");
  EXPECT_EQ(data.mid(8), picture.Graphic()->WriteData());

  TPicture copy;
  TRecordingFiler filer;
  copy.DefineProperties(filer);
  filer.Properties["Data"].ReadBinary(data);
  ASSERT_NE(qobject_cast<TBitmap*>(copy.Graphic()), nullptr);
  EXPECT_EQ(copy.Bitmap()->Canvas()->Pixel(2, 1), clLime);
  EXPECT_EQ(copy.WriteData(), data);

  TPicture metafilePicture;
  metafilePicture.Metafile()->LoadFromStream(EmfHeader(100, 100));
  TPicture metafileCopy;
  metafileCopy.ReadData(metafilePicture.WriteData());
  ASSERT_NE(qobject_cast<TMetafile*>(metafileCopy.Graphic()), nullptr);
  EXPECT_EQ(metafileCopy.Metafile()->Bytes(), EmfHeader(100, 100));
}

TEST(Picture, MalformedDataFailsCleanly) {
  TPicture picture;
  struct Case { const char* name; QByteArray data; const char* message; };
  QByteArray unknown("\x0ATFooImage1");
  AppendUInt32(unknown, 0);
  QByteArray lyingCount("\x07TBitmap");
  AppendUInt32(lyingCount, 1000);
  lyingCount.append("BM");
  const Case cases[] = {
      {"nothing", QByteArray(), "Stream read error"},
      {"name longer than data", QByteArray("\x20TBit"), "Stream read error"},
      {"unknown class", unknown, "Class TFooImage1 not found"},
      {"count beyond data", lyingCount, "Stream read error"},
      {"no count", QByteArray("\x07TBitmap\x01"), "Stream read error"},
  };
  for (const Case& c : cases) EXPECT_EQ(MessageOf<Exception>([&] { picture.ReadData(c.data); }), c.message) << c.name;
  EXPECT_TRUE(picture.Empty());
  picture.ReadData(QByteArray(1, '\0'));
  EXPECT_EQ(picture.Graphic(), nullptr);
}

TEST(Picture, EncodedImagesKeepTheirFileBytes) {
  QImage source(6, 4, QImage::Format_ARGB32);
  source.fill(qRgba(0, 128, 255, 255));
  const QByteArray png = Encode(source, "PNG");
  TPngImage image;
  image.LoadFromStream(png);
  EXPECT_EQ(image.Width(), 6);
  EXPECT_EQ(image.Height(), 4);
  TPicture picture;
  picture.SetGraphic(&image);
  const QByteArray data = picture.WriteData();
  EXPECT_EQ(data.mid(1, Byte(data, 0)), "TPngImage");
  TPicture copy;
  copy.ReadData(data);
  auto* decoded = qobject_cast<TPngImage*>(copy.Graphic());
  ASSERT_NE(decoded, nullptr);
  EXPECT_EQ(decoded->Bytes(), png);
  EXPECT_EQ(MessageOf<EInvalidGraphic>([&] { image.LoadFromStream(QByteArray("\x89PNG broken")); }),
            "PNG image is not valid");
}

TEST(Picture, FilesLoadAndSaveByExtension) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QImage source(5, 3, QImage::Format_RGB32);
  source.fill(qRgb(0, 0, 255));
  // Qt writes no GIF files: a blue 5 x 3 one, byte by byte.
  const QByteArray gif = QByteArray::fromHex(
      "47494638396105000300f000000000ff00000021f90400000000002c0000000005000300000203848f59003b");
  struct Case { const char* extension; const char* className; const char* writerFormat; int width; };
  const Case cases[] = {{"bmp", "TBitmap", nullptr, 5},      {"png", "TPngImage", "PNG", 5},
                        {"jpg", "TJPEGImage", "JPEG", 5},    {"gif", "TGIFImage", "", 5},
                        {"tif", "TTiffImage", "TIFF", 5},    {"TIFF", "TTiffImage", "TIFF", 5}};
  for (const Case& c : cases) {
    const QString path = dir.filePath(QStringLiteral("picture.") + QLatin1String(c.extension));
    if (c.writerFormat) {
      QFile file(path);
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
      file.write(*c.writerFormat ? Encode(source, c.writerFormat) : gif);
    } else {
      TBitmap bitmap;
      bitmap.SetImage(source);
      bitmap.SaveToFile(path);
    }
    TPicture picture;
    picture.LoadFromFile(path);
    ASSERT_NE(picture.Graphic(), nullptr) << c.extension;
    EXPECT_EQ(picture.Graphic()->ClassName(), QLatin1String(c.className));
    EXPECT_EQ(picture.Width(), c.width) << c.extension;
    const QString copyPath = path + QStringLiteral(".copy.") + QLatin1String(c.extension);
    picture.SaveToFile(copyPath);
    QFile original(path), copy(copyPath);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly) && copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(original.readAll(), copy.readAll()) << c.extension;
  }
  TPicture picture;
  EXPECT_EQ(MessageOf<EInvalidGraphic>([&] { picture.LoadFromFile(dir.filePath(QStringLiteral("x.xyz"))); }),
            "Unknown picture file extension (.xyz)");
  EXPECT_THROW(picture.LoadFromFile(dir.filePath(QStringLiteral("missing.png"))), EPictureFileError);
  EXPECT_TRUE(GraphicFileFilter().contains(QStringLiteral("*.png")));
  EXPECT_TRUE(GraphicFileExtensions().contains(QStringLiteral("tiff")));
}

TEST(Picture, AssignCopiesTheGraphicAndNotifies) {
  TPicture source;
  source.Bitmap()->SetSize(2, 2);
  TPicture target;
  int changes = 0;
  target.OnChange = [&](TPersistent*) { ++changes; };
  target.Assign(&source);
  EXPECT_GT(changes, 0);
  ASSERT_NE(target.Graphic(), nullptr);
  EXPECT_NE(target.Graphic(), source.Graphic());
  const int before = changes;
  target.Bitmap()->SetSize(4, 4);  // changes of the held graphic reach the picture
  EXPECT_GT(changes, before);
  target.Assign(nullptr);
  EXPECT_TRUE(target.Empty());
}

// Every corruption of a valid file either reads or fails with one of our exceptions; the
// sanitizers catch any read outside the data.
TEST(BmpReader, SurvivesTruncatedAndCorruptedFiles) {
  TBmpBuilder rle;
  rle.Width = 6;
  rle.Height = 3;
  rle.Bits = 4;
  rle.Compression = 2;
  rle.Table = {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};
  rle.Pixels = Bytes({4, 0x12, 0, 3, 0x31, 0x20, 0, 0, 0, 2, 1, 1, 2, 0x33, 0, 0, 0, 1});
  TBmpBuilder plain;
  plain.Width = 7;
  plain.Height = 2;
  plain.Bits = 8;
  plain.Table = {qRgb(1, 1, 1), qRgb(2, 2, 2)};
  plain.Pixels = QByteArray(16, '\1');
  uint32_t state = 2024;
  auto next = [&] { return state = state * 1664525u + 1013904223u; };
  for (const QByteArray& valid : {rle.Build(), plain.Build(), TBitmap(3, 3, pf32bit).SaveToStream()}) {
    EXPECT_NO_THROW(ReadBmp(valid));
    for (qsizetype length = 0; length < valid.size(); ++length) {
      try {
        ReadBmp(valid.left(length));
      } catch (const Exception&) {
      }
    }
    for (int round = 0; round < 3000; ++round) {
      QByteArray corrupt = valid;
      const int changes = 1 + next() % 4;
      for (int i = 0; i < changes; ++i) corrupt[next() % corrupt.size()] = static_cast<char>(next() >> 24);
      try {
        TBitmap bitmap;
        bitmap.LoadFromStream(corrupt);
        bitmap.SaveToStream();
      } catch (const Exception&) {
      }
    }
  }
}

TEST(Picture, SurvivesCorruptedData) {
  TPicture source;
  source.Bitmap()->SetSize(3, 2);
  const QByteArray valid = source.WriteData();
  uint32_t state = 7;
  auto next = [&] { return state = state * 1664525u + 1013904223u; };
  for (int round = 0; round < 3000; ++round) {
    QByteArray corrupt = valid;
    corrupt[next() % corrupt.size()] = static_cast<char>(next() >> 24);
    if (round % 3 == 0) corrupt.truncate(next() % corrupt.size());
    TPicture picture;
    try {
      picture.ReadData(corrupt);
    } catch (const Exception&) {
    }
  }
}
