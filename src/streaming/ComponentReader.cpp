// Binary object stream -> objects, by their published properties.
#include "streaming/ComponentStream.h"

#include "platform/Collection.h"
#include "platform/Component.h"
#include "streaming/StreamClass.h"
#include "streaming/StreamErrors.h"
#include "streaming/ValueReader.h"

#include <QHash>
#include <QMetaEnum>
#include <QPointer>
#include <QSet>
#include <climits>
#include <cmath>
#include <deque>
#include <limits>
#include <vector>

namespace {

QString FromUtf8(std::string_view bytes) { return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())); }

[[noreturn]] void ThrowPropertyMissing(std::string_view name) {
  throw EReadError(QStringLiteral("Property %1 does not exist").arg(FromUtf8(name)));
}
[[noreturn]] void ThrowInvalidPath() { throw EReadError(QString::fromLatin1(StreamMessages::kInvalidPropertyPath)); }

bool SameIgnoringCase(std::string_view a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
    if (x != y) return false;
  }
  return i == a.size() && !b[i];
}

std::optional<int> EnumValue(const QMetaEnum& e, std::string_view key) {
  for (int i = 0; i < e.keyCount(); ++i)
    if (SameIgnoringCase(key, e.key(i))) return e.value(i);
  return std::nullopt;
}

void WriteOrFail(QObject* instance, const QMetaProperty& meta, const QVariant& value) {
  if (!meta.isWritable() || !meta.write(instance, value)) ThrowInvalidValue();
}

// Hands a value of exactly the property's type (or an enumeration's int) straight to the
// class's setter: no variant is built or converted. Reading a diagram sets millions of these.
void WriteExact(QObject* instance, const TStreamProperty& property, void* value) {
  if (!property.Writable) ThrowInvalidValue();
  WritePropertyValue(instance, property, value);
}

class TComponentReader final : public TReader, public TFiler {
public:
  TComponentReader(const QByteArray& data, QObject* root, const TComponentStreamOptions& options)
      : FValues(data), FData(data), FRoot(root), FLookupRoot(options.LookupRoot ? options.LookupRoot : root),
        FCacheKey(options.NextPiece ? nullptr : options.RecordCacheKey), FKeepsReferenceTo(options.KeepsReferenceTo),
        FNextPiece(options.NextPiece) {}

  void ReadStream() {
    try {
      FValues.ReadSignature();
      const TObjectHeader header = FValues.ReadObjectHeader();
      BeginLoading(FRoot);
      if (!header.ObjectName.empty()) SetObjectName(FRoot, FromUtf8(header.ObjectName));
      ReadObjectBody(FRoot);
      ResolveReferences();
    } catch (...) {
      EndLoadingAfterFailure();
      throw;
    }
    RunLoadedHooks();
    KeepReadRecords();
  }

