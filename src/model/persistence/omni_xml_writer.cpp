#include "model/persistence/omni_xml_writer.h"

#include "model/persistence/published_properties.h"
#include "model/persistence/value_text.h"
#include "model/persistence/xml_text_output.h"
#include "platform/file_replace.h"

#include <QDateTime>
#include <QMetaEnum>
#include <QStringList>
#include <pugixml.hpp>

namespace vc {

using namespace persistence;

namespace {

// Deep enough for every real object graph; a cycle of object properties ends here, not in a crash.
constexpr int kMaxDepth = 64;

class Writer {
public:
    Writer(bool attributes, bool write_defaults) : attributes_(attributes), write_defaults_(write_defaults) {}

    void WriteProperties(const QObject* object, pugi::xml_node element, int depth) {
        if (depth > kMaxDepth)
            throw EOmniXMLPersistent("Objects are nested too deeply to be stored.");
        const PublishedClass& cls = PublishedClassOf(object->metaObject());
        for (const PublishedProperty& p : cls.properties) {
            if (!p.readable)
                continue;
            WriteProperty(object, p, element, depth);
        }
    }

    void WriteCollection(const TOmniCollection& collection, pugi::xml_node element, int depth) {
        for (int i = 0; i < collection.Count(); ++i) {
            pugi::xml_node item = element.append_child("o");
            if (const QObject* object = collection.Item(i))
                WriteProperties(object, item, depth + 1);
        }
    }

    // An empty element of a class with declared defaults is kept: reading it restores those
    // defaults, while a missing element would leave the reader's construction values (a 25/1 frame
    // rate, both values at their declared defaults, would come back as 0/0).
    static bool HasDeclaredDefaults(const QObject* object) {
        for (const PublishedProperty& p : PublishedClassOf(object->metaObject()).properties)
            if (p.has_default)
                return true;
        return false;
    }

    // Nodes and attributes both count: an object whose simple values are all attributes is not
    // empty (dropping it would lose its nested objects' values).
    static bool IsEmpty(const pugi::xml_node& element) {
        return !element.first_child() && !element.first_attribute();
    }

private:
    void WriteValue(pugi::xml_node element, const char* name, const std::string& text) {
        if (attributes_)
            element.append_attribute(name).set_value(text.c_str());
        else
            element.append_child(name).append_child(pugi::node_pcdata).set_value(text.c_str());
    }

    void WriteProperty(const QObject* object, const PublishedProperty& p, pugi::xml_node element, int depth) {
        const char* name = p.name.constData();
        switch (p.kind) {
        case PropKind::Integer:
        case PropKind::Character:
        case PropKind::Boolean:
        case PropKind::Enumeration:
        case PropKind::Set: {
            const long long value = ReadOrdinal(object, p);
            if (!write_defaults_ && value == p.declared_default)
                return;
            WriteValue(element, name, OrdinalText(p, object, value));
            return;
        }
        case PropKind::Double:
        case PropKind::Single: {
            const double value = p.meta.read(object).toDouble();
            if (value != 0)
                WriteValue(element, name, FloatToText(value));
            return;
        }
        case PropKind::DateTime:
        case PropKind::Date:
        case PropKind::Time: {
            const QVariant v = p.meta.read(object);
            QDate date = DayZero();
            QTime time(0, 0);
            if (p.kind == PropKind::DateTime) {
                const QDateTime dt = v.toDateTime();
                if (dt.isValid()) {
                    date = dt.date();
                    time = dt.time();
                }
            } else if (p.kind == PropKind::Date) {
                if (v.toDate().isValid())
                    date = v.toDate();
            } else if (v.toTime().isValid()) {
                time = v.toTime();
            }
            const std::string text = DateTimeToText(date, time);
            if (!text.empty())
                WriteValue(element, name, text);
            return;
        }
        case PropKind::String: {
            const QVariant v = p.meta.read(object);
            const QByteArray text =
                v.metaType().id() == QMetaType::QByteArray ? v.toByteArray() : v.toString().toUtf8();
            if (!text.isEmpty())
                WriteValue(element, name, text.toStdString());
            return;
        }
        case PropKind::Int64: {
            const QVariant v = p.meta.read(object);
            if (p.is_unsigned) {
                const qulonglong value = v.toULongLong();
                if (value != 0)
                    WriteValue(element, name, std::to_string(value));
            } else {
                const qlonglong value = v.toLongLong();
                if (value != 0)
                    WriteValue(element, name, std::to_string(value));
            }
            return;
        }
        case PropKind::StringList: {
            const QStringList lines = p.meta.read(object).toStringList();
            pugi::xml_node list = element.append_child(name);
            list.append_attribute("Count").set_value(static_cast<long long>(lines.size()));
            for (qsizetype i = 0; i < lines.size(); ++i) {
                if (lines[i].isEmpty())
                    continue;
                const std::string line_name = "l" + std::to_string(i);
                WriteValue(list, line_name.c_str(), lines[i].toUtf8().toStdString());
            }
            return;
        }
        case PropKind::Object: {
            const QObject* nested = ReadObject(object, p);
            if (nested == nullptr)
                return;
            pugi::xml_node child = element.append_child(name);
            WriteProperties(nested, child, depth + 1);
            if (const auto* collection = dynamic_cast<const TOmniCollection*>(nested)) {
                WriteCollection(*collection, child, depth + 1);
                if (!child.first_child())
                    element.remove_child(child);
            } else if (IsEmpty(child) && !HasDeclaredDefaults(nested)) {
                element.remove_child(child);
            }
            return;
        }
        case PropKind::Unsupported: return;
        }
    }

