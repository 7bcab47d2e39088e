#pragma once
// Start-up of the diagram library: registers the drawing engines, the picture formats and
// the element classes that streams may name. Programs call it once before loading diagrams.

void InitializeDiagramLibrary();
