#include "document/DiagramSettings.h"
#include "document/vxDiagram.h"
#include "platform/Exceptions.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

// --- Scroll bars -----------------------------------------------------------------------------

void TDiagramScrollBar::SetColor(TColor value) {
  FParentColor = false;
  SetField(FColor, value);
}

void TDiagramScrollBar::SetIncrement(int value) { SetField(FIncrement, std::clamp(value, 1, 32767)); }

void TDiagramScrollBar::SetParentColor(bool value) {
  if (value == FParentColor) return;
  FParentColor = value;
  if (value) FColor = DefaultColor;
  Changed();
}

void TDiagramScrollBar::SetPosition(int value) {
  if (FDiagram && !FDiagram->IsLoading()) value = std::clamp(value, 0, std::max(0, FDiagram->ScrollCalcRange(FKind)));
  if (value == FPosition) return;
  FPosition = value;
  if (FDiagram && !FDiagram->IsLoading()) FDiagram->SetScrollPos(FKind, value);
}

void TDiagramScrollBar::SetRange(int value) {
  value = std::max(0, value);
  if (value == FRange) return;
  FRange = value;
  if (FDiagram) FDiagram->UpdateScrollBars();
}

bool TDiagramScrollBar::IsRangeStored() const {
  return !FDiagram || (!FDiagram->AutoScroll() && !FDiagram->AutoPage());
}

void TDiagramScrollBar::Assign(const TPersistent* source) {
  if (auto* other = qobject_cast<const TDiagramScrollBar*>(source)) {
    SetVisible(other->FVisible);
    SetRange(other->FRange);
    SetPosition(other->FPosition);
    SetIncrement(other->FIncrement);
    return;
  }
  TDiagramSettings::Assign(source);
}

// --- Snap grid ---------------------------------------------------------------------------------

TSnapGrid::TSnapGrid(TvxDiagram* diagram) : TDiagramSettings(diagram), FPen(std::make_unique<TPen>()) {
  FPen->OnChange = [this](TPersistent*) { Changed(); };
}

TSnapGrid::~TSnapGrid() = default;

TDot TSnapGrid::SnapPoint(const TDot& point) const {
  auto snap = [](double v, double size) { return size > 0 && std::isfinite(v) ? size * RoundF(v / size) : v; };
  return {snap(point.X, FSizeX), snap(point.Y, FSizeY)};
}

void TSnapGrid::Assign(const TPersistent* source) {
  if (auto* other = qobject_cast<const TSnapGrid*>(source)) {
    SetActive(other->FActive);
    SetVisible(other->FVisible);
    SetSizeX(other->FSizeX);
    SetSizeY(other->FSizeY);
    SetStyle(other->FStyle);
    SetPen(other->Pen());
    return;
  }
  TDiagramSettings::Assign(source);
}

// --- Page lines --------------------------------------------------------------------------------

TPageLines::TPageLines(TvxDiagram* diagram) : TDiagramSettings(diagram), FPen(std::make_unique<TPen>()) {
  FPen->SetStyle(psDot);
  FPen->SetColor(clBlack);
  FPen->OnChange = [this](TPersistent*) { Changed(); };
}

TPageLines::~TPageLines() = default;

void TPageLines::SetVisible(bool value) {
  // Only page lines that belong to a diagram can be shown.
  if (!FDiagram) return;
  SetField(FVisible, value);
}

void TPageLines::Assign(const TPersistent* source) {
  if (auto* other = qobject_cast<const TPageLines*>(source)) {
    SetVisible(other->FVisible);
    SetPen(other->Pen());
    return;
  }
  TDiagramSettings::Assign(source);
}

// --- Background ---------------------------------------------------------------------------------

TDiagramBackground::TDiagramBackground(TvxDiagram* diagram)
    : TDiagramSettings(diagram), FGradient(std::make_unique<TDiagramGradient>()) {
  FGradient->OnChange = [this] { Changed(); };
}

TDiagramBackground::~TDiagramBackground() = default;

void TDiagramBackground::Assign(const TPersistent* source) {
  if (auto* other = qobject_cast<const TDiagramBackground*>(source)) {
    SetStyle(other->FStyle);
    SetGradient(other->Gradient());
    return;
  }
  TDiagramSettings::Assign(source);
}

// --- Rulers -------------------------------------------------------------------------------------

TDiagramRuler::TDiagramRuler(TvxDiagram* diagram, TRulerPosition position)
    : TDiagramSettings(diagram), FFont(std::make_unique<TFont>()), FPosition(position) {
  FFont->SetName(QStringLiteral("Arial"));
  FFont->SetSize(7);
  FFont->OnChange = [this](TPersistent*) { Changed(); };
}

TDiagramRuler::~TDiagramRuler() = default;

TRulerUnits TDiagramRuler::Units() const {
  if (FDiagram && FDiagram->RulerAutoUnit()) {
    switch (FDiagram->MeasUnit()) {
      case duMili: return unMili;
      case duCenti: return unCenti;
      case duInch: return unInch;
    }
  }
  return FUnits;
}

void TDiagramRuler::SetUnits(TRulerUnits value) {
  if (value == FUnits) return;
  FUnits = value;
  FDivisions = DefaultDivisions(value);
  Changed();
}

void TDiagramRuler::Assign(const TPersistent* source) {
  if (auto* other = qobject_cast<const TDiagramRuler*>(source)) {
    SetVisible(other->FVisible);
    SetDivisions(other->FDivisions);
    SetUnits(other->FUnits);
    SetDivisions(other->FDivisions);
    SetMinorTickLength(other->FMinorTickLength);
    SetMajorTickLength(other->FMajorTickLength);
    SetColor(other->FColor);
    SetSize(other->FSize);
    SetFont(other->Font());
    return;
  }
  TDiagramSettings::Assign(source);
}

// --- Page settings -------------------------------------------------------------------------------

void TDiagramPageSettings::ResetToDefaultPaper() {
  FPaperId = 9;
  FPaperName = QStringLiteral("A4");
  FPaperWidth = 210;
  FPaperHeight = 297;
  FOrientation = dpoPortrait;
  FLeftMargin = FTopMargin = FRightMargin = FBottomMargin = 25.4;
  Changed();
}

QString TDiagramPageSettings::FormatMargin(double millimetres) {
  return QLocale::c().toString(millimetres, 'g', 15);
}

double TDiagramPageSettings::ParseMargin(const QString& text) {
  bool ok = false;
  const double value = QLocale::c().toDouble(text.trimmed(), &ok);
  if (!ok || !std::isfinite(value))
    throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
  return value;
}

void TDiagramPageSettings::Assign(const TPersistent* source) {
  if (auto* other = qobject_cast<const TDiagramPageSettings*>(source)) {
    SetPaperName(other->FPaperName);
    SetPaperId(other->FPaperId);
    SetPaperWidth(other->FPaperWidth);
    SetPaperHeight(other->FPaperHeight);
    SetOrientation(other->FOrientation);
    SetLeftMargin(other->FLeftMargin);
    SetTopMargin(other->FTopMargin);
    SetRightMargin(other->FRightMargin);
    SetBottomMargin(other->FBottomMargin);
    return;
  }
  TDiagramSettings::Assign(source);
}