    static std::string OrdinalText(const PublishedProperty& p, const QObject* object, long long value) {
        switch (p.kind) {
        case PropKind::Boolean: return value ? "1" : "0";
        case PropKind::Character: {
            const QVariant v = p.meta.read(object);
            if (v.metaType().id() == QMetaType::QChar)
                return QString(QChar(static_cast<char16_t>(value))).toUtf8().toStdString();
            return std::string(1, static_cast<char>(value));
        }
        case PropKind::Enumeration: {
            const char* key = p.meta.enumerator().valueToKey(static_cast<int>(value));
            return key ? std::string(key) : std::to_string(value);
        }
        case PropKind::Set: {
            const QMetaEnum e = p.meta.enumerator();
            std::string text = "[";
            bool first = true;
            for (int i = 0; i < e.keyCount(); ++i) {
                const long long bit = static_cast<unsigned int>(e.value(i));
                // Only single-bit keys are members; combinations are shorthands.
                if (bit == 0 || (bit & (bit - 1)) != 0 || (value & bit) == 0)
                    continue;
                if (!first)
                    text += ',';
                text += e.key(i);
                first = false;
            }
            return text + "]";
        }
        default: return std::to_string(value);
        }
    }

    bool attributes_;
    bool write_defaults_;
};

} // namespace

std::string TOmniXMLWriter::SaveToText(const QObject* instance, TPropsFormat props_format,
                                       TOutputFormat output_format, bool write_defaults) {
    if (instance == nullptr)
        throw Error("There is no object to store.");
    const bool attributes = props_format == TPropsFormat::pfAttributes;
    Writer writer(attributes, write_defaults);
    pugi::xml_document doc;
    const QString class_name = PublishedClassOf(instance->metaObject()).name;
    const auto* collection = dynamic_cast<const TOmniCollection*>(instance);
    pugi::xml_node root = doc.append_child(collection ? class_name.toUtf8().constData() : "data");
    root.append_attribute("PropFormat").set_value(attributes ? "attr" : "node");
    if (collection) {
        writer.WriteCollection(*collection, root, 0);
    } else {
        pugi::xml_node element = root.append_child(class_name.toUtf8().constData());
        writer.WriteProperties(instance, element, 0);
        if (Writer::IsEmpty(element) && !Writer::HasDeclaredDefaults(instance))
            root.remove_child(element);
    }
    return XmlToText(root, output_format);
}

std::string TOmniXMLWriter::SaveToText(const QObject* instance, TPropsFormat props_format,
                                       TOutputFormat output_format) {
    return SaveToText(instance, props_format, output_format, false);
}

QString TOmniXMLWriter::SaveToString(const QObject* instance, TPropsFormat props_format) {
    return QString::fromStdString(SaveToText(instance, props_format, TOutputFormat::ofFlat, false));
}

void TOmniXMLWriter::SaveToFile(const QObject* instance, const QString& file_name, TPropsFormat props_format,
                                TOutputFormat output_format) {
    const std::string text = SaveToText(instance, props_format, output_format, false);
    // Written beside the target, synced and renamed over it only when all of that succeeded: a
    // full disk or a crash never leaves an empty or half file in its place.
    ReplaceFileContents(file_name, QByteArray::fromStdString(text));
}

} // namespace vc
