#pragma once
// Writing objects into the binary object stream by their published properties, and reading
// such a stream back onto objects. The text form is reached through ObjectText.h.
//
//   QByteArray data = WriteComponent(diagram);     // binary form
//   ReadComponent(data, otherDiagram);             // onto an existing root
//
// What is written: the published properties in list order, except those without a getter,
// without a setter (unless they hold an owned sub-object), not stored, or holding their
// default; owned sub-objects by dotted paths (Brush.Color); collections as one collection
// value; references to other components by name; then the define-properties hook's custom
// properties; then, for components, the children their GetChildren hook enumerates.

#include "platform/StreamRecordCache.h"
#include "streaming/ObjectText.h"

#include <QByteArray>
#include <QByteArrayView>
#include <functional>

class QObject;

struct TComponentStreamOptions {
  // The component whose owned components are referenced by plain name; references to it
  // are written as "Owner". nullptr: the root itself.
  QObject* LookupRoot = nullptr;
  // Writing: children that keep their records (IStreamRecordCache) are asked for the
  // record they kept under this key, and keep the one written when they have none. The
  // key names everything outside the child its record depends on (the lookup root, the
  // name guards of the caller); nullptr: no record is reused or kept.
  const void* RecordCacheKey = nullptr;
  // Whether a record referring to target may be kept: the caller must notice when the
  // target's name changes. Without it, records with references are never kept.
  std::function<bool(QObject* target)> KeepsReferenceTo;
  // Bytes to reserve for the output up front (a caller writing the same root again knows
  // about how much it takes).
  qsizetype ReserveBytes = 4096;
  // Writing: the root's own properties (those of its sub-objects too) are written also
  // where they hold their defaults, so that reading the stream onto a root whose settings
  // changed since puts every one of them back.
  bool RootDefaultsToo = false;
  // Reading a stream given in pieces (a text still converting): the data ends after one
  // of the root's children, and this gives the bytes that follow, or false after the
  // last piece. Records are not kept from such a stream.
  std::function<bool(QByteArray& piece)> NextPiece;
};

// What a parent decides about the children a stream creates for it (implemented by parents
// that care; others accept every registered class and fail on a name clash).
class IChildStreamPolicy {
public:
  virtual ~IChildStreamPolicy() = default;
  // Whether a stream may create a child of this class here; others read as unknown classes.
  virtual bool AcceptsChildClass(const QMetaObject* childClass) const = 0;
  // A free name for a child whose stored name is already taken in its owner; empty: the
  // clash fails the read.
  virtual QString NameForClashingChild(QObject* child, const QString& storedName) = 0;
};

// The binary form of root and its children. Raises EWriteError ("Stream write error") for
// names that do not fit the stream or non-finite floats.
QByteArray WriteComponent(QObject* root, const TComponentStreamOptions& options = {});

// Reads a binary stream onto root: sets its name from the stream (when one is given),
// its properties, and creates its children through the class registry with the owner and
// parent that root's GetChildOwner / GetChildParent hooks name. After the whole stream,
// references are resolved and every object's Loaded hook runs, root first, in creation order.
// Failures: EFilerError family ("Invalid stream format", "Stream read error", "Class %s not
// found", "Error reading %s%s%s: %s"), EComponentError for duplicate names.
void ReadComponent(const QByteArray& data, QObject* root, const TComponentStreamOptions& options = {});

// Creates the root from the class registry by the stream's class name (owned by owner) and
// reads the stream onto it. The new object is freed when reading fails.
QObject* ReadNewComponent(const QByteArray& data, QObject* owner, const TComponentStreamOptions& options = {});
