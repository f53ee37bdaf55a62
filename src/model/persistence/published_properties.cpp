#include "model/persistence/published_properties.h"

#include "model/persistence/value_text.h"

#include <QChar>
#include <QDate>
#include <QDateTime>
#include <QMetaEnum>
#include <QStringList>
#include <QTime>
#include <QVariant>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace vc::persistence {

namespace {

PropKind KindOf(const QMetaProperty& p) {
    if (p.isFlagType())
        return PropKind::Set;
    if (p.isEnumType())
        return PropKind::Enumeration;
    const QMetaType type = p.metaType();
    if (type.flags() & QMetaType::PointerToQObject)
        return PropKind::Object;
    switch (type.id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::SChar:
    case QMetaType::UChar: return PropKind::Integer;
    case QMetaType::Char:
    case QMetaType::QChar: return PropKind::Character;
    case QMetaType::Bool: return PropKind::Boolean;
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: return PropKind::Int64;
    case QMetaType::Double: return PropKind::Double;
    case QMetaType::Float: return PropKind::Single;
    case QMetaType::QString:
    case QMetaType::QByteArray: return PropKind::String;
    case QMetaType::QStringList: return PropKind::StringList;
    case QMetaType::QDateTime: return PropKind::DateTime;
    case QMetaType::QDate: return PropKind::Date;
    case QMetaType::QTime: return PropKind::Time;
    default: return PropKind::Unsupported;
    }
}

bool IsUnsignedType(const QMetaType& type) {
    switch (type.id()) {
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::UChar:
    case QMetaType::ULong:
    case QMetaType::ULongLong: return true;
    default:
        return (type.flags() & QMetaType::IsEnumeration) && (type.flags() & QMetaType::IsUnsignedEnumeration);
    }
}

std::optional<long long> EnumValue(const QMetaEnum& e, const QString& identifier) {
    for (int i = 0; i < e.keyCount(); ++i)
        if (identifier.compare(QLatin1String(e.key(i)), Qt::CaseInsensitive) == 0)
            return e.value(i);
    return std::nullopt;
}

// A declared default as written in Q_CLASSINFO: a number, or the value's own spelling.
std::optional<long long> ParseDeclaredDefault(const PublishedProperty& p, const QString& text) {
    if (auto number = TextToInteger(text.toStdString(), LLONG_MIN, LLONG_MAX))
        return number;
    switch (p.kind) {
    case PropKind::Boolean:
        if (text.compare("true", Qt::CaseInsensitive) == 0)
            return 1;
        if (text.compare("false", Qt::CaseInsensitive) == 0)
            return 0;
        return std::nullopt;
    case PropKind::Character:
        return text.size() == 1 ? std::optional<long long>(text[0].unicode()) : std::nullopt;
    case PropKind::Enumeration: return EnumValue(p.meta.enumerator(), text);
    case PropKind::Set: {
        QString inner = text.trimmed();
        if (inner.startsWith('[') && inner.endsWith(']'))
            inner = inner.mid(1, inner.size() - 2);
        long long bits = 0;
        for (const QString& part : inner.split(',', Qt::SkipEmptyParts)) {
            auto v = EnumValue(p.meta.enumerator(), part.trimmed());
            if (!v)
                return std::nullopt;
            bits |= *v;
        }
        return bits;
    }
    default: return std::nullopt;
    }
}

bool IsOrdinal(PropKind kind) {
    return kind == PropKind::Integer || kind == PropKind::Character || kind == PropKind::Boolean ||
           kind == PropKind::Enumeration || kind == PropKind::Set;
}

std::unique_ptr<PublishedClass> Build(const QMetaObject* meta) {
    auto result = std::make_unique<PublishedClass>();
    result->name = QString::fromLatin1(meta->className());
    const qsizetype colon = result->name.lastIndexOf(QLatin1String("::"));
    if (colon >= 0)
        result->name = result->name.mid(colon + 2);
    // QObject's own objectName is not one of ours.
    for (int i = QObject::staticMetaObject.propertyCount(); i < meta->propertyCount(); ++i) {
        PublishedProperty p;
        p.meta = meta->property(i);
        p.name = p.meta.name();
        p.kind = KindOf(p.meta);
        p.readable = p.meta.isReadable() && p.meta.isStored();
        p.writable = p.meta.isWritable();
        p.size = static_cast<int>(p.meta.metaType().sizeOf());
        p.is_unsigned = IsUnsignedType(p.meta.metaType());
        if (IsOrdinal(p.kind)) {
            const int info = meta->indexOfClassInfo("Default." + p.name);
            if (info >= 0) {
                const QString text = QString::fromUtf8(meta->classInfo(info).value());
                if (auto value = ParseDeclaredDefault(p, text)) {
                    p.has_default = true;
                    p.declared_default = *value;
                } else {
                    qWarning("Declared default of %s.%s is not a value of its type: %s", meta->className(),
                             p.name.constData(), qPrintable(text));
                }
            }
        }
        result->properties.push_back(std::move(p));
    }
    return result;
}

} // namespace

