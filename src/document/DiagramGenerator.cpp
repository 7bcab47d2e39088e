#include "document/DiagramGenerator.h"

#include "document/vxDiagram.h"
#include "elements/Blocks.h"
#include "elements/GroupBlocks.h"
#include "elements/LinkPoints.h"

#include <cmath>
#include <vector>

namespace {

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

std::vector<TDiagramBlock*> AddBlocks(TvxDiagram* diagram, QObject* owner, int count, int layers, TRandom& random) {
  std::vector<TDiagramBlock*> blocks;
  blocks.reserve(static_cast<size_t>(count));
  const int columns = std::max(1, static_cast<int>(std::ceil(std::sqrt(double(count)))));
  diagram->BeginUpdate();
  for (int i = 0; i < count; ++i) {
    auto* block = Create<TDiagramBlock>(owner);
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

// Lines come from the registered line classes; each joins two blocks by their link points.
int AddLines(TvxDiagram* diagram, QObject* owner, const std::vector<TDiagramBlock*>& blocks, int count,
             TRandom& random) {
  const TRegisteredClass* straightClass = FindClass(QStringLiteral("TDiagramLine"));
  const TRegisteredClass* sideClass = FindClass(QStringLiteral("TDiagramSideLine"));
  if (!straightClass || blocks.size() < 2) return 0;
  int made = 0;
  diagram->BeginUpdate();
  for (int i = 0; i < count; ++i) {
    // One line in three routes itself around the sides; the others are straight.
    const TRegisteredClass* lineClass = (sideClass && random.Below(3) == 0) ? sideClass : straightClass;
    auto* line = qobject_cast<TDiagramControl*>(lineClass->Factory(owner));
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

// A few groups of two neighbouring blocks, spread over the diagram (one per hundred blocks).
int AddGroups(TvxDiagram* diagram, const std::vector<TDiagramBlock*>& blocks) {
  if (blocks.size() < 20) return 0;
  const size_t groups = blocks.size() / 100 + 1;
  const size_t stride = blocks.size() / groups;
  int made = 0;
  diagram->BeginUpdate();
  for (size_t k = 0; k < groups; ++k) {
    const size_t first = k * stride;
    if (first + 1 >= blocks.size()) break;
    TGroupBlock* group = diagram->AddGroup();
    if (!group) break;
    group->Members()->Add(blocks[first]);
    group->Members()->Add(blocks[first + 1]);
    ++made;
  }
  diagram->EndUpdate();
  return made;
}

}  // namespace

TGenerateResult GenerateDiagram(TvxDiagram* diagram, QObject* owner, const TGenerateOptions& options) {
  TRandom random(options.Seed);
  const int layers = options.Blocks >= 20 ? 2 : 0;
  for (int i = 0; i < layers; ++i) diagram->Layers()->Add(QStringLiteral("Layer%1").arg(i + 1));
  for (int i = 1; i <= layers; ++i) diagram->ActivateLayer(i);
  const std::vector<TDiagramBlock*> blocks = AddBlocks(diagram, owner, options.Blocks, layers, random);
  TGenerateResult result;
  result.Blocks = static_cast<int>(blocks.size());
  result.Lines = AddLines(diagram, owner, blocks, options.Lines, random);
  result.Groups = AddGroups(diagram, blocks);
  return result;
}
