// Objects -> binary object stream, by their published properties.
#include "streaming/ComponentStream.h"

#include "platform/Collection.h"
#include "platform/Component.h"
#include "streaming/StreamClass.h"
#include "streaming/StreamErrors.h"
#include "streaming/ValueWriter.h"

#include <QMetaEnum>
#include <algorithm>
#include <stdexcept>
#include <string>

namespace {

class TComponentWriter final : public TWriter, public TFiler {
public:
  TComponentWriter(QByteArray& out, QObject* root, const TComponentStreamOptions& options)
      : FValues(out), FRoot(root), FLookupRoot(options.LookupRoot ? options.LookupRoot : root),
        FCacheKey(options.RecordCacheKey), FKeepsReferenceTo(options.KeepsReferenceTo),
        FRootDefaultsToo(options.RootDefaultsToo) {}

  void WriteStream() {
    FValues.WriteSignature();
    WriteObject(FRoot);
  }

  // ---- TWriter: values of custom properties ----
  void WriteInteger(int64_t value) override { FValues.WriteInteger(value); }
  void WriteFloat(double value) override { FValues.WriteExtended(value); }
  void WriteString(const QString& value) override { FValues.WriteText(value); }
  void WriteBoolean(bool value) override { FValues.WriteBoolean(value); }
  void WriteIdent(const QString& ident) override {
    const QByteArray utf8 = ident.toUtf8();
    FValues.WriteIdent({utf8.constData(), static_cast<size_t>(utf8.size())});
  }
  void WriteListBegin() override { FValues.WriteListBegin(); }
  void WriteListEnd() override { FValues.WriteListEnd(); }
  void WriteCollection(const TCollection* collection) override { WriteCollectionValue(collection); }

  // ---- TFiler: custom properties are written when they have data ----
  void DefineProperty(const QString& name, const std::function<void(TReader&)>&,
                      const std::function<void(TWriter&)>& writeData, bool hasData) override {
    if (!hasData || !writeData) return;
    WritePropertyName(name.toUtf8());
    writeData(*this);
  }
  void DefineBinaryProperty(const QString& name, const std::function<void(const QByteArray&)>&,
                            const std::function<QByteArray()>& writeData, bool hasData) override {
    if (!hasData || !writeData) return;
    WritePropertyName(name.toUtf8());
    FValues.WriteBinary(writeData());
  }

private:
  // Sub-object paths and collection items change the current path and owner; this restores them.
  class TPathScope {
  public:
    TPathScope(TComponentWriter& writer, std::string path, const QMetaObject* ownerMeta)
        : FWriter(writer), FSavedPath(std::move(writer.FPath)), FSavedOwner(writer.FOwnerMeta) {
      FWriter.FPath = std::move(path);
      FWriter.FOwnerMeta = ownerMeta;
      if (++FWriter.FDepth > kMaxNestingDepth) ThrowWriteError();  // a cycle of sub-objects
    }
    ~TPathScope() {
      FWriter.FPath = std::move(FSavedPath);
      FWriter.FOwnerMeta = FSavedOwner;
      --FWriter.FDepth;
    }
    TPathScope(const TPathScope&) = delete;
    TPathScope& operator=(const TPathScope&) = delete;

  private:
    TComponentWriter& FWriter;
    std::string FSavedPath;
    const QMetaObject* FSavedOwner;
  };

  void WriteObject(QObject* object) {
    auto* cache = FCacheKey && object != FRoot ? dynamic_cast<IStreamRecordCache*>(object) : nullptr;
    if (!cache) {
      WriteObjectRecord(object);
      return;
    }
    const QByteArrayView kept = cache->KeptStreamRecord(FCacheKey);
    if (!kept.isEmpty()) {
      if (StreamRecordCheck()) CheckKeptRecord(object, kept);
      FValues.Buffer().append(kept);
      return;
    }
    QByteArray& out = FValues.Buffer();
    const qsizetype start = out.size();
    const bool outerKeepable = std::exchange(FRecordKeepable, true);
    WriteObjectRecord(object);
    if (FRecordKeepable) cache->KeepStreamRecord(FCacheKey, out.mid(start));
    FRecordKeepable = outerKeepable && FRecordKeepable;
  }

