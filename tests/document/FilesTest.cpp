#include "document/DiagramGenerator.h"
#include "document/DiagramLibrary.h"
#include "document/StreamDiagram.h"
#include "document/UndoStack.h"
#include "document/vxDiagram.h"
#include "elements/Blocks.h"
#include "platform/Exceptions.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

class FilesTest : public ::testing::Test {
protected:
  void SetUp() override {
    InitializeDiagramLibrary();
    ASSERT_TRUE(dir.isValid());
    diagram = Create<TvxDiagram>(&form);
    diagram->SetName(QStringLiteral("Diagram1"));
    diagram->SetZoom(150);
    for (int i = 0; i < 3; ++i) {
      auto* block = Create<TDiagramBlock>(&form);
      block->SetLeft(10 + 60 * i);
      block->SetTop(20);
      block->SetDiagram(diagram);
    }
  }
  QString PathOf(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
  static QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  QTemporaryDir dir;
  QWidget form, otherForm;
  TvxDiagram* diagram = nullptr;
};

TEST_F(FilesTest, AFileLoadsIntoAnotherDiagramWithElementsNamesAndSettings) {
  const QString path = PathOf("one.dgr");
  diagram->SaveToFile(path);
  const QByteArray text = ReadFile(path);
  EXPECT_TRUE(text.startsWith("object TvxDiagram\r\n")) << "the root is written without a name";
  EXPECT_FALSE(text.contains("__DSOwner___"));
  EXPECT_EQ(diagram->Name(), "Diagram1");

  auto* second = Create<TvxDiagram>(&otherForm);
  second->SetName(QStringLiteral("Other"));
  second->PushUndoStack(QStringLiteral("something"));
  second->LoadFromFile(path);
  EXPECT_EQ(second->Name(), "Other");
  EXPECT_EQ(second->Zoom(), 150);
  ASSERT_EQ(second->DControlCount(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(second->DControls(i)->Name(), diagram->DControls(i)->Name());
  EXPECT_EQ(second->DControls(0)->parent(), &otherForm);
  EXPECT_EQ(second->UndoStack()->Count(), 1);
  EXPECT_EQ(second->NextUndoAction(), "");
  EXPECT_EQ(second->SaveToBytes(true), text);
}

TEST_F(FilesTest, TextAndBinaryStreamsRoundTrip) {
  for (bool textFormat : {false, true}) {
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    diagram->SaveToStream(buffer, textFormat);
    buffer.seek(0);
    auto* second = Create<TvxDiagram>(&otherForm);
    second->LoadFromStream(buffer, textFormat);
    EXPECT_EQ(second->SaveToBytes(false), diagram->SaveToBytes(false)) << textFormat;
    Free(second);
  }
}

TEST_F(FilesTest, AFailedLoadKeepsTheOpenDiagramAndReportsTheError) {
  const QByteArray before = diagram->SaveToBytes(false);
  struct Case {
    const char* name;
    QByteArray content;
  };
  const Case cases[] = {
      {"garbage.dgr", QByteArray("this is not a diagram")},
      {"truncated.dgr", QByteArray("object TvxDiagram\r\n  Zoom = 300\r\n  object B: TDiagramBlock\r\n")},
      {"unknown-class.dgr", QByteArray("object TvxDiagram\r\n  Zoom = 300\r\n  object B: TNoSuchBlock\r\n  end\r\nend\r\n")},
  };
  for (const Case& c : cases) {
    const QString path = PathOf(c.name);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(c.content);
    file.close();
    EXPECT_THROW(diagram->LoadFromFile(path), Exception) << c.name;
    EXPECT_EQ(diagram->DControlCount(), 3) << c.name;
    EXPECT_EQ(diagram->Zoom(), 150) << c.name;
    EXPECT_EQ(diagram->Name(), "Diagram1") << c.name;
    EXPECT_EQ(diagram->SaveToBytes(false), before) << c.name;
  }
}

// Large texts are read while their later parts still convert: the outcome is that of a
// one-pass load, failures and their messages included, and a failure changes nothing.
TEST_F(FilesTest, LargeTextsLoadAsInOnePass) {
  QWidget bigForm;
  auto* big = Create<TvxDiagram>(&bigForm);
  GenerateDiagram(big, &bigForm, {400, 400, 7});
  const QByteArray text = big->SaveToBytes(true);
  ASSERT_GT(text.size(), 3 << 19) << "large enough to come in pieces";

  auto* second = Create<TvxDiagram>(&otherForm);
  second->LoadFromBytes(text, true);
  EXPECT_EQ(second->DControlCount(), big->DControlCount());
  EXPECT_EQ(second->SaveToBytes(true) == text, true);

  // Laid out otherwise (children of the root indented by a tab), a text loads in one pass.
  QByteArray shifted = text;
  shifted.replace("\r\n  object ", "\r\n\tobject ");
  second->LoadFromBytes(shifted, true);
  EXPECT_EQ(second->SaveToBytes(true) == text, true);

  const auto lineOf = [](const QByteArray& t, qsizetype at) { return QString::number(t.left(at).count('\n') + 1); };
  const auto breakValueAt = [](QByteArray& t, qsizetype from) {
    const qsizetype at = t.indexOf(" = ", from);
    t.insert(at + 3, ")");
    return at;
  };
  // The class name of the root's child whose header is at or after from.
  const auto renameClassAt = [](QByteArray& t, qsizetype from, const char* name) {
    const qsizetype header = t.indexOf("\r\n  object ", from);
    const qsizetype colon = t.indexOf(": ", header);
    t.replace(colon + 2, t.indexOf("\r\n", colon) - colon - 2, name);
  };
  const qsizetype lateElement = text.lastIndexOf("\r\n  object ");
  ASSERT_GT(lateElement, text.size() * 3 / 4);

  QByteArray lateSyntax = text;
  const QString lateLine = lineOf(lateSyntax, breakValueAt(lateSyntax, lateElement));
  QByteArray lateClass = text;
  renameClassAt(lateClass, lateElement, "TNoSuchBlock1");
  QByteArray earlyClassLateSyntax = lateSyntax;
  renameClassAt(earlyClassLateSyntax, text.size() / 10, "TNoSuchBlock2");
  struct Case {
    const char* Name;
    const QByteArray& Text;
    QString Message;
  };
  const Case cases[] = {
      {"late syntax error", lateSyntax, "Invalid property value on line " + lateLine},
      {"late unknown class", lateClass, "Class TNoSuchBlock1 not found"},
      {"the text is checked before it is read", earlyClassLateSyntax, "Invalid property value on line " + lateLine},
  };
  const QByteArray before = diagram->SaveToBytes(false);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    try {
      diagram->LoadFromBytes(c.Text, true);
      ADD_FAILURE() << "loaded";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), c.Message);
    }
    EXPECT_EQ(diagram->SaveToBytes(false), before);
  }
}

