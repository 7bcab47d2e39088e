// Property streaming: what objects write, and how a stream is read back onto objects.
#include "StreamTestUtil.h"
#include "platform/Collection.h"
#include "platform/Component.h"
#include "platform/GraphicsTypes.h"
#include "streaming/ComponentStream.h"
#include "streaming/IdentMaps.h"
#include "streaming/StreamErrors.h"
#include "streaming/ValueWriter.h"

#include <QPointer>
#include <QStringList>

namespace StreamTestEnums {
Q_NAMESPACE
enum TShape { shBox, shRound, shDiamond };
Q_ENUM_NS(TShape)
enum TMark { mkA = 0x1, mkB = 0x2, mkC = 0x4 };
Q_DECLARE_FLAGS(TMarks, TMark)
Q_FLAG_NS(TMarks)
}  // namespace StreamTestEnums
using namespace StreamTestEnums;

namespace {
QStringList& LoadedLog() {
  static QStringList log;
  return log;
}
}  // namespace

class TTestPen : public TPersistent {
  Q_OBJECT
  Q_PROPERTY(TColor Color READ Color WRITE SetColor)
  Q_PROPERTY(int Width READ Width WRITE SetWidth)
  DGR_DEFAULT(Color, 0)
  DGR_DEFAULT(Width, 1)
public:
  TColor Color() const { return FColor; }
  void SetColor(TColor v) { FColor = v; }
  int Width() const { return FWidth; }
  void SetWidth(int v) { FWidth = v; }

private:
  TColor FColor = clBlack;
  int FWidth = 1;
};

class TTestPoint : public TCollectionItem {
  Q_OBJECT
  Q_PROPERTY(double X READ X WRITE SetX)
  Q_PROPERTY(QString Label READ Label WRITE SetLabel)
public:
  using TCollectionItem::TCollectionItem;
  double X() const { return FX; }
  void SetX(double v) { FX = v; }
  QString Label() const { return FLabel; }
  void SetLabel(const QString& v) { FLabel = v; }

private:
  double FX = 0;
  QString FLabel;
};