  // A fresh write of the object must give the bytes it kept.
  void CheckKeptRecord(QObject* object, QByteArrayView kept) {
    QByteArray fresh;
    TComponentStreamOptions options;
    options.LookupRoot = FLookupRoot;
    options.KeepsReferenceTo = FKeepsReferenceTo;
    TComponentWriter check(fresh, FRoot, options);
    check.WriteObjectRecord(object);
    if (QByteArrayView(fresh) != kept)
      throw std::logic_error("kept stream record of " + object->objectName().toStdString() + " (" +
                             object->metaObject()->className() + ") is stale");
  }

  void WriteObjectRecord(QObject* object) {
    auto* hooks = dynamic_cast<TStreamHooks*>(object);
    if (hooks) hooks->SetComponentState(csWriting);
    try {
      const QByteArray className(object->metaObject()->className());
      const QByteArray name = object->objectName().toUtf8();
      FValues.WriteObjectHeader(0, 0, {className.constData(), static_cast<size_t>(className.size())},
                                {name.constData(), static_cast<size_t>(name.size())});
      {
        TPathScope scope(*this, std::string(), object->metaObject());
        const bool outerDefaults = std::exchange(FWritingDefaults, FRootDefaultsToo && object == FRoot);
        WriteAllProperties(object);
        FWritingDefaults = outerDefaults;
      }
      FValues.WriteEndOfList();
      if (hooks)
        hooks->GetChildren(
            [this, object](QObject* child) {
              if (object != FRoot) FRecordKeepable = false;  // a record holding children is not kept
              WriteObject(child);
            },
            FRoot);
      FValues.WriteEndOfList();
    } catch (...) {
      if (hooks) hooks->ClearComponentState(csWriting);
      throw;
    }
    if (hooks) hooks->ClearComponentState(csWriting);
  }

  // Published properties, then the define-properties hook, at the current path.
  void WriteAllProperties(QObject* instance) {
    const QMetaObject* meta = instance->metaObject();
    const TStreamClass& streamClass = StreamClassOf(meta);
    const std::vector<TDefaultOverride>* overrides =
        FPath.empty() ? nullptr : &PathDefaultsFor(FOwnerMeta, meta, QByteArray::fromStdString(FPath));
    for (size_t i = 0; i < streamClass.Properties.size(); ++i)
      WriteProperty(instance, streamClass.Properties[i], overrides ? &(*overrides)[i] : nullptr);
    if (auto* hooks = dynamic_cast<TStreamHooks*>(instance)) hooks->DefineProperties(*this);
  }

  void WritePropertyName(const QByteArray& name) {
    if (FPath.empty()) {
      FValues.WriteShortString({name.constData(), static_cast<size_t>(name.size())});
      return;
    }
    FNameBuffer.assign(FPath);
    FNameBuffer.append(name.constData(), static_cast<size_t>(name.size()));
    FValues.WriteShortString(FNameBuffer);
  }

  static bool HoldsDefault(const TStreamProperty& p, const QVariant& value, const TDefaultOverride* override) {
    const bool overridden = override && override->Declared;
    switch (p.Kind) {
      case TPropertyKind::Integer:
      case TPropertyKind::Char:
      case TPropertyKind::Enumeration:
      case TPropertyKind::Set:
      case TPropertyKind::Boolean: {
        const std::optional<int64_t> declared = overridden ? std::optional<int64_t>(override->Ordinal) : p.OrdinalDefault;
        return declared && VariantToInt64(value) == *declared;
      }
      case TPropertyKind::Float: return value.toDouble() == (overridden ? override->Float : 0.0);
      case TPropertyKind::String: return overridden ? value.toString() == override->Text : value.toString().isEmpty();
      case TPropertyKind::Int64: return VariantToInt64(value) == (overridden ? override->Ordinal : 0);
      case TPropertyKind::Object: return value.value<QObject*>() == nullptr;
      default: return true;  // kinds the stream does not carry
    }
  }

  bool IsStored(QObject* instance, const TStreamProperty& p) const {
    if (!p.StoredFlag) return false;
    return p.StoredMethod < 0 || IsPropertyStored(instance, *p.Published);
  }

  void WriteProperty(QObject* instance, const TStreamProperty& p, const TDefaultOverride* override) {
    if (!p.Readable || p.Kind == TPropertyKind::Other || p.Kind == TPropertyKind::Method) return;
    if (!IsStored(instance, p)) return;
    if (p.Kind == TPropertyKind::Object) {
      WriteObjectProperty(p, ReadObjectProperty(instance, p));
      return;
    }
    if (!p.Writable) return;
    const QVariant value = ReadPropertyValue(instance, p);
    if (!FWritingDefaults && HoldsDefault(p, value, override)) return;
    WritePropertyName(p.Name);
    WriteScalar(p, value);
  }

