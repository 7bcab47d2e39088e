// The published property lists of the diagram and its settings objects are the file
// format: names, order, kinds, declared defaults and initial values are checked here.
#include "document/vxDiagram.h"
#include "platform/Exceptions.h"
#include "platform/Published.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace {

struct Row {
  const char* name;
  const char* type;      // QMetaProperty::typeName()
  const char* initial;   // value of a new diagram as text; "" to skip
  bool hasDefault;
};

QString ValueText(const QObject* object, const TPublishedProperty& p) {
  const QVariant v = p.Meta.read(object);
  if (p.Kind == TPropertyKind::Enumeration) return QString::fromLatin1(p.Meta.enumerator().valueToKey(v.toInt()));
  if (p.Kind == TPropertyKind::Set) {
    return QString::fromLatin1(p.Meta.enumerator().valueToKeys(*static_cast<const int*>(v.constData())));
  }
  if (p.Kind == TPropertyKind::Object) return v.value<QObject*>() ? QStringLiteral("object") : QStringLiteral("nil");
  if (v.metaType().flags() & QMetaType::IsEnumeration) return QString::number(v.toLongLong());
  return v.toString();
}

void ExpectTable(const QObject* object, const std::vector<Row>& rows, size_t first = 0) {
  const auto& props = PublishedProperties(object->metaObject());
  ASSERT_GE(props.size(), first + rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    const TPublishedProperty& p = props[first + i];
    SCOPED_TRACE(rows[i].name);
    EXPECT_EQ(p.Name, QLatin1String(rows[i].name));
    EXPECT_STREQ(p.Meta.typeName(), rows[i].type);
    if (*rows[i].initial) {
      EXPECT_EQ(ValueText(object, p), QLatin1String(rows[i].initial));
    }
    EXPECT_EQ(DeclaredDefaultValue(p).has_value(), rows[i].hasDefault);
  }
}

TEST(PublishedTables, DiagramSettingsInStreamOrder) {
  QWidget form;
  auto* diagram = Create<TvxDiagram>(&form);
  const std::vector<Row> rows = {
      {"Name", "QString", "", false},
      {"PaintLinesFirst", "bool", "false", true},
      {"NettoExportOffset", "int", "3", false},
      {"AutomaticNodes", "bool", "false", false},
      {"AutoScroll", "bool", "true", false},
      {"AutoPage", "bool", "false", false},
      {"Background", "TDiagramBackground*", "object", false},
      {"SnapGrid", "TSnapGrid*", "object", false},
      {"ShowLinkPoints", "bool", "true", false},
      {"LeftRuler", "TDiagramRuler*", "object", false},
      {"TopRuler", "TDiagramRuler*", "object", false},
      {"Zoom", "int", "100", false},
      {"BorderColor", "TColor", "8421504", false},
      {"VertScrollBar", "TDiagramScrollBar*", "object", false},
      {"HorzScrollBar", "TDiagramScrollBar*", "object", false},
      {"MouseWheelMode", "DiagramEnums::TMouseWheelMode", "mwOff", false},
      {"ActiveLayers", "qlonglong", "0", false},
      {"Layers", "TDiagramLayers*", "object", false},
      {"LinkCursor", "TCursor", "-21", false},
      {"PanCursor", "TCursor", "-21", false},
      {"ZoomCursor", "TCursor", "0", false},
      {"IgnoreScreenDPI", "bool", "false", false},
      {"ShowCrossIndicators", "bool", "false", false},
      {"PageLines", "TPageLines*", "object", false},
      {"KeyActions", "QFlags<DiagramEnums::TDiagramKeyAction>", "kaEscape|kaMove|kaPage|kaResize|kaSelect", false},
      {"HandlesStyle", "ElementEnums::TDiagramHandlesStyle", "hsClassic", false},
      {"SmoothMode", "DrawingEnums::TDgrSmoothMode", "smAntiAlias", false},
      {"TextRenderingMode", "DrawingEnums::TDgrTextRenderingMode", "tmAntiAlias", false},
      {"SelectionMode", "DiagramEnums::TDiagramSelectionMode", "slmMultiple", false},
      {"CanMoveOutOfBounds", "bool", "true", false},
      {"PageSettings", "TDiagramPageSettings*", "object", false},
      {"RulerAutoUnit", "bool", "false", false},
      {"MeasUnit", "DiagramEnums::TDiagramMeasUnit", "duCenti", false},
      {"WheelZoom", "bool", "false", false},
      {"WheelZoomIncrement", "int", "10", false},
      {"WheelZoomMin", "int", "10", false},
      {"WheelZoomMax", "int", "500", false},
  };
  ExpectTable(diagram, rows);
}

