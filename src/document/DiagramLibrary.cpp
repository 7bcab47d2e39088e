#include "document/DiagramLibrary.h"
#include "drawing/DgrClasses.h"
#include "elements/Blocks.h"
#include "elements/GroupBlocks.h"
#include "elements/Lines.h"

void InitializeDiagramLibrary() {
  static const bool initialized = [] {
    RegisterBuiltInEngines();
    RegisterDgrPictureFormats();
    RegisterBlockClasses();
    RegisterLineClasses();
    RegisterGroupBlockClasses();
    return true;
  }();
  (void)initialized;
}