  void WriteScalar(const TStreamProperty& p, const QVariant& value) {
    switch (p.Kind) {
      case TPropertyKind::Integer: {
        const int64_t number = VariantToInt64(value);
        if (const TIdentMapFunctions* map = p.IdentMap(); map && map->ToIdent && number >= INT32_MIN && number <= UINT32_MAX) {
          if (const auto ident = map->ToIdent(static_cast<int32_t>(number))) {
            WriteIdent(*ident);
            return;
          }
        }
        FValues.WriteInteger(number);
        return;
      }
      case TPropertyKind::Boolean: FValues.WriteBoolean(VariantToInt64(value) != 0); return;
      case TPropertyKind::Char: FValues.WriteText(QString(QChar(static_cast<char16_t>(VariantToInt64(value))))); return;
      case TPropertyKind::Enumeration: {
        const int64_t number = VariantToInt64(value);
        if (const char* key = p.Meta.enumerator().valueToKey(static_cast<int>(number))) FValues.WriteIdent(key);
        else FValues.WriteInteger(number);
        return;
      }
      case TPropertyKind::Set: {
        const int64_t bits = VariantToInt64(value);
        FValues.WriteSetBegin();
        for (const TSetMember& member : p.SetMembers)
          if (bits & member.Bit) FValues.WriteSetElement({member.Name.constData(), static_cast<size_t>(member.Name.size())});
        FValues.WriteSetEnd();
        return;
      }
      case TPropertyKind::Float: FValues.WriteExtended(value.toDouble()); return;
      case TPropertyKind::String: FValues.WriteText(value.toString()); return;
      case TPropertyKind::Int64: FValues.WriteInteger(VariantToInt64(value)); return;
      default: return;
    }
  }

  void WriteObjectProperty(const TStreamProperty& p, QObject* target) {
    if (!target) return;  // an empty object property holds its default
    const TStreamClass& targetClass = StreamClassOf(target->metaObject());
    if (targetClass.OwnedSubObject) {
      {
        TPathScope scope(*this, FPath + p.Name.toStdString() + '.', FOwnerMeta);
        WriteAllProperties(target);
      }
      if (targetClass.Collection) {
        const auto* collection = static_cast<const TCollection*>(target);
        WritePropertyName(p.Name);
        WriteCollectionValue(collection);
      }
      return;
    }
    if (!p.Writable) return;
    const QString reference = ReferenceName(target);
    if (reference.isEmpty()) return;  // an unnamed component cannot be referenced
    if (target != FLookupRoot && !(FKeepsReferenceTo && FKeepsReferenceTo(target))) FRecordKeepable = false;
    WritePropertyName(p.Name);
    WriteIdent(reference);
  }

  QString ReferenceName(QObject* target) const {
    if (target == FLookupRoot) return QStringLiteral("Owner");
    const QString name = target->objectName();
    if (name.isEmpty()) return {};
    QObject* owner = target->parent();
    if (owner == FLookupRoot || !owner || owner->objectName().isEmpty()) return name;
    return owner->objectName() + u'.' + name;
  }

  void WriteCollectionValue(const TCollection* collection) {
    FValues.WriteTag(vaCollection);
    for (int i = 0; i < collection->Count(); ++i) {
      TCollectionItem* item = collection->Items(i);
      FValues.WriteByte(vaList);
      {
        TPathScope scope(*this, std::string(), item->metaObject());
        WriteAllProperties(item);
      }
      FValues.WriteEndOfList();
    }
    FValues.WriteEndOfList();
  }

  TValueWriter FValues;
  QObject* FRoot;
  QObject* FLookupRoot;
  const void* FCacheKey;
  std::function<bool(QObject*)> FKeepsReferenceTo;
  bool FRootDefaultsToo = false;
  bool FWritingDefaults = false;  // writing the root's own properties with RootDefaultsToo
  bool FRecordKeepable = true;
  std::string FPath;
  std::string FNameBuffer;
  const QMetaObject* FOwnerMeta = nullptr;
  int FDepth = 0;
};

}  // namespace

QByteArray WriteComponent(QObject* root, const TComponentStreamOptions& options) {
  QByteArray out;
  out.reserve(std::max<qsizetype>(options.ReserveBytes, 64));
  TComponentWriter(out, root, options).WriteStream();
  return out;
}