class TTestElement : public TComponent {
  Q_OBJECT
  Q_PROPERTY(double Left READ Left WRITE SetLeft)
  Q_PROPERTY(int Tag READ Tag WRITE SetTag)
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
  Q_PROPERTY(bool Locked READ Locked WRITE SetLocked)
  Q_PROPERTY(StreamTestEnums::TShape Shape READ Shape WRITE SetShape)
  Q_PROPERTY(StreamTestEnums::TMarks Marks READ Marks WRITE SetMarks)
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(qint64 Big READ Big WRITE SetBig)
  Q_PROPERTY(TColor Color READ Color WRITE SetColor)
  Q_PROPERTY(TCursor Cursor READ Cursor WRITE SetCursor)
  Q_PROPERTY(QChar Letter READ Letter WRITE SetLetter)
  Q_PROPERTY(TTestPen* Pen READ Pen)
  Q_PROPERTY(TCollection* Points READ Points)
  Q_PROPERTY(TTestElement* Buddy READ Buddy WRITE SetBuddy)
  Q_PROPERTY(QString Hidden READ Hidden WRITE SetHidden STORED false)
  Q_PROPERTY(int Computed READ Computed)
  DGR_DEFAULT(Visible, true)
  DGR_DEFAULT(Shape, shBox)
  DGR_DEFAULT(Marks, [])
  DGR_DEFAULT(Cursor, 0)
  DGR_DEFAULT(Letter, 0)
  DGR_DEFAULT(Pen.Width, 2)  // this owner's pen starts wider than a pen does
public:
  explicit TTestElement(QObject* owner = nullptr)
      : TComponent(owner), FPoints(this, [](TCollection* c) { return new TTestPoint(c); }) {
    FPen.SetWidth(2);
  }
  double Left() const { return FLeft; }
  void SetLeft(double v) { FLeft = v; }
  int Tag() const { return FTag; }
  void SetTag(int v) { FTag = v; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool v) { FVisible = v; }
  bool Locked() const { return FLocked; }
  void SetLocked(bool v) { FLocked = v; }
  TShape Shape() const { return FShape; }
  void SetShape(TShape v) { FShape = v; }
  TMarks Marks() const { return FMarks; }
  void SetMarks(TMarks v) { FMarks = v; }
  QString Caption() const { return FCaption; }
  void SetCaption(const QString& v) { FCaption = v; }
  qint64 Big() const { return FBig; }
  void SetBig(qint64 v) { FBig = v; }
  TColor Color() const { return FColor; }
  void SetColor(TColor v) { FColor = v; }
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor v) { FCursor = v; }
  QChar Letter() const { return FLetter; }
  void SetLetter(QChar v) { FLetter = v; }
  TTestPen* Pen() const { return const_cast<TTestPen*>(&FPen); }
  TCollection* Points() const { return const_cast<TCollection*>(&FPoints); }
  TTestElement* Buddy() const { return FBuddy; }
  void SetBuddy(TTestElement* v) { FBuddy = v; }
  QString Hidden() const { return FHidden; }
  void SetHidden(const QString& v) { FHidden = v; }
  int Computed() const { return 42; }

  QStringList Notes;
  QByteArray Blob;

  void DefineProperties(TFiler& filer) override {
    filer.DefineProperty(
        QStringLiteral("Notes"),
        [this](TReader& reader) {
          Notes.clear();
          reader.ReadListBegin();
          while (!reader.EndOfList()) Notes << reader.ReadString();
          reader.ReadListEnd();
        },
        [this](TWriter& writer) {
          writer.WriteListBegin();
          for (const QString& note : Notes) writer.WriteString(note);
          writer.WriteListEnd();
        },
        !Notes.isEmpty());
    filer.DefineBinaryProperty(
        QStringLiteral("Blob"), [this](const QByteArray& data) { Blob = data; }, [this] { return Blob; },
        !Blob.isEmpty());
  }
  void Loaded() override {
    LoadedLog() << objectName() + (IsLoading() ? QStringLiteral(":loading") : QString());
    TComponent::Loaded();
  }

private:
  double FLeft = 0;
  int FTag = 0;
  bool FVisible = true;
  bool FLocked = false;
  TShape FShape = shBox;
  TMarks FMarks;
  QString FCaption;
  qint64 FBig = 0;
  TColor FColor = clWhite;
  TCursor FCursor = crDefault;
  QChar FLetter;
  TTestPen FPen;
  TCollection FPoints;
  QPointer<TTestElement> FBuddy;
  QString FHidden;
};

// A root that streams the elements it owns as its children, like a diagram.
class TTestRoot : public TComponent {
  Q_OBJECT
  Q_PROPERTY(double Zoom READ Zoom WRITE SetZoom)
public:
  using TComponent::TComponent;
  double Zoom() const { return FZoom; }
  void SetZoom(double v) { FZoom = v; }
  void GetChildren(const std::function<void(QObject*)>& proc, QObject*) override {
    for (QObject* child : children())
      if (qobject_cast<TTestElement*>(child)) proc(child);
  }
  void Loaded() override {
    LoadedLog() << QStringLiteral("root:") + objectName();
    TComponent::Loaded();
  }

private:
  double FZoom = 0;
};

class TTestFontLike : public TPersistent {
  Q_OBJECT
  Q_PROPERTY(TFontCharset Charset READ Charset WRITE SetCharset)
  Q_PROPERTY(TColor Color READ Color WRITE SetColor)
public:
  TFontCharset Charset() const { return FCharset; }
  void SetCharset(TFontCharset v) { FCharset = v; }
  TColor Color() const { return FColor; }
  void SetColor(TColor v) { FColor = v; }

private:
  TFontCharset FCharset = DEFAULT_CHARSET;
  TColor FColor = clBlack;
};