  // ---- TReader: values of custom properties ----
  TValueType NextValue() override { return FValues.PeekTag(); }
  int32_t ReadInteger() override {
    const int64_t value = FValues.ReadInteger();
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) ThrowInvalidValue();
    return static_cast<int32_t>(value);
  }
  int64_t ReadInt64() override { return FValues.ReadInteger(); }
  double ReadFloat() override {
    const TValueType tag = FValues.ReadTag();
    if (IsIntegerTag(tag)) return static_cast<double>(FValues.ReadIntegerPayload(tag));
    return FValues.ReadFloatPayload(tag);
  }
  QString ReadString() override { return FValues.ReadText(); }
  bool ReadBoolean() override {
    const TValueType tag = FValues.ReadTag();
    if (tag != vaTrue && tag != vaFalse) ThrowInvalidValue();
    return tag == vaTrue;
  }
  QString ReadIdent() override {
    switch (FValues.ReadTag()) {
      case vaIdent: return FromUtf8(FValues.ReadShortString());
      case vaFalse: return QStringLiteral("False");
      case vaTrue: return QStringLiteral("True");
      case vaNil: return QStringLiteral("nil");
      case vaNull: return QStringLiteral("Null");
      default: ThrowInvalidValue();
    }
  }
  void ReadListBegin() override {
    if (FValues.ReadTag() != vaList) ThrowInvalidValue();
  }
  bool EndOfList() override { return FValues.EndOfList(); }
  void ReadListEnd() override { FValues.ReadEndOfList(); }
  void ReadCollection(TCollection* collection) override {
    if (FValues.ReadTag() != vaCollection) ThrowInvalidValue();
    ReadCollectionValue(collection);
  }

  // ---- TFiler: claims the custom property being read, if the hook defines it ----
  void DefineProperty(const QString& name, const std::function<void(TReader&)>& readData,
                      const std::function<void(TWriter&)>&, bool) override {
    if (FClaimed || !readData || !IsClaimName(name)) return;
    FClaimed = true;
    readData(*this);
  }
  void DefineBinaryProperty(const QString& name, const std::function<void(const QByteArray&)>& readData,
                            const std::function<QByteArray()>&, bool) override {
    if (FClaimed || !readData || !IsClaimName(name)) return;
    FClaimed = true;
    if (FValues.ReadTag() != vaBinary) ThrowInvalidValue();
    const std::string_view bytes = FValues.ReadBinaryPayload();
    readData(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
  }

private:
  bool IsClaimName(const QString& name) const {
    return name.size() == static_cast<qsizetype>(FClaimName.size()) &&
           name.compare(FromUtf8(FClaimName), Qt::CaseInsensitive) == 0;
  }

  // ---- objects ----
  void BeginLoading(QObject* object) {
    if (auto* hooks = dynamic_cast<TStreamHooks*>(object)) hooks->SetComponentState(csLoading | csReading);
    FLoaded.emplace_back(object);
  }

  static void SetObjectName(QObject* object, const QString& name) {
    if (auto* component = qobject_cast<TComponent*>(object)) component->SetName(name);
    else object->setObjectName(name);
  }

  void ReadObjectBody(QObject* object) {
    TValueReader::TNestingGuard guard(FValues);
    const QString savedName = FObjectName;
    FObjectName = object->objectName();
    while (!FValues.EndOfList()) ReadPropertyEntry(object);
    FValues.ReadEndOfList();
    for (;;) {
      if (object == FRoot) ContinueInNextPiece();
      if (FValues.EndOfList()) break;
      ReadChild(object);
    }
    FValues.ReadEndOfList();
    if (auto* hooks = dynamic_cast<TStreamHooks*>(object)) hooks->ClearComponentState(csReading);
    FObjectName = savedName;
  }

  // At the end of a piece, between two children of the root: on with the next piece.
  void ContinueInNextPiece() {
    if (!FNextPiece) return;
    QByteArray piece;
    while (FValues.Remaining() == 0 && FNextPiece(piece)) {
      FPieces.push_back(std::move(piece));
      FValues.Continue(FPieces.back().constData(), static_cast<size_t>(FPieces.back().size()));
    }
  }

  void ReadChild(QObject* parent) {
    TValueReader::TNestingGuard guard(FValues);
    const size_t recordStart = FValues.Position();
    const TObjectHeader header = FValues.ReadObjectHeader();
    const QString className = FromUtf8(header.ClassName);
    const TRegisteredClass* registered = FindClass(className);
    auto* parentHooks = dynamic_cast<TStreamHooks*>(parent);
    auto* policy = dynamic_cast<IChildStreamPolicy*>(parent);
    if (!registered || (policy && !policy->AcceptsChildClass(registered->MetaObject)))
      throw EClassNotFound(QStringLiteral("Class %1 not found").arg(className));

    QObject* owner = parentHooks ? parentHooks->GetChildOwner() : nullptr;
    if (!owner) owner = FRoot;
    QObject* childParent = parentHooks ? parentHooks->GetChildParent() : nullptr;
    if (!childParent) childParent = parent;
    const QString name = FromUtf8(header.ObjectName);

    QObject* existing = (header.Flags & ofInherited) ? FindOwnedComponent(owner, name) : nullptr;
    if (existing && !InheritsFrom(existing->metaObject(), registered->MetaObject)) existing = nullptr;
    const bool clashes = !existing && IsNameTaken(owner, name);
    if (clashes && !policy)
      throw EComponentError(QStringLiteral("A component named %1 already exists").arg(name));

    QPointer<QObject> child = existing ? existing : registered->Factory(owner);
    try {
      BeginLoading(child);
      if (clashes) NameClashingChild(child, owner, name, *policy);
      else if (!existing) NameCreatedChild(child, owner, name);
      if (auto* hooks = dynamic_cast<TStreamHooks*>(child.data())) hooks->SetParentComponent(childParent);
      const QPointer<QObject> outerChild = std::exchange(FCurrentChild, child);
      ReadObjectBody(child);
      FCurrentChild = outerChild;
    } catch (...) {
      if (!existing && child) Free(child);  // a child that failed to read is not kept half-read
      throw;
    }
    if (FCacheKey && !existing && !clashes && dynamic_cast<IStreamRecordCache*>(child.data())) {
      FReadRecordIndex.insert(child, FReadRecords.size());
      FReadRecords.push_back({child, recordStart, FValues.Position() - recordStart});
    }
  }

  // A stream the caller wrote itself under the same key: once read, references resolved
  // and Loaded run, each child's state is the one that wrote its bytes, so it keeps them.
  // (Loaded redoes derived state such as routes and fonts; the setters it calls would make
  // the children forget records kept any earlier.) Later changes make them forget again.
  void KeepReadRecords() {
    for (const TReadRecord& record : FReadRecords) {
      if (!record.Child || !record.Keep) continue;
      dynamic_cast<IStreamRecordCache*>(record.Child.data())
          ->KeepStreamRecord(FCacheKey, FData.mid(static_cast<qsizetype>(record.Start), static_cast<qsizetype>(record.Size)));
    }
  }

  // A reference the child's bytes hold but its state now does not (unresolved), or one
  // whose renames the caller would not notice: the child writes itself afresh.
  void ForgetReadRecord(QObject* child) {
    const auto it = FReadRecordIndex.constFind(child);
    if (it != FReadRecordIndex.cend()) FReadRecords[*it].Keep = false;
  }

  // Names under each owner children are created for, indexed once per read: a linear search
  // per child would make reading n children quadratic.
  bool IsNameTaken(QObject* owner, const QString& name) {
    if (name.isEmpty()) return false;
    auto it = FOwnedNames.find(owner);
    if (it == FOwnedNames.end()) {
      it = FOwnedNames.insert(owner, {});
      for (QObject* child : owner->children())
        if (!child->objectName().isEmpty()) it->insert(child->objectName().toLower());
    }
    return it->contains(name.toLower());
  }

  // The same checks as TComponent::SetName, but against the index: SetName searches the
  // owner's children one by one, which made reading a 10,000-element snapshot take seconds.
  void NameCreatedChild(QObject* child, QObject* owner, const QString& name) {
    if (!name.isEmpty()) {
      if (!IsValidIdent(name))
        throw EComponentError(QStringLiteral("''%1'' is not a valid component name").arg(name));
      if (IsNameTaken(owner, name))
        throw EComponentError(QStringLiteral("A component named %1 already exists").arg(name));
      FOwnedNames[owner].insert(name.toLower());
    }
    child->setObjectName(name);
  }

  // The parent may give a child whose stored name is taken another name; references in the
  // stream to the stored name still reach this child.
  void NameClashingChild(QObject* child, QObject* owner, const QString& storedName, IChildStreamPolicy& policy) {
    const QString name = policy.NameForClashingChild(child, storedName);
    if (name.isEmpty() || IsNameTaken(owner, name))
      throw EComponentError(QStringLiteral("A component named %1 already exists").arg(storedName));
    NameCreatedChild(child, owner, name);
    FRenamed.insert(storedName.toLower(), child);
  }

  // ---- properties ----
  void ReadPropertyEntry(QObject* object) {
    const std::string_view name = FValues.ReadShortString();
    try {
      ReadProperty(object, name);
    } catch (const EPropertyReadError&) {
      throw;
    } catch (const Exception& e) {
      throw EPropertyReadError(PropertyErrorMessage(FObjectName, FromUtf8(name), e.Message()));
    }
  }

  void ReadProperty(QObject* instance, std::string_view name) {
    std::string_view rest = name;
    for (size_t dot = rest.find('.'); dot != std::string_view::npos; dot = rest.find('.')) {
      const TStreamProperty* inner = StreamClassOf(instance->metaObject()).Find(rest.substr(0, dot));
      if (!inner) {
        FValues.SkipValue();
        ThrowPropertyMissing(name);
      }
      if (inner->Kind != TPropertyKind::Object) ThrowInvalidPath();
      QObject* next = ReadObjectProperty(instance, *inner);
      if (!next) ThrowInvalidPath();
      instance = next;
      rest.remove_prefix(dot + 1);
    }
    if (const TStreamProperty* property = StreamClassOf(instance->metaObject()).Find(rest)) {
      ReadValueInto(instance, *property);
      return;
    }
    if (ReadCustomProperty(instance, rest)) return;
    FValues.SkipValue();
    ThrowPropertyMissing(name);
  }

  bool ReadCustomProperty(QObject* instance, std::string_view name) {
    auto* hooks = dynamic_cast<TStreamHooks*>(instance);
    if (!hooks) return false;
    const std::string_view savedName = FClaimName;
    const bool savedClaimed = FClaimed;
    FClaimName = name;
    FClaimed = false;
    try {
      hooks->DefineProperties(*this);
    } catch (...) {
      FClaimName = savedName;
      FClaimed = savedClaimed;
      throw;
    }
    const bool claimed = FClaimed;
    FClaimName = savedName;
    FClaimed = savedClaimed;
    return claimed;
  }

  void ReadValueInto(QObject* instance, const TStreamProperty& p) {
    const TValueType tag = FValues.ReadTag();
    const QMetaType type = p.Type;
    switch (p.Kind) {
      case TPropertyKind::Integer:
      case TPropertyKind::Int64: {
        const int64_t number = ReadInteger(p, tag);
        const bool intSized = type.id() == QMetaType::Int ||
                              ((type.flags() & QMetaType::IsEnumeration) && type.sizeOf() == sizeof(int32_t));
        const int64_t upper = type.id() == QMetaType::Int ? INT32_MAX : UINT32_MAX;
        if (intSized && number >= INT32_MIN && number <= upper) {
          auto narrow = static_cast<int32_t>(number);  // colours above INT32_MAX keep their bits
          WriteExact(instance, p, &narrow);
          return;
        }
        const std::optional<QVariant> value = Int64ToVariant(type, number);
        if (!value) ThrowInvalidValue();
        WriteOrFail(instance, p.Meta, *value);
        return;
      }
      case TPropertyKind::Boolean:
        if (tag != vaTrue && tag != vaFalse) ThrowInvalidValue();
        if (type.id() == QMetaType::Bool) {
          bool value = tag == vaTrue;
          WriteExact(instance, p, &value);
        } else {
          WriteOrFail(instance, p.Meta, QVariant(tag == vaTrue));
        }
        return;
      case TPropertyKind::Char: {
        if (!IsTextTag(tag)) ThrowInvalidValue();
        const QString text = FValues.ReadTextPayload(tag);
        if (text.size() != 1) ThrowInvalidValue();
        const std::optional<QVariant> value =
            type.id() == QMetaType::QChar ? std::optional<QVariant>(QVariant(text[0])) : Int64ToVariant(type, text[0].unicode());
        if (!value) ThrowInvalidValue();
        WriteOrFail(instance, p.Meta, *value);
        return;
      }
      case TPropertyKind::Enumeration: {
        int value = 0;
        if (tag == vaIdent) {
          const auto found = EnumValue(p.Meta.enumerator(), FValues.ReadShortString());
          if (!found) ThrowInvalidValue();
          value = *found;
        } else if (IsIntegerTag(tag)) {
          const int64_t number = FValues.ReadIntegerPayload(tag);
          if (!p.Meta.enumerator().valueToKey(static_cast<int>(number)) || number != static_cast<int>(number)) ThrowInvalidValue();
          value = static_cast<int>(number);
        } else {
          ThrowInvalidValue();
        }
        WriteEnumLike(instance, p, value);
        return;
      }
      case TPropertyKind::Set: {
        if (tag != vaSet) ThrowInvalidValue();
        int bits = 0;
        for (std::string_view element = FValues.ReadShortString(); !element.empty(); element = FValues.ReadShortString()) {
          const TSetMember* member = nullptr;
          for (const TSetMember& m : p.SetMembers)
            if (SameIgnoringCase(element, m.Name.constData())) member = &m;
          if (!member) ThrowInvalidValue();
          bits |= static_cast<int>(member->Bit);
        }
        WriteEnumLike(instance, p, bits);
        return;
      }
      case TPropertyKind::Float: {
        double value = 0;
        if (IsIntegerTag(tag)) value = static_cast<double>(FValues.ReadIntegerPayload(tag));  // hand-edited "Left = 10"
        else if (IsFloatTag(tag)) value = FValues.ReadFloatPayload(tag);
        else ThrowInvalidValue();
        if (type.id() == QMetaType::Float) {
          const float narrow = static_cast<float>(value);
          if (!std::isfinite(narrow)) ThrowInvalidValue();
          WriteOrFail(instance, p.Meta, QVariant(narrow));
        } else if (type.id() == QMetaType::Double) {
          WriteExact(instance, p, &value);
        } else {
          WriteOrFail(instance, p.Meta, QVariant(value));
        }
        return;
      }
      case TPropertyKind::String: {
        if (!IsTextTag(tag)) ThrowInvalidValue();
        QString text = FValues.ReadTextPayload(tag);
        if (type.id() == QMetaType::QString) WriteExact(instance, p, &text);
        else WriteOrFail(instance, p.Meta, QVariant(text));
        return;
      }
      case TPropertyKind::Object: ReadObjectValue(instance, p, tag); return;
      default: ThrowInvalidValue();
    }
  }

  // Enumerations and sets travel as ints; types of another size go through a variant.
  static void WriteEnumLike(QObject* instance, const TStreamProperty& p, int value) {
    if (p.Type.sizeOf() == sizeof(int)) WriteExact(instance, p, &value);
    else WriteOrFail(instance, p.Meta, QVariant(p.Type, &value));
  }

  int64_t ReadInteger(const TStreamProperty& p, TValueType tag) {
    if (IsIntegerTag(tag)) return FValues.ReadIntegerPayload(tag);
    if (tag == vaIdent && p.Kind == TPropertyKind::Integer) {
      const std::string_view ident = FValues.ReadShortString();
      if (const TIdentMapFunctions* map = p.IdentMap(); map && map->FromIdent)
        if (const auto value = map->FromIdent(FromUtf8(ident))) return *value;
    }
    ThrowInvalidValue();
  }

  void ReadObjectValue(QObject* instance, const TStreamProperty& p, TValueType tag) {
    switch (tag) {
      case vaNil: {
        QObject* none = nullptr;
        WriteOrFail(instance, p.Meta, QVariant(p.Meta.metaType(), &none));
        return;
      }
      case vaIdent:
        // Components may be read later in the stream: resolved when the whole stream is read.
        FFixups.push_back({instance, p.Meta, FromUtf8(FValues.ReadShortString()), FCurrentChild});
        return;
      case vaCollection: {
        auto* collection = qobject_cast<TCollection*>(ReadObjectProperty(instance, p));
        if (!collection) ThrowInvalidValue();
        ReadCollectionValue(collection);
        return;
      }
      default: ThrowInvalidValue();
    }
  }

  void ReadCollectionValue(TCollection* collection) {
    TValueReader::TNestingGuard guard(FValues);
    collection->BeginUpdate();
    try {
      collection->Clear();
      while (!FValues.EndOfList()) {
        if (IsIntegerTag(FValues.PeekTag())) FValues.ReadInteger();  // the order index is not needed
        if (FValues.ReadByte() != vaList) ThrowInvalidValue();
        TCollectionItem* item = collection->Add();
        while (!FValues.EndOfList()) ReadProperty(item, FValues.ReadShortString());
        FValues.ReadEndOfList();
      }
      FValues.ReadEndOfList();
    } catch (...) {
      collection->EndUpdate();
      throw;
    }
    collection->EndUpdate();
  }

  // ---- after the stream ----
  struct TFixup {
    QPointer<QObject> Instance;
    QMetaProperty Meta;
    QString Name;
    // The child whose record holds the reference (nullptr: the root's).
    QPointer<QObject> Child;
  };

  QObject* FindComponentNamed(const QString& name) {
    if (!FRenamed.isEmpty())
      if (QObject* renamed = FRenamed.value(name.toLower())) return renamed;
    if (FNameIndex.isEmpty()) FillNameIndex(FNameIndex, false);
    // References nearly always carry the name as it is spelled; names differing only in case
    // are found through a folded index built on first need.
    if (QObject* exact = FNameIndex.value(name)) return exact;
    if (FFoldedNameIndex.isEmpty()) FillNameIndex(FFoldedNameIndex, true);
    return FFoldedNameIndex.value(name.toLower());
  }

  // Objects created by this read take precedence over other children of the lookup root.
  void FillNameIndex(QHash<QString, QObject*>& index, bool folded) const {
    auto add = [&](QObject* object) {
      if (object && !object->objectName().isEmpty())
        index.insert(folded ? object->objectName().toLower() : object->objectName(), object);
    };
    for (QObject* child : FLookupRoot->children()) add(child);
    for (const QPointer<QObject>& created : FLoaded) add(created);
  }

  QObject* ResolveReference(const QString& name) {
    if (name.compare(QLatin1String("Owner"), Qt::CaseInsensitive) == 0) return FLookupRoot;
    const qsizetype dot = name.indexOf(u'.');
    if (dot < 0) return FindComponentNamed(name);
    const QString ownerName = name.left(dot);
    QObject* owner = nullptr;
    if (ownerName.compare(FLookupRoot->objectName(), Qt::CaseInsensitive) == 0) owner = FLookupRoot;
    if (!owner) owner = FindComponentNamed(ownerName);
    if (!owner && FLookupRoot->parent()) owner = FindOwnedComponent(FLookupRoot->parent(), ownerName);
    return owner ? FindOwnedComponent(owner, name.mid(dot + 1)) : nullptr;
  }

  void ResolveReferences() {
    for (const TFixup& fixup : FFixups) {
      if (!fixup.Instance) continue;
      QObject* target = ResolveReference(fixup.Name);
      // A reference that cannot be resolved (or names an object of the wrong class) leaves the
      // property empty; it does not fail the load, as the referenced object may simply be gone.
      const QMetaObject* expected = fixup.Meta.metaType().metaObject();
      if (!target || (expected && !InheritsFrom(target->metaObject(), expected))) {
        ForgetReadRecord(fixup.Child);  // the child now writes no reference there
        continue;
      }
      fixup.Meta.write(fixup.Instance, QVariant(fixup.Meta.metaType(), &target));
      if (!FKeepsReferenceTo || !FKeepsReferenceTo(target)) ForgetReadRecord(fixup.Child);
    }
  }

  void RunLoadedHooks() {
    for (const QPointer<QObject>& object : FLoaded) {
      if (!object) continue;
      if (auto* hooks = dynamic_cast<TStreamHooks*>(object.data())) {
        hooks->Loaded();
        hooks->ClearComponentState(csLoading | csReading);
      }
    }
  }

  void EndLoadingAfterFailure() {
    for (const QPointer<QObject>& object : FLoaded)
      if (auto* hooks = object ? dynamic_cast<TStreamHooks*>(object.data()) : nullptr)
        hooks->ClearComponentState(csLoading | csReading);
  }

  TValueReader FValues;
  const QByteArray& FData;
  QObject* FRoot;
  QObject* FLookupRoot;
  const void* FCacheKey;
  std::function<bool(QObject*)> FKeepsReferenceTo;
  std::function<bool(QByteArray&)> FNextPiece;
  std::deque<QByteArray> FPieces;  // the pieces read so far: names read point into them
  QPointer<QObject> FCurrentChild;
  struct TReadRecord {
    QPointer<QObject> Child;
    size_t Start = 0;
    size_t Size = 0;
    bool Keep = true;
  };
  std::vector<TReadRecord> FReadRecords;
  QHash<QObject*, size_t> FReadRecordIndex;
  QString FObjectName;
  std::vector<QPointer<QObject>> FLoaded;
  std::vector<TFixup> FFixups;
  QHash<QString, QObject*> FNameIndex;
  QHash<QString, QObject*> FFoldedNameIndex;
  QHash<QString, QPointer<QObject>> FRenamed;
  QHash<QObject*, QSet<QString>> FOwnedNames;
  std::string_view FClaimName;
  bool FClaimed = false;
};

}  // namespace

void ReadComponent(const QByteArray& data, QObject* root, const TComponentStreamOptions& options) {
  TComponentReader(data, root, options).ReadStream();
}

QObject* ReadNewComponent(const QByteArray& data, QObject* owner, const TComponentStreamOptions& options) {
  TValueReader peek(data);
  peek.ReadSignature();
  const TObjectHeader header = peek.ReadObjectHeader();
  const QString className = QString::fromUtf8(header.ClassName.data(), static_cast<qsizetype>(header.ClassName.size()));
  const TRegisteredClass* registered = FindClass(className);
  if (!registered) throw EClassNotFound(QStringLiteral("Class %1 not found").arg(className));
  QPointer<QObject> root = registered->Factory(owner);
  try {
    ReadComponent(data, root, options);
  } catch (...) {
    if (root) Free(root);
    throw;
  }
  return root;
}
