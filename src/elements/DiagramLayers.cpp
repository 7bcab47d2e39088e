#include "elements/DiagramLayers.h"
#include "elements/CustomDiagram.h"

TDiagramLayer::TDiagramLayer(TCollection* collection) : TCollectionItem(collection) {
  if (auto* layers = qobject_cast<TDiagramLayers*>(collection)) FDiagram = layers->Diagram();
}

TDiagramLayer::~TDiagramLayer() {
  if (FDiagram) FDiagram->LayerDestroying(this);
}

void TDiagramLayer::SetLayerName(const QString& name) {
  if (name == FLayerName) return;
  FLayerName = name;
  if (FDiagram) FDiagram->StreamRecordsChanged();  // elements on this layer write its name
  Changed(false);
}

void TDiagramLayer::SetVisible(bool visible) {
  if (visible == FVisible) return;
  FVisible = visible;
  if (FDiagram) {
    FDiagram->UnselectInvisible();
    FDiagram->Redraw();
  }
}

void TDiagramLayer::Assign(const TPersistent* source) {
  if (auto* other = qobject_cast<const TDiagramLayer*>(source)) {
    SetLayerName(other->FLayerName);
    SetVisible(other->FVisible);
    SetEditable(other->FEditable);
    return;
  }
  TCollectionItem::Assign(source);
}

TDiagramLayers::TDiagramLayers(QObject* owner, TCustomDiagram* diagram)
    : TCollection(owner, [](TCollection* c) { return new TDiagramLayer(c); }), FDiagram(diagram) {}

TDiagramLayer* TDiagramLayers::Add(const QString& name) {
  QString layerName = name;
  for (int n = 1; layerName.isEmpty(); ++n) {
    const QString candidate = QStringLiteral("Layer%1").arg(n);
    if (!FindByName(candidate)) layerName = candidate;
  }
  auto* layer = static_cast<TDiagramLayer*>(TCollection::Add());
  layer->SetLayerName(layerName);
  return layer;
}

TDiagramLayer* TDiagramLayers::FindByName(const QString& name) const {
  if (name.isEmpty()) return nullptr;
  for (int i = 0; i < Count(); ++i) {
    TDiagramLayer* layer = Layer(i);
    if (layer->LayerName().compare(name, Qt::CaseInsensitive) == 0) return layer;
  }
  return nullptr;
}