namespace {

const TIdentMapEntry kTestColors[] = {{0x000000, "clBlack"}, {0x0000FF, "clRed"}, {0xFFFFFF, "clWhite"},
                                      {static_cast<int32_t>(0xFF00000F), "clBtnFace"}};
const TIdentMapEntry kTestCursors[] = {{0, "crDefault"}, {-21, "crHandPoint"}};

class ComponentStream : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    RegisterClass<TTestElement>();
    RegisterIntIdentMap("TColor", MakeTableIdentMap(kTestColors, std::size(kTestColors)));
    RegisterIntIdentMap("TCursor", MakeTableIdentMap(kTestCursors, std::size(kTestCursors)));
  }
  void SetUp() override { LoadedLog().clear(); }

  TTestElement* AddElement(const char* name) {
    auto* e = Create<TTestElement>(&Root);
    e->SetName(QString::fromLatin1(name));
    return e;
  }
  static std::string AsText(QObject* root) { return ObjectBinaryToText(WriteComponent(root)).toStdString(); }
  void ReadText(const std::string& text, QObject* target) {
    ReadComponent(ObjectTextToBinary(QByteArray::fromStdString(text)), target);
  }
  QString ReadError(const std::string& text) {
    TTestRoot target;
    return MessageOf<Exception>([&] { ReadText(text, &target); });
  }

  TTestRoot Root;
};

}  // namespace

TEST_F(ComponentStream, FreshObjectsWriteOnlyPropertiesWithoutDefaults) {
  Root.SetName(QStringLiteral("Root"));
  AddElement("E1");
  // Left (float 0), Visible (default true), Shape, Marks, Cursor, Letter, Caption (empty),
  // Big (0), Pen (all at this owner's defaults), Buddy (empty), Hidden (not stored) and
  // Computed (no setter) are left out. Tag and Locked have no declared default; Color's
  // type has none either; the collection is always written.
  EXPECT_EQ(AsText(&Root),
            "object Root: TTestRoot\r\n"
            "  object E1: TTestElement\r\n"
            "    Tag = 0\r\n"
            "    Locked = False\r\n"
            "    Color = clWhite\r\n"
            "    Points = <>\r\n"
            "  end\r\n"
            "end\r\n");
}

TEST_F(ComponentStream, ChangedPropertiesInDeclarationOrder) {
  Root.SetZoom(1.5);
  TTestElement* e = AddElement("E1");
  TTestElement* f = AddElement("E2");
  e->SetLeft(10.25);
  e->SetTag(-3);
  e->SetVisible(false);
  e->SetShape(shDiamond);
  e->SetMarks(TMarks(mkA) | mkC);
  e->SetCaption(QStringLiteral("it's"));
  e->SetBig(5000000000LL);
  e->SetColor(MakeColor(12632256));
  e->SetCursor(crHandPoint);
  e->SetLetter(QChar(u'x'));
  e->Pen()->SetColor(clRed);
  e->Pen()->SetWidth(1);  // a pen's own default, but not this owner's
  static_cast<TTestPoint*>(e->Points()->Add())->SetX(0.5);
  static_cast<TTestPoint*>(e->Points()->Add())->SetLabel(QStringLiteral("p2"));
  e->SetBuddy(f);
  e->SetHidden(QStringLiteral("never written"));
  e->Notes = QStringList{QStringLiteral("one"), QStringLiteral("two")};
  e->Blob = QByteArray("\x01\x02", 2);
  f->SetColor(static_cast<TColor>(0xFF00000F));
  EXPECT_EQ(AsText(&Root),
            "object TTestRoot\r\n"
            "  Zoom = 1.500000000000000000\r\n"
            "  object E1: TTestElement\r\n"
            "    Left = 10.250000000000000000\r\n"
            "    Tag = -3\r\n"
            "    Visible = False\r\n"
            "    Locked = False\r\n"
            "    Shape = shDiamond\r\n"
            "    Marks = [mkA, mkC]\r\n"
            "    Caption = 'it'#39's'\r\n"
            "    Big = 5000000000\r\n"
            "    Color = 12632256\r\n"
            "    Cursor = crHandPoint\r\n"
            "    Letter = 'x'\r\n"
            "    Pen.Color = clRed\r\n"
            "    Pen.Width = 1\r\n"
            "    Points = <\r\n"
            "      item\r\n"
            "        X = 0.500000000000000000\r\n"
            "      end\r\n"
            "      item\r\n"
            "        Label = 'p2'\r\n"
            "      end>\r\n"
            "    Buddy = E2\r\n"
            "    Notes = (\r\n"
            "      'one'\r\n"
            "      'two')\r\n"
            "    Blob = {0102}\r\n"
            "  end\r\n"
            "  object E2: TTestElement\r\n"
            "    Tag = 0\r\n"
            "    Locked = False\r\n"
            "    Color = clBtnFace\r\n"
            "    Points = <>\r\n"
            "  end\r\n"
            "end\r\n");
}

