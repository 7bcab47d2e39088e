// A generator of synthetic but realistic diagrams, for benchmarks, demos and end-to-end
// tests. The same options always give the same diagram.
#pragma once

#include <QtGlobal>

class QObject;
class TvxDiagram;

struct TGenerateOptions {
  int Blocks = 0;
  int Lines = 0;
  quint32 Seed = 1;
};

struct TGenerateResult {
  int Blocks = 0;
  int Lines = 0;
  int Groups = 0;
};

// Fills the diagram with blocks (owned by owner), lines anchored between them and a few
// groups of two blocks. Lines are left out when no line class is registered.
TGenerateResult GenerateDiagram(TvxDiagram* diagram, QObject* owner, const TGenerateOptions& options);
