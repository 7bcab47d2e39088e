// Copy, cut and paste of TvxDiagram elements through the system clipboard.
//
// Copied elements travel as the diagram's text form in the plain-text entry, beside an
// entry of the diagram's private format that marks the text as ours. While copying, the
// copied elements carry a name prefix that selects them for writing; pasted elements
// arrive with that prefix and are renamed to free names.
#include "document/StreamDiagram.h"
#include "document/vxDiagram.h"
#include "elements/GroupBlocks.h"
#include "platform/Component.h"
#include "streaming/ObjectText.h"

#include <QApplication>
#include <QClipboard>
#include <QHash>
#include <QMimeData>
#include <QPair>
#include <QSet>
#include <algorithm>
#include <memory>

namespace {

const QString kFormatName = QStringLiteral("Quillane");

QClipboard* Clipboard() { return QApplication::clipboard(); }

bool ClipboardHasPrivateFormat() {
  const QMimeData* data = Clipboard()->mimeData();
  return data && data->hasFormat(TvxDiagram::ClipboardFormat());
}

bool IsInGroup(const TDiagramControl* control, const TDiagramControl* group) {
  for (const TDiagramControl* g = control->GroupBlock(); g; g = g->GroupBlock())
    if (g == group) return true;
  return false;
}

// The copy of Block1 becomes Block2: the taken name without its counter is the base.
QString BaseOf(const QString& name) {
  qsizetype end = name.size();
  while (end > 0 && name[end - 1].isDigit()) --end;
  return name.left(end);
}

// The names pasted elements are checked against: the components of the element's owner, of
// the diagram's owner and of the diagram, and the diagram's elements. The elements' names
// are counted in a hash, and the free counter of each base name is remembered while the
// pasted elements only take names, so renaming many pasted elements stays linear.
class TPasteNames {
public:
  TPasteNames(const TvxDiagram* diagram, const std::vector<TDiagramControl*>& controls) : FDiagram(diagram) {
    for (const TDiagramControl* control : controls) Count(control->Name(), +1);
  }

  bool IsTaken(const TDiagramControl* control, const QString& name) const {
    if (name.isEmpty()) return true;  // a name that is all prefix cannot be kept
    if (QObject* owner = FDiagram->Owner()) {
      QObject* found = FindOwnedComponent(owner, name);
      if (found && found != control) return true;
    }
    return FElementNames.value(name.toCaseFolded()) > 0;
  }

  // The first free name of the taken name's base with a counter: the copy of Block1 becomes
  // Block2 (or the next free one).
  QString FreeNameLike(const TDiagramControl* control, const QString& taken) {
    const QString base = BaseOf(taken);
    if (base.isEmpty()) return FDiagram->FindCompName(control, base);
    int& next = FNextCounter[base.toCaseFolded()];
    for (int n = std::max(next, 1);; ++n) {
      const QString candidate = base + QString::number(n);
      if (!IsCounterTaken(control, candidate)) {
        next = n + 1;
        return candidate;
      }
    }
  }

  void Rename(TDiagramControl* control, const QString& name) {
    const QString old = control->Name();
    control->SetName(name);
    Count(old, -1);
    Count(name, +1);
    // A name given up may free a counter below the remembered one.
    if (!old.isEmpty()) FNextCounter.remove(BaseOf(old).toCaseFolded());
  }

private:
  bool IsCounterTaken(const TDiagramControl* control, const QString& candidate) const {
    const QObject* componentOwner = control->parent();
    return (componentOwner && FindOwnedComponent(componentOwner, candidate)) ||
           (FDiagram->Owner() && FindOwnedComponent(FDiagram->Owner(), candidate)) ||
           FindOwnedComponent(FDiagram, candidate) || FElementNames.value(candidate.toCaseFolded()) > 0;
  }

  void Count(const QString& name, int delta) {
    if (name.isEmpty()) return;
    int& count = FElementNames[name.toCaseFolded()];
    count += delta;
  }

  const TvxDiagram* FDiagram;
  QHash<QString, int> FElementNames;
  QHash<QString, int> FNextCounter;
};

// Where the visible top-level blocks have their top-left corners, counted, so a pasted block
// finds out in constant time whether another block already sits exactly where it is.
class TBlockCorners {
public:
  explicit TBlockCorners(const std::vector<TDiagramControl*>& blocks) {
    for (const TDiagramControl* block : blocks)
      if (Counts(block)) {
        FCounted.insert(block);
        ++FCorners[CornerOf(block)];
      }
  }