TEST_F(ComponentStream, ReadBackGivesTheSameTree) {
  Root.SetZoom(2);
  TTestElement* e = AddElement("E1");
  TTestElement* f = AddElement("E2");
  e->SetLeft(-7.125);
  e->SetTag(123456);
  e->SetLocked(true);
  e->SetShape(shRound);
  e->SetMarks(mkB);
  e->SetCaption(QString::fromUtf8("Gr\xC3\xBC\xC3\x9F" "e \xF0\x9F\x98\x80"));
  e->SetBig(-5000000000LL);
  e->SetColor(clRed);
  e->SetCursor(static_cast<TCursor>(-30));
  e->SetLetter(QChar(0xE9));
  e->Pen()->SetColor(MakeColor(0x123456));
  static_cast<TTestPoint*>(e->Points()->Add())->SetX(3);
  e->SetBuddy(f);
  f->SetBuddy(e);
  e->Notes = QStringList{QStringLiteral("a"), QString()};
  e->Blob = QByteArray(40, '\x7F');

  TTestRoot copy;
  const QByteArray binary = WriteComponent(&Root);
  ReadComponent(binary, &copy);
  EXPECT_EQ(copy.Zoom(), 2);
  ASSERT_EQ(copy.children().size(), 2);
  auto* e2 = qobject_cast<TTestElement*>(FindOwnedComponent(&copy, QStringLiteral("E1")));
  auto* f2 = qobject_cast<TTestElement*>(FindOwnedComponent(&copy, QStringLiteral("E2")));
  ASSERT_TRUE(e2 && f2);
  EXPECT_EQ(e2->Left(), -7.125);
  EXPECT_EQ(e2->Tag(), 123456);
  EXPECT_TRUE(e2->Locked());
  EXPECT_EQ(e2->Shape(), shRound);
  EXPECT_EQ(e2->Marks(), TMarks(mkB));
  EXPECT_EQ(e2->Caption(), e->Caption());
  EXPECT_EQ(e2->Big(), -5000000000LL);
  EXPECT_EQ(e2->Color(), clRed);
  EXPECT_EQ(e2->Cursor(), -30);
  EXPECT_EQ(e2->Letter(), QChar(0xE9));
  EXPECT_EQ(e2->Pen()->Color(), 0x123456);
  EXPECT_EQ(e2->Pen()->Width(), 2);
  ASSERT_EQ(e2->Points()->Count(), 1);
  EXPECT_EQ(e2->Points()->ItemAs<TTestPoint>(0)->X(), 3);
  EXPECT_EQ(e2->Buddy(), f2);  // references resolve to the new objects, also forward ones
  EXPECT_EQ(f2->Buddy(), e2);
  EXPECT_EQ(e2->Notes, e->Notes);
  EXPECT_EQ(e2->Blob, e->Blob);
  EXPECT_EQ(WriteComponent(&copy), binary);
  // After the whole read, in creation order, each still loading until its base Loaded ran.
  EXPECT_EQ(LoadedLog(), (QStringList{"root:", "E1:loading", "E2:loading"}));
  EXPECT_FALSE(copy.IsLoading());
  EXPECT_FALSE(e2->IsLoading());
}