TEST_F(FilesTest, AMissingFileRaisesAndChangesNothing) {
  EXPECT_THROW(diagram->LoadFromFile(PathOf("absent.dgr")), EFilerError);
  EXPECT_EQ(diagram->DControlCount(), 3);
}

TEST_F(FilesTest, SavingToAnUnwritableTargetKeepsTheOldFile) {
  const QString path = PathOf("kept.dgr");
  {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("old content");
  }
  // A directory in the way of the save's temporary file: the write cannot happen.
  const QString lockedDir = PathOf("locked");
  ASSERT_TRUE(QDir().mkdir(lockedDir));
  QFile::setPermissions(lockedDir, QFile::ReadOwner | QFile::ExeOwner);
  const QString lockedPath = lockedDir + QStringLiteral("/d.dgr");
  const bool runningAsRoot = QFile(lockedDir + QStringLiteral("/probe")).open(QIODevice::WriteOnly);
  if (!runningAsRoot) {
    EXPECT_THROW(diagram->SaveToFile(lockedPath), EFilerError);
  }
  EXPECT_THROW(diagram->SaveToFile(dir.path()), EFilerError) << "a directory is not a file";
  EXPECT_EQ(ReadFile(path), "old content");
  diagram->SaveToFile(path);
  EXPECT_TRUE(ReadFile(path).startsWith("object TvxDiagram"));
  QFile::setPermissions(lockedDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(FilesTest, WritingRestoresTheOwnerNameAndLoadingResolvesOwnerReferences) {
  form.setObjectName(QStringLiteral("Form1"));
  const QByteArray text = diagram->SaveToBytes(true);
  EXPECT_EQ(form.objectName(), "Form1");
  auto* second = Create<TvxDiagram>(&otherForm);
  otherForm.setObjectName(QStringLiteral("Form2"));
  second->LoadFromBytes(text, true);
  EXPECT_EQ(otherForm.objectName(), "Form2");
}

TEST(StreamDiagram, IsTheStreamClassAndHasNoSize) {
  QWidget form;
  auto* diagram = Create<TvxDiagram>(&form);
  EXPECT_EQ(diagram->StreamDiagramClass(), &TStreamDiagram::staticMetaObject);
  auto* holder = Create<TStreamDiagram>(&form);
  EXPECT_EQ(holder->width(), 0);
  EXPECT_EQ(holder->height(), 0);
}

}  // namespace