TEST(PublishedTables, OnlyStoredWindowPropertiesTravelWithASavedDiagram) {
  QWidget form;
  auto* diagram = Create<TvxDiagram>(&form);
  QStringList stored;
  bool afterSettings = false;
  for (const auto& p : PublishedProperties(diagram->metaObject())) {
    if (p.Name == QLatin1String("WheelZoomMax")) { afterSettings = true; continue; }
    if (afterSettings && IsPropertyStored(diagram, p)) stored << p.Name;
  }
  EXPECT_EQ(stored, (QStringList{"BorderStyle", "Color", "Ctl3D", "Font", "ParentColor", "ParentCtl3D", "ParentFont"}));
  EXPECT_EQ(diagram->BorderStyle(), bsSingle);
  EXPECT_FALSE(diagram->Ctl3D());
  EXPECT_EQ(diagram->Width(), 200);
  EXPECT_EQ(diagram->Height(), 200);
}

TEST(PublishedTables, SettingsObjects) {
  QWidget form;
  auto* diagram = Create<TvxDiagram>(&form);
  ExpectTable(diagram->SnapGrid(), {{"Active", "bool", "false", false}, {"Force", "bool", "false", false},
                                    {"Visible", "bool", "false", false}, {"SizeX", "double", "8", false},
                                    {"SizeY", "double", "8", false},
                                    {"Style", "DocumentEnums::TGridStyle", "gsDots", false},
                                    {"Pen", "TPen*", "object", false}, {"SnapToRuler", "bool", "false", false}});
  ExpectTable(diagram->PageLines(), {{"Visible", "bool", "false", true}, {"Pen", "TPen*", "object", false}});
  EXPECT_EQ(diagram->PageLines()->Pen()->Style(), psDot);
  ExpectTable(diagram->PageSettings(),
              {{"PaperName", "QString", "A4", false}, {"PaperId", "int", "9", false},
               {"PaperWidth", "double", "210", false}, {"PaperHeight", "double", "297", false},
               {"Orientation", "DocumentEnums::TDiagramPageOrientation", "dpoPortrait", false},
               {"LeftMarginStr", "QString", "25.4", false}, {"TopMarginStr", "QString", "25.4", false},
               {"RightMarginStr", "QString", "25.4", false}, {"BottomMarginStr", "QString", "25.4", false}});
  ExpectTable(diagram->HorzScrollBar(),
              {{"Color", "TColor", "", true}, {"Increment", "int", "8", true}, {"Margin", "int", "0", true},
               {"ParentColor", "bool", "true", true}, {"Position", "int", "0", true}, {"Range", "int", "0", true},
               {"Smooth", "bool", "false", true}, {"Size", "int", "0", true},
               {"Style", "DocumentEnums::TScrollBarStyle", "ssRegular", true}, {"ThumbSize", "int", "0", true},
               {"Tracking", "bool", "false", true}, {"Visible", "bool", "true", true}});
  EXPECT_TRUE(IsDefaultValue(diagram->HorzScrollBar(), PublishedProperties(diagram->HorzScrollBar()->metaObject())[0]))
      << "the system-colour default in hex matches the stored colour";
  ExpectTable(diagram->Background(),
              {{"Scroll", "bool", "true", true}, {"Style", "DocumentEnums::TBackImageStyle", "biTile", true},
               {"Visible", "bool", "false", true}, {"Gradient", "TDiagramGradient*", "object", false},
               {"PrintGradient", "bool", "false", true}});
  ExpectTable(diagram->TopRuler(),
              {{"Visible", "bool", "false", false}, {"Divisions", "int", "5", false}, {"Font", "TFont*", "object", false},
               {"Units", "DocumentEnums::TRulerUnits", "unCenti", false}, {"MinorTickLength", "int", "4", false},
               {"MajorTickLength", "int", "6", false}, {"Color", "TColor", "16777215", false},
               {"TickColor", "TColor", "0", false}, {"Size", "int", "", false}, {"AutoFactor", "bool", "true", false},
               {"GridColor", "TColor", "12632256", false}});
}

TEST(PublishedTables, MarginTextUsesADotWhateverTheLocale) {
  EXPECT_EQ(TDiagramPageSettings::FormatMargin(25.4), "25.4");
  EXPECT_EQ(TDiagramPageSettings::FormatMargin(20), "20");
  EXPECT_DOUBLE_EQ(TDiagramPageSettings::ParseMargin(QStringLiteral("12.5")), 12.5);
  EXPECT_THROW(TDiagramPageSettings::ParseMargin(QStringLiteral("12,5")), EConvertError);
}

}  // namespace
