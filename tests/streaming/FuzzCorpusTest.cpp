// Replays the fuzzing corpora: every file must convert or fail with one of our exceptions.
#include "StreamTestUtil.h"
#include "platform/Component.h"
#include "streaming/ComponentStream.h"
#include "streaming/ObjectText.h"

#include <QDir>
#include <QFile>

namespace {

QStringList CorpusFiles(const QString& target) {
  QDir dir(QStringLiteral(DIAGRAM_FUZZ_CORPUS "/") + target);
  QStringList files;
  for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) files << dir.filePath(name);
  return files;
}

QByteArray Contents(const QString& path) {
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  return file.readAll();
}

// Success, or a clean failure of the stream's own kinds; anything else fails the test.
void ExpectCleanOutcome(const std::function<void()>& action, const QString& file) {
  try {
    action();
  } catch (const EFilerError&) {
  } catch (const EParserError&) {
  } catch (const EComponentError&) {
  } catch (const std::exception& e) {
    ADD_FAILURE() << Str(file) << ": " << e.what();
  }
}

// Text the converter produced must always parse again (floats keep 16 significant digits,
// so only the parse, not the exact bytes, is compared for arbitrary inputs).
void ExpectReparses(const QByteArray& text, const QString& file) {
  try {
    const QByteArray binary = ObjectTextToBinary(text);
    EXPECT_EQ(ObjectBinaryToText(binary).size(), text.size()) << Str(file);
  } catch (const std::exception& e) {
    ADD_FAILURE() << Str(file) << ": produced text does not convert back: " << e.what();
  }
}

}  // namespace

TEST(FuzzCorpus, BinaryReaderInputsConvertOrFailCleanly) {
  RegisterClass<TComponent>();
  const QStringList files = CorpusFiles(QStringLiteral("binary_reader"));
  ASSERT_FALSE(files.isEmpty());
  for (const QString& file : files) {
    const QByteArray data = Contents(file);
    TComponent root;
    ExpectCleanOutcome([&] { ReadComponent(data, &root); }, file);
    QByteArray text;
    ExpectCleanOutcome([&] { text = ObjectBinaryToText(data); }, file);
    if (!text.isEmpty()) ExpectReparses(text, file);
  }
}

TEST(FuzzCorpus, TextParserInputsConvertOrFailCleanly) {
  const QStringList files = CorpusFiles(QStringLiteral("text_parser"));
  ASSERT_FALSE(files.isEmpty());
  for (const QString& file : files) {
    const QByteArray data = Contents(file);
    QByteArray text;
    ExpectCleanOutcome([&] { text = ObjectBinaryToText(ObjectTextToBinary(data)); }, file);
    if (!text.isEmpty()) ExpectReparses(text, file);
  }
}
