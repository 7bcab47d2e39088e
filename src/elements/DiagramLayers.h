#pragma once
// Named layers of a diagram: each has a name, a visibility and an editability.

#include "platform/Collection.h"

class TCustomDiagram;

class TDiagramLayer : public TCollectionItem {
  Q_OBJECT
  Q_PROPERTY(QString LayerName READ LayerName WRITE SetLayerName)
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
  Q_PROPERTY(bool Editable READ Editable WRITE SetEditable)
  DGR_DEFAULT(Visible, true)
  DGR_DEFAULT(Editable, true)
public:
  explicit TDiagramLayer(TCollection* collection);
  ~TDiagramLayer() override;

  QString LayerName() const { return FLayerName; }
  void SetLayerName(const QString& name);
  bool Visible() const { return FVisible; }
  // Hiding a layer unselects its selected elements and redraws the diagram.
  void SetVisible(bool visible);
  bool Editable() const { return FEditable; }
  void SetEditable(bool editable) { FEditable = editable; }
  TCustomDiagram* Diagram() const { return FDiagram; }

  void Assign(const TPersistent* source) override;
  QString GetDisplayName() const override { return FLayerName; }

private:
  TCustomDiagram* FDiagram = nullptr;
  bool FEditable = true;
  bool FVisible = true;
  QString FLayerName;
};

class TDiagramLayers : public TCollection {
  Q_OBJECT
public:
  TDiagramLayers(QObject* owner, TCustomDiagram* diagram);

  TDiagramLayer* Layer(int index) const { return ItemAs<TDiagramLayer>(index); }
  // Appends a layer; an empty name gives the first free "Layer%d".
  TDiagramLayer* Add(const QString& name);
  using TCollection::Add;
  // nullptr for an empty name; otherwise the first layer of that name, without regard to case.
  TDiagramLayer* FindByName(const QString& name) const;
  TCustomDiagram* Diagram() const { return FDiagram; }

private:
  TCustomDiagram* FDiagram;
};
