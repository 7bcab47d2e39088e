// dgr generate: writes a synthetic but realistic diagram file (for benchmarks, demos and
// end-to-end tests). The same seed always gives the same file.
#include "Commands.h"

#include "document/DiagramLibrary.h"
#include "document/vxDiagram.h"
#include "elements/Blocks.h"
#include "elements/LinkPoints.h"
#include "platform/Exceptions.h"

#include <QWidget>
#include <cmath>
#include <optional>
#include <random>

namespace {

const char kUsage[] = "Usage: dgr generate --blocks N --lines M [--seed S] OUT.dgr\n";

struct TGenerateArguments {
  int Blocks = 0;
  int Lines = 0;
  quint32 Seed = 1;
  QString Output;
};

std::optional<int> ParseCount(const QString& text) {
  bool ok = false;
  const int value = text.toInt(&ok);
  if (!ok || value < 0 || value > 1000000) return std::nullopt;
  return value;
}

std::optional<TGenerateArguments> ParseArguments(const QStringList& args, QTextStream& err) {
  TGenerateArguments parsed;
  QStringList positional;
  for (int i = 0; i < args.size(); ++i) {
    const QString& arg = args[i];
    if (arg == QLatin1String("--blocks") || arg == QLatin1String("--lines") || arg == QLatin1String("--seed")) {
      if (i + 1 >= args.size()) {
        err << "dgr generate: " << arg << " needs a value\n" << kUsage;
        return std::nullopt;
      }
      const QString value = args[++i];
      if (arg == QLatin1String("--seed")) {
        bool ok = false;
        parsed.Seed = value.toUInt(&ok);
        if (!ok) {
          err << "dgr generate: the seed must be a whole number from 0 to 4294967295\n";
          return std::nullopt;
        }
        continue;
      }
      const auto count = ParseCount(value);
      if (!count) {
        err << "dgr generate: " << arg << " must be a whole number from 0 to 1000000\n";
        return std::nullopt;
      }
      (arg == QLatin1String("--blocks") ? parsed.Blocks : parsed.Lines) = *count;
    } else if (arg.startsWith(QLatin1String("--"))) {
      err << "dgr generate: unknown option '" << arg << "'\n" << kUsage;
      return std::nullopt;
    } else {
      positional << arg;
    }
  }
  if (positional.size() != 1) {
    err << kUsage;
    return std::nullopt;
  }
  parsed.Output = positional[0];
  return parsed;
}

// The generator keeps its own arithmetic so a seed gives the same file with any library.
class TRandom {
public:
  explicit TRandom(quint32 seed) : FState(seed * 2654435761u + 1) {}
  quint32 Next() {
    FState ^= FState << 13;
    FState ^= FState >> 17;
    FState ^= FState << 5;
    return FState;
  }
  int Below(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<quint32>(n)); }

private:
  quint32 FState;
};

const TColor kPalette[] = {TColor(0xF0D0A0), TColor(0xA0D0F0), TColor(0xC0F0C0), TColor(0xE0C0F0),
                           TColor(0xFFFFFF), TColor(0x80C0FF), TColor(0xD0D0D0)};
const char* const kWords[] = {"Start", "Check", "Order", "Invoice", "Approve", "Ship", "Archive", "Retry",
                              "Notify", "Review", "Store", "Report"};

TColor PickColor(TRandom& random) { return kPalette[random.Below(static_cast<int>(std::size(kPalette)))]; }

void StyleBlock(TDiagramBlock* block, TRandom& random, int index) {
  static const ElementEnums::TBlockShape shapes[] = {ElementEnums::bsRectangle, ElementEnums::bsEllipse,
                                                     ElementEnums::bsRoundRect, ElementEnums::bsDiamond,
                                                     ElementEnums::bsSquareRound};
  block->SetShape(shapes[random.Below(static_cast<int>(std::size(shapes)))]);
  block->SetColor(PickColor(random));
  block->Strings()->SetText(QStringLiteral("%1 %2").arg(QLatin1String(kWords[random.Below(static_cast<int>(std::size(kWords)))])).arg(index + 1));
  if (random.Below(3) == 0) {
    block->Gradient()->SetVisible(true);
    block->Gradient()->SetDirection(static_cast<TGradientDirection>(random.Below(grVertOutIn + 1)));
    block->Gradient()->SetStartColor(PickColor(random));
    block->Gradient()->SetEndColor(PickColor(random));
  }
  if (random.Below(4) == 0) {
    block->Shadow()->SetVisible(true);
    block->Shadow()->SetHOffset(4);
    block->Shadow()->SetVOffset(4);
  }
}