const PublishedClass& PublishedClassOf(const QMetaObject* meta) {
    // Entries are never removed, so the references handed out stay valid.
    static std::mutex mutex; // guards classes
    static std::unordered_map<const QMetaObject*, std::unique_ptr<PublishedClass>> classes;
    std::lock_guard lock(mutex);
    auto& entry = classes[meta];
    if (!entry)
        entry = Build(meta);
    return *entry;
}

long long ReadOrdinal(const QObject* object, const PublishedProperty& property) {
    const QVariant v = property.meta.read(object);
    switch (property.kind) {
    case PropKind::Boolean: return v.toBool() ? 1 : 0;
    case PropKind::Character:
        if (v.metaType().id() == QMetaType::QChar)
            return v.toChar().unicode();
        return static_cast<unsigned char>(*static_cast<const char*>(v.constData()));
    default: break;
    }
    // Integers, enumerations and sets: the raw value of the property's own size.
    const void* data = v.constData();
    if (data == nullptr)
        return 0;
    // Each branch converts on its own: a ?: over signed and unsigned would make both unsigned.
    switch (property.size) {
    case 1:
        if (property.is_unsigned)
            return *static_cast<const uint8_t*>(data);
        return *static_cast<const int8_t*>(data);
    case 2:
        if (property.is_unsigned)
            return *static_cast<const uint16_t*>(data);
        return *static_cast<const int16_t*>(data);
    case 8: return *static_cast<const int64_t*>(data);
    default:
        if (property.is_unsigned)
            return *static_cast<const uint32_t*>(data);
        return *static_cast<const int32_t*>(data);
    }
}

void WriteOrdinal(QObject* object, const PublishedProperty& property, long long value) {
    if (property.kind == PropKind::Boolean) {
        property.meta.write(object, QVariant(static_cast<uint8_t>(value) != 0));
        return;
    }
    if (property.kind == PropKind::Character && property.meta.metaType().id() == QMetaType::QChar) {
        property.meta.write(object, QVariant(QChar(static_cast<char16_t>(value))));
        return;
    }
    alignas(8) unsigned char buffer[8] = {};
    switch (property.size) {
    case 1: {
        const auto v = static_cast<uint8_t>(value);
        std::memcpy(buffer, &v, sizeof v);
        break;
    }
    case 2: {
        const auto v = static_cast<uint16_t>(value);
        std::memcpy(buffer, &v, sizeof v);
        break;
    }
    case 8: {
        const auto v = static_cast<uint64_t>(value);
        std::memcpy(buffer, &v, sizeof v);
        break;
    }
    default: {
        const auto v = static_cast<uint32_t>(value);
        std::memcpy(buffer, &v, sizeof v);
        break;
    }
    }
    property.meta.write(object, QVariant(property.meta.metaType(), buffer));
}

QObject* ReadObject(const QObject* object, const PublishedProperty& property) {
    const QVariant v = property.meta.read(object);
    if (!(v.metaType().flags() & QMetaType::PointerToQObject) || v.constData() == nullptr)
        return nullptr;
    return *static_cast<QObject* const*>(v.constData());
}

} // namespace vc::persistence