// Without a registered map the platform's identifier maps answer for the standard types.
TEST_F(ComponentStream, PlatformIdentifierMapsNameColoursAndCharsets) {
  UnregisterIntIdentMap("TColor");
  TTestFontLike font;
  font.SetCharset(RUSSIAN_CHARSET);
  font.SetColor(clSkyBlue);
  const std::string text = ObjectBinaryToText(WriteComponent(&font)).toStdString();
  TTestFontLike back;
  back.SetColor(clRed);
  ReadComponent(ObjectTextToBinary("object TTestFontLike\r\n  Charset = GREEK_CHARSET\r\n  Color = clWindow\r\nend\r\n"), &back);
  RegisterIntIdentMap("TColor", MakeTableIdentMap(kTestColors, std::size(kTestColors)));
  EXPECT_EQ(text, "object TTestFontLike\r\n  Charset = RUSSIAN_CHARSET\r\n  Color = clSkyBlue\r\nend\r\n");
  EXPECT_EQ(back.Charset(), GREEK_CHARSET);
  EXPECT_EQ(back.Color(), clWindow);
}

TEST_F(ComponentStream, ReadingTextRules) {
  TTestRoot target;
  ReadText(
      "object Top: TTestRoot\r\n"
      "  object E1: TTestElement\r\n"
      "    Left = 10\r\n"               // a float property accepts an integer
      "    COLOR = clbtnface\r\n"       // names and identifiers without regard to case
      "    Cursor = 7\r\n"
      "    Shape = SHROUND\r\n"
      "    Pen.Width = 9\r\n"
      "    Points = <\r\n"
      "      item [5]\r\n"
      "        X = 1.5d\r\n"
      "      end>\r\n"
      "    Buddy = Missing\r\n"        // cannot be resolved: left empty, the load goes on
      "  end\r\n"
      "end\r\n",
      &target);
  EXPECT_EQ(target.objectName(), "Top");
  auto* e = qobject_cast<TTestElement*>(FindOwnedComponent(&target, QStringLiteral("E1")));
  ASSERT_TRUE(e);
  EXPECT_EQ(e->Left(), 10.0);
  EXPECT_EQ(e->Color(), static_cast<TColor>(0xFF00000F));
  EXPECT_EQ(e->Cursor(), 7);
  EXPECT_EQ(e->Shape(), shRound);
  EXPECT_EQ(e->Pen()->Width(), 9);
  ASSERT_EQ(e->Points()->Count(), 1);
  EXPECT_EQ(e->Points()->ItemAs<TTestPoint>(0)->X(), 1.5);
  EXPECT_EQ(e->Buddy(), nullptr);
}

TEST_F(ComponentStream, ACollectionValueReplacesTheItems) {
  TTestElement* e = AddElement("E1");
  e->Points()->Add();
  e->Points()->Add();
  ReadText("object TTestRoot\r\n  object E2: TTestElement\r\n  end\r\nend\r\n", &Root);
  TTestRoot other;
  ReadComponent(WriteComponent(&Root), &other);
  auto* copy = qobject_cast<TTestElement*>(FindOwnedComponent(&other, QStringLiteral("E1")));
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->Points()->Count(), 2);
  copy->Points()->Add();
  // "<>" clears.
  TTestRoot cleared;
  ReadText("object TTestRoot\r\n  object E1: TTestElement\r\n    Points = <>\r\n  end\r\nend\r\n", &cleared);
  auto* c = qobject_cast<TTestElement*>(FindOwnedComponent(&cleared, QStringLiteral("E1")));
  ASSERT_TRUE(c);
  EXPECT_EQ(c->Points()->Count(), 0);
}