  bool OccupiedByOther(const TDiagramControl* block) const {
    const int here = FCorners.value(CornerOf(block));
    return here - (FCounted.contains(block) ? 1 : 0) > 0;
  }
  void Forget(const TDiagramControl* block) {
    if (FCounted.contains(block)) --FCorners[CornerOf(block)];
  }
  void Remember(const TDiagramControl* block) {
    if (FCounted.contains(block)) ++FCorners[CornerOf(block)];
  }

private:
  static bool Counts(const TDiagramControl* block) { return block->IsVisible() && !block->IsMember(); }
  static QPair<double, double> CornerOf(const TDiagramControl* block) {
    const TSquare rect = block->ControlRect();
    return {rect.Left + 0.0, rect.Top + 0.0};  // -0 and 0 are the same corner
  }

  QSet<const TDiagramControl*> FCounted;
  QHash<QPair<double, double>, int> FCorners;
};

class TScopedFlag {
public:
  explicit TScopedFlag(bool& flag) : FFlag(flag) { FFlag = true; }
  ~TScopedFlag() { FFlag = false; }
  TScopedFlag(const TScopedFlag&) = delete;
  TScopedFlag& operator=(const TScopedFlag&) = delete;

private:
  bool& FFlag;
};

}  // namespace

QString TvxDiagram::ClipboardFormat() { return QStringLiteral("application/x-") + kFormatName.toLower(); }

// --- Copy ------------------------------------------------------------------------------------

void TvxDiagram::MarkForClipboard(TDiagramControl* control) {
  control->SetName(FClipPrefix + control->Name());
  if (!control->IsGroup()) return;
  for (TDiagramControl* member : FDControls)
    if (IsInGroup(member, control)) member->SetName(FClipPrefix + member->Name());
}

void TvxDiagram::UnmarkClipboardNames() {
  if (FClipPrefix.isEmpty()) return;
  for (TDiagramControl* control : FDControls)
    if (control->Name().startsWith(FClipPrefix)) control->SetName(control->Name().mid(FClipPrefix.size()));
}

QString TvxDiagram::CopyMarkedAsText() {
  // Names are given back whatever happens, so a failed copy leaves no prefixed names.
  struct TUnmark {
    TvxDiagram* Diagram;
    ~TUnmark() {
      try {
        Diagram->UnmarkClipboardNames();
      } catch (...) {
      }
    }
  } unmark{this};
  TScopedFlag clipboardStreaming(FClipboardStreaming);
  return GetAsText();
}

QString TvxDiagram::GetControlAsText(TDiagramControl* control) {
  if (!control) return {};
  try {
    UnmarkClipboardNames();
    MarkForClipboard(control);
  } catch (...) {
    UnmarkClipboardNames();
    throw;
  }
  return CopyMarkedAsText();
}

void TvxDiagram::CopyToClipboard() {
  const std::vector<TDiagramControl*> selected = FSelecteds;
  try {
    // Names that already carry the prefix would be copied unselected; they lose it first.
    UnmarkClipboardNames();
    for (TDiagramControl* control : selected)
      if (!control->AsMember() && control->CanCopyToClipboard()) MarkForClipboard(control);
  } catch (...) {
    UnmarkClipboardNames();
    throw;
  }
  const QString text = CopyMarkedAsText();
  auto data = std::make_unique<QMimeData>();
  data->setData(ClipboardFormat(), QByteArray(1, '\0'));
  data->setText(text);
  Clipboard()->setMimeData(data.release());
}

void TvxDiagram::CutToClipboard() {
  CopyToClipboard();
  if (FDesignMode == ddmNonEditable) return;
  DeleteControls(TControlRestrictions(crNoDelete) | crNoClipboard);
  Redraw();
}

// --- Paste -----------------------------------------------------------------------------------

std::vector<TDiagramControl*> TvxDiagram::RenamePastedElements() {
  std::vector<TDiagramControl*> pasted;
  if (FClipPrefix.isEmpty()) return pasted;
  const std::vector<TDiagramControl*> controls = FDControls;
  TPasteNames names(this, controls);
  for (TDiagramControl* control : controls) {
    if (!control->Name().startsWith(FClipPrefix)) continue;
    const QString wanted = control->Name().mid(FClipPrefix.size());
    // Free the prefixed name first so it does not count against the new one.
    names.Rename(control, QString());
    names.Rename(control, names.IsTaken(control, wanted) ? names.FreeNameLike(control, wanted) : wanted);
    pasted.push_back(control);
  }
  return pasted;
}

