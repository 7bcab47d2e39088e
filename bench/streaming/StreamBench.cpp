// Conversion speed of the object stream on a generated diagram-like stream of a few MB.
#include "streaming/ObjectText.h"
#include "streaming/ValueWriter.h"

#include <QString>
#include <benchmark/benchmark.h>
#include <string>

namespace {

// A diagram root with blocks and lines the way a real diagram streams them: many short
// properties, floats for geometry, identifiers for colours and enums, names and captions,
// a collection of link points per element, occasionally a picture.
QByteArray DiagramLikeBinary(int elements) {
  QByteArray out;
  TValueWriter w(out);
  w.WriteSignature();
  w.WriteObjectHeader(0, 0, "TvxDiagram", "");
  w.WriteShortString("Left");
  w.WriteInteger(0);
  w.WriteShortString("Width");
  w.WriteInteger(800);
  w.WriteShortString("Color");
  w.WriteIdent("clWhite");
  w.WriteEndOfList();
  for (int i = 0; i < elements; ++i) {
    const bool line = i % 4 == 3;
    const std::string name = (line ? "DiagramLine" : "DiagramBlock") + std::to_string(i + 1);
    w.WriteObjectHeader(0, 0, line ? "TDiagramSideLine" : "TFlowchartBlock", name);
    w.WriteShortString("Left");
    w.WriteExtended(10.5 + i * 3.25);
    w.WriteShortString("Top");
    w.WriteExtended(20.0 + i * 1.75);
    w.WriteShortString("Width");
    w.WriteExtended(120.0);
    w.WriteShortString("Height");
    w.WriteExtended(65.33333333333333);
    w.WriteShortString("Angle");
    w.WriteExtended(i % 7 == 0 ? 45.0 : 12.5);
    w.WriteShortString("Brush.Color");
    w.WriteInteger(0x00C0FFEE + i);
    w.WriteShortString("Pen.Color");
    w.WriteIdent("clNavy");
    w.WriteShortString("Pen.Width");
    w.WriteInteger(2);
    w.WriteShortString("Shape");
    w.WriteIdent("bsRoundRect");
    w.WriteShortString("Font.Style");
    w.WriteSetBegin();
    w.WriteSetElement("fsBold");
    w.WriteSetEnd();
    w.WriteShortString("Caption");
    w.WriteText(QStringLiteral("Process step %1").arg(i));
    w.WriteShortString("Visible");
    w.WriteBoolean(true);
    w.WriteShortString("LinkPoints");
    w.WriteTag(vaCollection);
    for (int p = 0; p < 4; ++p) {
      w.WriteByte(vaList);
      w.WriteShortString("OrX");
      w.WriteExtended(p * 25.0);
      w.WriteShortString("OrY");
      w.WriteExtended(50.0);
      w.WriteShortString("Orientation");
      w.WriteIdent("aoLeft");
      w.WriteEndOfList();
    }
    w.WriteEndOfList();
    if (i % 50 == 0) {
      w.WriteShortString("Picture.Data");
      w.WriteBinary(QByteArray(600, '\x42'));
    }
    w.WriteEndOfList();
    w.WriteEndOfList();
  }
  w.WriteEndOfList();
  return out;
}

const QByteArray& Binary() {
  static const QByteArray binary = DiagramLikeBinary(6000);
  return binary;
}

const QByteArray& Text() {
  static const QByteArray text = ObjectBinaryToText(Binary());
  return text;
}

void BM_BinaryToText(benchmark::State& state) {
  const QByteArray& binary = Binary();
  for (auto _ : state) benchmark::DoNotOptimize(ObjectBinaryToText(binary));
  state.SetBytesProcessed(state.iterations() * binary.size());
  state.counters["binary_MB"] = binary.size() / 1e6;
}
BENCHMARK(BM_BinaryToText)->Unit(benchmark::kMillisecond);

void BM_TextToBinary(benchmark::State& state) {
  const QByteArray& text = Text();
  for (auto _ : state) benchmark::DoNotOptimize(ObjectTextToBinary(text));
  state.SetBytesProcessed(state.iterations() * text.size());
  state.counters["text_MB"] = text.size() / 1e6;
}
BENCHMARK(BM_TextToBinary)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