TEST_F(ComponentStream, ReferencesOutsideTheRootUseTheOwnerName) {
  TComponent form;
  form.SetName(QStringLiteral("Form1"));
  auto* outside = Create<TTestElement>(&form);
  outside->SetName(QStringLiteral("Panel1"));
  TTestElement* e = AddElement("E1");
  e->SetBuddy(outside);
  Root.setParent(&form);
  Root.SetName(QStringLiteral("Root"));
  const std::string text = AsText(&Root);
  EXPECT_NE(text.find("    Buddy = Form1.Panel1\r\n"), std::string::npos) << text;
  Root.setParent(nullptr);
}

TEST_F(ComponentStream, FailuresNameObjectAndProperty) {
  struct TCase {
    std::string Body;
    const char* Message;
  };
  const TCase cases[] = {
      {"    Nope = 1\r\n", "Error reading E1.Nope: Property Nope does not exist"},
      {"    Pen.Nope = 1\r\n", "Error reading E1.Pen.Nope: Property Pen.Nope does not exist"},
      {"    Left.X = 1\r\n", "Error reading E1.Left.X: Invalid property path"},
      {"    Buddy.Left = 1\r\n", "Error reading E1.Buddy.Left: Invalid property path"},
      {"    Shape = 5.5\r\n", "Error reading E1.Shape: Invalid property value"},
      {"    Shape = shNone\r\n", "Error reading E1.Shape: Invalid property value"},
      {"    Marks = [mkA, mkZ]\r\n", "Error reading E1.Marks: Invalid property value"},
      {"    Tag = 2147483648\r\n", "Error reading E1.Tag: Invalid property value"},
      {"    Tag = 'text'\r\n", "Error reading E1.Tag: Invalid property value"},
      {"    Color = clNoSuchColour\r\n", "Error reading E1.Color: Invalid property value"},
      {"    Color = 4294967296\r\n", "Error reading E1.Color: Invalid property value"},
      {"    Letter = 'xy'\r\n", "Error reading E1.Letter: Invalid property value"},
      {"    Locked = 1\r\n", "Error reading E1.Locked: Invalid property value"},
      {"    Caption = 12\r\n", "Error reading E1.Caption: Invalid property value"},
      {"    Points = <\r\n      item\r\n        Y = 1\r\n      end>\r\n",
       "Error reading E1.Points: Property Y does not exist"},
      {"    Notes = 5\r\n", "Error reading E1.Notes: Invalid property value"},
      {"    Computed = 5\r\n", "Error reading E1.Computed: Invalid property value"},
  };
  for (const auto& c : cases) {
    const std::string text = "object TTestRoot\r\n  object E1: TTestElement\r\n" + c.Body + "  end\r\nend\r\n";
    EXPECT_EQ(Str(ReadError(text)), c.Message) << c.Body;
  }
  EXPECT_EQ(Str(ReadError("object TTestRoot\r\n  object E1: TNoSuchClass\r\n  end\r\nend\r\n")), "Class TNoSuchClass not found");
  EXPECT_EQ(Str(ReadError("object TTestRoot\r\n  object E1: TTestElement\r\n  end\r\n"
                          "  object e1: TTestElement\r\n  end\r\nend\r\n")),
            "A component named e1 already exists");
  EXPECT_EQ(Str(ReadError("object TTestRoot\r\n  Zoom = 'big'\r\nend\r\n")), "Error reading Zoom: Invalid property value");
  // A binary stream may carry a name the text form could not: it is still checked.
  QByteArray bad;
  TValueWriter w(bad);
  w.WriteSignature();
  w.WriteObjectHeader(0, 0, "TTestRoot", "");
  w.WriteEndOfList();
  w.WriteObjectHeader(0, 0, "TTestElement", "1abc");
  w.WriteEndOfList();
  w.WriteEndOfList();
  w.WriteEndOfList();
  TTestRoot target;
  EXPECT_EQ(Str(MessageOf<EComponentError>([&] { ReadComponent(bad, &target); })), "''1abc'' is not a valid component name");
  EXPECT_TRUE(target.children().isEmpty());
}

