// TvxDiagram in the object stream: diagram files, streams and the names around them.
#include "document/vxDiagram.h"
#include "platform/Exceptions.h"
#include "streaming/ComponentStream.h"
#include "streaming/ObjectText.h"

#include <QBuffer>
#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <thread>

namespace {

// Restores an object's name when the scope ends, also when an error passes through.
class TNameGuard {
public:
  TNameGuard(QObject* object, const QString& temporaryName) : FObject(object) {
    if (!FObject) return;
    FSaved = FObject->objectName();
    FObject->setObjectName(temporaryName);
  }
  ~TNameGuard() {
    if (FObject) FObject->setObjectName(FSaved);
  }
  TNameGuard(const TNameGuard&) = delete;
  TNameGuard& operator=(const TNameGuard&) = delete;

private:
  QObject* FObject;
  QString FSaved;
};

class TFlagGuard {
public:
  explicit TFlagGuard(bool& flag) : FFlag(flag), FSaved(flag) { FFlag = true; }
  ~TFlagGuard() { FFlag = FSaved; }
  TFlagGuard(const TFlagGuard&) = delete;
  TFlagGuard& operator=(const TFlagGuard&) = delete;

private:
  bool& FFlag;
  bool FSaved;
};

QByteArray ReadAll(QIODevice& stream) {
  const QByteArray data = stream.readAll();
  return data;
}

void WriteAll(QIODevice& stream, const QByteArray& data) {
  if (stream.write(data) != data.size()) throw EWriteError(QStringLiteral("Stream write error"));
}

}  // namespace

TComponentStreamOptions TvxDiagram::OwnStreamOptions() {
  TComponentStreamOptions options;
  options.LookupRoot = Owner();
  // Elements keep their records between writes: an undo snapshot or a save after a small
  // edit writes only what changed. Records are tied to the owner they were written against.
  options.RecordCacheKey = Owner() ? static_cast<const void*>(Owner()) : this;
  options.KeepsReferenceTo = [this](QObject* target) {
    auto* control = qobject_cast<TDiagramControl*>(target);
    return control && control->Diagram() == this && control->parent() == Owner();
  };
  return options;
}

QByteArray TvxDiagram::SaveToBytes(bool textFormat) {
  const QByteArray binary = WriteOwnStream(false);
  return textFormat ? ObjectBinaryToText(binary) : binary;
}

QByteArray TvxDiagram::SaveSnapshotBytes() { return WriteOwnStream(true); }

QByteArray TvxDiagram::WriteOwnStream(bool everySetting) {
  TFlagGuard streaming(FInternalStreaming);
  TNameGuard ownName(this, QString());
  // References to the owner's components are written against one fixed owner name.
  TNameGuard ownerName(IsDesigning() ? nullptr : Owner(), StreamOwnerName());
  TComponentStreamOptions options = OwnStreamOptions();
  options.ReserveBytes = FLastWriteBytes + FLastWriteBytes / 8;  // grows without copying
  options.RootDefaultsToo = everySetting;
  const QByteArray binary = WriteComponent(this, options);
  FLastWriteBytes = binary.size();
  return binary;
}

void TvxDiagram::SaveToStream(QIODevice& stream, bool textFormat) { WriteAll(stream, SaveToBytes(textFormat)); }

void TvxDiagram::ReadFromStream(const QByteArray& binary) { ReadFromStream(binary, false); }

void TvxDiagram::ReadFromStream(const QByteArray& binary, bool ownSnapshot,
                                const std::function<bool(QByteArray&)>& nextPiece) {
  TNameGuard ownerName(Owner(), StreamOwnerName());
  TComponentStreamOptions options;
  if (ownSnapshot) options = OwnStreamOptions();
  options.LookupRoot = Owner();
  options.NextPiece = nextPiece;
  ReadComponent(binary, this, options);
}

void TvxDiagram::LoadFromBytes(const QByteArray& data, bool textFormat) {
  if (textFormat && LoadFromTextPieces(data)) return;
  // Converting first means a malformed text never touches the diagram.
  LoadFromBinary(textFormat ? ObjectTextToBinary(data) : data, false);
}

bool TvxDiagram::LoadFromTextPieces(const QByteArray& text) {
  // One core converts while this thread reads what is ready.
  const unsigned cores = std::thread::hardware_concurrency();
  if (cores < 2) return false;
  TTextToBinaryPieces pieces(text, std::min(cores - 1, 3u));
  QByteArray first;
  try {
    if (pieces.Empty() || !pieces.Next(first)) return false;
    ReplaceContent([&] {
      ReadFromStream(first, false, [&pieces](QByteArray& piece) { return pieces.Next(piece); });
    });
  } catch (...) {
    // The diagram holds what it held before; loading in one pass gives the true outcome,
    // the error of a malformed text with its line among them.
    return false;
  }
  return true;
}

void TvxDiagram::LoadFromBinary(const QByteArray& binary, bool ownSnapshot) {
  ReplaceContent([&] { ReadFromStream(binary, ownSnapshot); });
}

void TvxDiagram::ReplaceContent(const std::function<void()>& read) {
  // The present content is kept aside so a stream that fails half-way can be undone.
  const QByteArray previous = SaveSnapshotBytes();
  BeginInternalUpdate();
  try {
    {
      TNameGuard ownName(this, QString());
      Clear();
      try {
        read();
      } catch (...) {
        ClearComponentState(csLoading);
        Clear();
        ReadFromStream(previous, true);
        throw;
      }
    }
  } catch (...) {
    EndInternalUpdate();
    throw;
  }
  EndInternalUpdate();
}

void TvxDiagram::LoadFromStream(QIODevice& stream, bool textFormat) { LoadFromBytes(ReadAll(stream), textFormat); }

void TvxDiagram::SaveToFile(const QString& fileName) {
  const QByteArray text = SaveToBytes(true);
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly))
    throw EFilerError(QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, file.errorString()));
  if (file.write(text) != text.size()) {
    file.cancelWriting();
    throw EWriteError(QStringLiteral("Stream write error"));
  }
  if (!file.commit()) throw EWriteError(QStringLiteral("Stream write error"));
}

void TvxDiagram::LoadFromFile(const QString& fileName) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly))
    throw EFilerError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString()));
  const QByteArray text = file.readAll();
  file.close();
  LoadFromBytes(text, true);
  ClearUndoStack();
}

QString TvxDiagram::GetAsText() { return QString::fromUtf8(SaveToBytes(true)); }

// --- Children read from streams ---------------------------------------------------------------

bool TvxDiagram::AcceptsChildClass(const QMetaObject* childClass) const {
  for (const QMetaObject* meta = childClass; meta; meta = meta->superClass())
    if (meta == &TDiagramControl::staticMetaObject) return true;
  return false;
}

QString TvxDiagram::NameForClashingChild(QObject* child, const QString& storedName) {
  // Block7 taken: the next free BlockN.
  qsizetype end = storedName.size();
  while (end > 0 && storedName[end - 1].isDigit()) --end;
  return FindCompName(child, storedName.left(end));
}