void TvxDiagram::PlacePastedElements(const std::vector<TDiagramControl*>& pasted) {
  TBlockCorners corners(FBlocks);
  BeginUpdateSel();
  try {
    for (TDiagramControl* control : std::vector<TDiagramControl*>(FSelecteds)) control->SetSelected(false);
    for (TDiagramControl* control : pasted) {
      if (control->IsMember()) continue;
      control->SetSelected(true);
      if (!control->IsBlock()) continue;
      // Bounded: a diagram has finitely many blocks, so some offset is free.
      for (size_t step = 0; step <= FBlocks.size() && corners.OccupiedByOther(control); ++step) {
        corners.Forget(control);
        control->MoveBy(20, 20);
        corners.Remember(control);
      }
    }
  } catch (...) {
    EndUpdateSel();
    throw;
  }
  EndUpdateSel();
}

void TvxDiagram::PasteFromClipboard() {
  if (FDesignMode == ddmNonEditable) return;
  if (ClipboardHasPrivateFormat()) {
    const QString text = Clipboard()->text();
    if (!text.isEmpty()) MergeFromText(text);
  }
  auto announceSelected = [this] {
    for (TDiagramControl* control : std::vector<TDiagramControl*>(FSelecteds)) {
      control->NotifyAnchoreds(acPosition);
      if (OnInsertDControl) OnInsertDControl(this, control);
      if (control->IsLine() && OnInsertLink) OnInsertLink(this, control);
      if (control->IsBlock() && OnInsertBlock) OnInsertBlock(this, control);
    }
  };
  try {
    const std::vector<TDiagramControl*> pasted = RenamePastedElements();
    PlacePastedElements(pasted);
    RecalcExtent();
  } catch (...) {
    announceSelected();
    throw;
  }
  announceSelected();
  Modified();
  PushUndoStack(QStringLiteral("paste"));
}

void TvxDiagram::MergeFromText(const QString& text) {
  const QByteArray binary = ObjectTextToBinary(text.toUtf8());
  BeginInternalUpdate();
  TvxDiagram* holder = nullptr;
  try {
    const TRegisteredClass* entry = FindClass(QString::fromLatin1(StreamDiagramClass()->className()));
    QObject* made = entry ? entry->Factory(Owner()) : nullptr;
    holder = qobject_cast<TvxDiagram*>(made);
    if (!holder) {
      if (made) Free(made);
      holder = Create<TStreamDiagram>(parentWidget());
    }
    holder->Assign(this);
    holder->ClearDControls();
    try {
      const QString ownName = Name();
      setObjectName(QString());
      try {
        ReadFromStream(binary);
      } catch (...) {
        setObjectName(ownName);
        throw;
      }
      setObjectName(ownName);
    } catch (...) {
      Assign(holder);  // the diagram's own settings come back also when reading failed
      throw;
    }
    Assign(holder);
  } catch (...) {
    if (holder) Free(holder);
    EndInternalUpdate();
    throw;
  }
  Free(holder);
  EndInternalUpdate();
  for (TDiagramControl* control : std::vector<TDiagramControl*>(FDControls)) control->ResolvePendingLayerName();
}

bool TvxDiagram::CanCopy() const { return !FSelecteds.empty() && FMouseState == msBrowsing; }

bool TvxDiagram::CanPaste() const {
  if (FDesignMode == ddmNonEditable) return false;
  return FMouseState == msBrowsing && ClipboardHasPrivateFormat();
}

// --- Library items ------------------------------------------------------------------------------

namespace {

void CollectWithMembers(TDiagramControl* control, std::vector<TDiagramControl*>& into) {
  into.push_back(control);
  if (auto* group = dynamic_cast<TBaseGroupBlock*>(control))
    for (TDiagramControl* member : group->Members()->Controls())
      if (member != control) CollectWithMembers(member, into);
}

}  // namespace

TDiagramControl* TvxDiagram::CreateControlFromData(const QString& data, const QString& controlId) {
  auto* scratch = Create<TvxDiagram>(qobject_cast<QWidget*>(ChildOwner()));
  try {
    scratch->MergeFromText(data);
  } catch (...) {
    Free(scratch);
    throw;
  }
  TDiagramControl* result = scratch->DControlCount() > 0 ? scratch->DControls(0) : nullptr;
  if (result && result->IsMember()) result = result->MasterGroup();
  std::vector<TDiagramControl*> taken;
  if (result) CollectWithMembers(result, taken);

  // The scratch diagram counts as going away: elements leave it without removal notices,
  // so lines inside the item keep their anchors; the elements not taken are freed.
  scratch->SetComponentState(csDestroying);
  while (scratch->DControlCount() > 0) {
    TDiagramControl* control = scratch->DControls(0);
    if (std::find(taken.begin(), taken.end(), control) == taken.end()) {
      Free(control);
      continue;
    }
    control->SetName(QString());
    control->SetDiagram(nullptr);
  }
  for (TDiagramControl* control : taken)
    if (control->parent() == scratch) control->setParent(ChildOwner());
  Free(scratch);
  if (result) result->SetDControlID(controlId);
  return result;
}