TEST_F(ComponentStream, ABadTagIsReportedLikeTheConverterDoes) {
  QByteArray binary = ObjectTextToBinary("object R: TTestRoot\r\n  Zoom = 1\r\nend\r\n");
  binary[binary.indexOf("Zoom") + 4] = 22;
  TTestRoot target;
  EXPECT_EQ(Str(MessageOf<EReadError>([&] { ReadComponent(binary, &target); })), "Error reading R.Zoom: 22");
  EXPECT_EQ(Str(MessageOf<EReadError>([&] { ObjectBinaryToText(binary); })), "Error reading R.Zoom: 22");
}

TEST_F(ComponentStream, AFailedChildIsNotKeptAndNothingStaysLoading) {
  TTestRoot target;
  const std::string text =
      "object TTestRoot\r\n"
      "  object Good: TTestElement\r\n  end\r\n"
      "  object Bad: TTestElement\r\n    Tag = 'x'\r\n  end\r\n"
      "end\r\n";
  EXPECT_THROW(ReadText(text, &target), EReadError);
  EXPECT_EQ(FindOwnedComponent(&target, QStringLiteral("Bad")), nullptr);
  auto* good = qobject_cast<TTestElement*>(FindOwnedComponent(&target, QStringLiteral("Good")));
  ASSERT_TRUE(good);
  EXPECT_FALSE(good->IsLoading());
  EXPECT_FALSE(target.IsLoading());
  EXPECT_TRUE(LoadedLog().isEmpty());
}

TEST_F(ComponentStream, ReadNewComponentCreatesTheRootFromTheRegistry) {
  QObject owner;
  QObject* made = ReadNewComponent(
      ObjectTextToBinary("object Made: TTestElement\r\n  Tag = 9\r\nend\r\n"), &owner);
  auto* element = qobject_cast<TTestElement*>(made);
  ASSERT_TRUE(element);
  EXPECT_EQ(element->Tag(), 9);
  EXPECT_EQ(element->parent(), &owner);
  EXPECT_THROW(ReadNewComponent(ObjectTextToBinary("object TTestElement\r\n  Tag = 'x'\r\nend\r\n"), &owner), EReadError);
  EXPECT_EQ(owner.children().size(), 1);  // the failed one was freed
  EXPECT_EQ(Str(MessageOf<EClassNotFound>([&] { ReadNewComponent(ObjectTextToBinary("object TMissing\r\nend\r\n"), &owner); })),
            "Class TMissing not found");
}

TEST_F(ComponentStream, WriterRefusesWhatTheStreamCannotHold) {
  TTestElement* e = AddElement("E1");
  e->SetLeft(std::numeric_limits<double>::infinity());
  EXPECT_EQ(Str(MessageOf<EWriteError>([&] { WriteComponent(&Root); })), "Stream write error");
  e->SetLeft(0);
  e->setObjectName(QString(256, u'n'));
  EXPECT_EQ(Str(MessageOf<EWriteError>([&] { WriteComponent(&Root); })), "Stream write error");
  EXPECT_FALSE(e->ComponentState().testFlag(csWriting));
}

TEST_F(ComponentStream, ManyElementsRoundTrip) {
  for (int i = 0; i < 1000; ++i) {
    auto* e = Create<TTestElement>(&Root);
    e->SetName(QStringLiteral("Block%1").arg(i + 1));
    e->SetLeft(i * 1.5);
    e->SetCaption(QStringLiteral("Step %1").arg(i));
    if (i > 0) e->SetBuddy(qobject_cast<TTestElement*>(Root.children().at(i - 1)));
  }
  const QByteArray binary = WriteComponent(&Root);
  TTestRoot copy;
  ReadComponent(ObjectTextToBinary(ObjectBinaryToText(binary)), &copy);
  ASSERT_EQ(copy.children().size(), 1000);
  auto* last = qobject_cast<TTestElement*>(copy.children().back());
  ASSERT_TRUE(last && last->Buddy());
  EXPECT_EQ(last->Buddy()->objectName(), "Block999");
  EXPECT_EQ(WriteComponent(&copy), binary);
}

#include "ComponentStreamTest.moc"
