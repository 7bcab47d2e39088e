// Hand-made golden pairs: data/<name>.txt with the exact binary bytes in data/<name>.hex.
#include "StreamTestUtil.h"
#include "streaming/ObjectText.h"

#include <QFile>

namespace {

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << Str(path);
  return file.readAll();
}

// Hex pairs; '#' starts a comment that runs to the end of the line.
QByteArray ReadHexFile(const QString& path) {
  QByteArray hex;
  for (const QByteArray& line : ReadFile(path).split('\n')) {
    const qsizetype comment = line.indexOf('#');
    hex += comment < 0 ? line : line.left(comment);
    hex += ' ';
  }
  return Hex(hex.constData());
}

class GoldenStream : public ::testing::TestWithParam<const char*> {
protected:
  QString PathOf(const char* extension) const {
    return QStringLiteral(DIAGRAM_TEST_DATA "/data/%1.%2").arg(QString::fromLatin1(GetParam()), QString::fromLatin1(extension));
  }
};

}  // namespace

TEST_P(GoldenStream, TextConvertsToTheExactBytes) {
  EXPECT_EQ(ToHex(ObjectTextToBinary(ReadFile(PathOf("txt")))), ToHex(ReadHexFile(PathOf("hex"))));
}

TEST_P(GoldenStream, BytesConvertToTheExactText) {
  EXPECT_EQ(ObjectBinaryToText(ReadHexFile(PathOf("hex"))).toStdString(), ReadFile(PathOf("txt")).toStdString());
}

INSTANTIATE_TEST_SUITE_P(Data, GoldenStream, ::testing::Values("simple", "children", "strings", "numbers"));
