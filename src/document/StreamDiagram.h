#pragma once
// TStreamDiagram: an invisible diagram that holds settings for a while (merging texts,
// copying settings). It has no size and paints nothing.

#include "document/vxDiagram.h"

class TStreamDiagram : public TvxDiagram {
  Q_OBJECT
public:
  explicit TStreamDiagram(QWidget* parent = nullptr);

protected:
  void Paint() override {}
};