std::vector<TDiagramBlock*> AddBlocks(TvxDiagram* diagram, QWidget& owner, int count, int layers, TRandom& random) {
  std::vector<TDiagramBlock*> blocks;
  blocks.reserve(static_cast<size_t>(count));
  const int columns = std::max(1, static_cast<int>(std::ceil(std::sqrt(double(count)))));
  diagram->BeginUpdate();
  for (int i = 0; i < count; ++i) {
    auto* block = Create<TDiagramBlock>(&owner);
    block->SetName(QStringLiteral("Block%1").arg(i + 1));
    block->SetLeft(20 + (i % columns) * 160 + random.Below(30));
    block->SetTop(20 + (i / columns) * 120 + random.Below(30));
    block->SetWidth(90 + random.Below(40));
    block->SetHeight(50 + random.Below(20));
    StyleBlock(block, random, i);
    if (layers > 0) block->SetLayer(random.Below(layers + 1));
    // Connection points in the middle of each side, as drawn diagrams have them.
    block->LinkPoints()->Add(50, 0, aoUp);
    block->LinkPoints()->Add(100, 50, aoRight);
    block->LinkPoints()->Add(50, 100, aoDown);
    block->LinkPoints()->Add(0, 50, aoLeft);
    block->SetDiagram(diagram);
    blocks.push_back(block);
  }
  diagram->EndUpdate();
  return blocks;
}

void AnchorEnd(TLinkPoint* end, TDiagramBlock* block, TRandom& random) {
  const int points = block->LinkPoints()->Count();
  if (points == 0) return;
  end->SetAnchor(block);
  end->SetAnchorIndex(random.Below(points));
}

// Lines come from whatever line class the library registered; each joins two blocks by
// their link points.
int AddLines(TvxDiagram* diagram, QWidget& owner, const std::vector<TDiagramBlock*>& blocks, int count,
             TRandom& random) {
  const TRegisteredClass* lineClass = FindClass(QStringLiteral("TDiagramLine"));
  if (!lineClass || blocks.size() < 2) return 0;
  int made = 0;
  diagram->BeginUpdate();
  for (int i = 0; i < count; ++i) {
    auto* line = qobject_cast<TDiagramControl*>(lineClass->Factory(&owner));
    if (!line) break;
    line->SetName(QStringLiteral("Line%1").arg(i + 1));
    line->SetDiagram(diagram);
    const size_t from = static_cast<size_t>(random.Below(static_cast<int>(blocks.size())));
    // A neighbour in the grid most of the time, so lines stay short like in drawn diagrams.
    size_t to = (from + 1 + static_cast<size_t>(random.Below(3))) % blocks.size();
    if (to == from) to = (from + 1) % blocks.size();
    TLinkPoints* ends = line->LinkPoints();
    if (ends->Count() >= 2) {
      AnchorEnd(ends->Point(0), blocks[from], random);
      AnchorEnd(ends->Point(ends->Count() - 1), blocks[to], random);
    }
    ++made;
  }
  diagram->EndUpdate();
  return made;
}

}  // namespace

int RunGenerateCommand(const QStringList& args, QTextStream& out, QTextStream& err) {
  const auto parsed = ParseArguments(args, err);
  if (!parsed) return 2;
  try {
    InitializeDiagramLibrary();
    QWidget owner;
    auto* diagram = Create<TvxDiagram>(&owner);
    TRandom random(parsed->Seed);
    const int layers = parsed->Blocks >= 20 ? 2 : 0;
    for (int i = 0; i < layers; ++i) diagram->Layers()->Add(QStringLiteral("Layer%1").arg(i + 1));
    for (int i = 1; i <= layers; ++i) diagram->ActivateLayer(i);
    const std::vector<TDiagramBlock*> blocks = AddBlocks(diagram, owner, parsed->Blocks, layers, random);
    const int lines = AddLines(diagram, owner, blocks, parsed->Lines, random);
    diagram->SaveToFile(parsed->Output);
    out << "Generated " << blocks.size() << " blocks and " << lines << " lines: " << parsed->Output << "\n";
    if (lines < parsed->Lines) err << "dgr generate: no line class is registered; lines were left out\n";
    return 0;
  } catch (const Exception& e) {
    err << "dgr generate: " << e.Message() << "\n";
    return 1;
  }
}
