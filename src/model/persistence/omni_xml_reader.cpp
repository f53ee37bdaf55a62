#include "model/persistence/omni_xml_reader.h"

#include "model/persistence/published_properties.h"
#include "model/persistence/value_text.h"

#include <QDateTime>
#include <QFile>
#include <QMetaEnum>
#include <QStringList>
#include <cstring>
#include <pugixml.hpp>
#include <vector>

namespace vc {

using namespace persistence;

namespace {

constexpr int kMaxDepth = 64;
// Whitespace-only text is a value like any other ("  " stays "  ").
constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_ws_pcdata;

// ASCII letters compare without regard to case (names are ASCII identifiers); inline because the
// reader compares names many times per document.
inline bool SameName(const char* a, const char* b) {
    for (;; ++a, ++b) {
        unsigned ca = static_cast<unsigned char>(*a);
        unsigned cb = static_cast<unsigned char>(*b);
        if (ca - 'A' < 26u)
            ca += 'a' - 'A';
        if (cb - 'A' < 26u)
            cb += 'a' - 'A';
        if (ca != cb)
            return false;
        if (ca == 0)
            return true;
    }
}

pugi::xml_node FindElement(const pugi::xml_node& parent, const char* name) {
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_element && SameName(child.name(), name))
            return child;
    return {};
}

pugi::xml_attribute FindAttribute(const pugi::xml_node& element, const char* name) {
    if (pugi::xml_attribute exact = element.attribute(name))
        return exact;
    for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute())
        if (SameName(a.name(), name))
            return a;
    return {};
}

// The child elements and attributes of one element, listed once: each property's lookup then scans
// a small array instead of walking the DOM again.
class ElementIndex {
public:
    ElementIndex(const pugi::xml_node& element, bool with_attributes) {
        for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling())
            if (child.type() == pugi::node_element)
                elements_.emplace_back(child.name(), child);
        if (with_attributes)
            for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute())
                attributes_.emplace_back(a.name(), a);
    }
    // The first child element with this name, letter case aside.
    pugi::xml_node Element(const char* name) const {
        for (const auto& [n, node] : elements_)
            if (SameName(n, name))
                return node;
        return {};
    }
    // The attribute of exactly this name, else the first one equal but for letter case.
    pugi::xml_attribute Attribute(const char* name) const {
        for (const auto& [n, a] : attributes_)
            if (std::strcmp(n, name) == 0)
                return a;
        for (const auto& [n, a] : attributes_)
            if (SameName(n, name))
                return a;
        return {};
    }

private:
    std::vector<std::pair<const char*, pugi::xml_node>> elements_;
    std::vector<std::pair<const char*, pugi::xml_attribute>> attributes_;
};

// All the text of an element, as written (text and CDATA children, in order).
std::string TextOf(const pugi::xml_node& element) {
    std::string text;
    for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            text += child.value();
    return text;
}

std::string Format(const char* pattern, const std::string& arg) {
    std::string out = pattern;
    const size_t at = out.find("%s");
    if (at != std::string::npos)
        out.replace(at, 2, arg);
    return out;
}

// How a value that does not read is met: the reader's error as it always was, the error naming the
// value (a stored request: all or nothing), or the value's default with the name kept in a list.
enum class BadValues { kThrow, kThrowNamed, kUseDefault };

// What is wrong with a value, in words a user can act on.
std::string BadValueCause(const PublishedProperty& p, const std::string& text) {
    switch (p.kind) {
    case PropKind::Integer:
    case PropKind::Int64:
        if (TextToInteger(text, LLONG_MIN, LLONG_MAX) || TextToUnsigned(text, ULLONG_MAX))
            return "is out of range";
        return "is not a number";
    case PropKind::Double:
    case PropKind::Single: return "is not a number";
    case PropKind::Boolean: return "is not 1 or 0";
    case PropKind::Enumeration:
    case PropKind::Set: return "is not one of its values";
    case PropKind::DateTime:
    case PropKind::Date:
    case PropKind::Time: return "is not a date and time";
    default: return "cannot be read";
    }
}

class Reader {
public:
    explicit Reader(bool attributes, BadValues bad_values = BadValues::kThrow,
                    std::vector<std::string>* skipped = nullptr)
        : attributes_(attributes), bad_values_(bad_values), skipped_(skipped) {}

    void ReadProperties(QObject* object, const pugi::xml_node& element, int depth) {
        if (depth > kMaxDepth)
            throw EOmniXMLPersistent("Objects are nested too deeply to be read.");
        const PublishedClass& cls = PublishedClassOf(object->metaObject());
        const ElementIndex index(element, attributes_);
        for (const PublishedProperty& p : cls.properties) {
            if (!p.readable)
                continue;
            if (p.kind == PropKind::Object) {
                ReadNestedObject(object, p, index, depth);
                continue;
            }
            if (p.writable)
                ReadCheckedProperty(object, p, index);
        }
    }

    void ReadCollection(TOmniCollection& collection, const pugi::xml_node& element, int depth) {
        collection.Clear();
        // Items are named exactly "o": another spelling is not an item.
        for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling()) {
            if (child.type() != pugi::node_element || std::strcmp(child.name(), "o") != 0)
                continue;
            if (QObject* item = collection.Add())
                ReadProperties(item, child, depth + 1);
        }
    }

private:
    void ReadCheckedProperty(QObject* object, const PublishedProperty& p, const ElementIndex& index) {
        if (bad_values_ == BadValues::kThrow) {
            ReadProperty(object, p, index);
            return;
        }
        try {
            ReadProperty(object, p, index);
        } catch (const Error& e) {
            const std::optional<std::string> text =
                p.kind == PropKind::StringList ? std::nullopt : Lookup(index, p.name.constData());
            const std::string named =
                text ? p.name.toStdString() + ": '" + *text + "' " + BadValueCause(p, *text)
                     : p.name.toStdString() + ": " + e.what();
            if (bad_values_ == BadValues::kThrowNamed)
                throw EOmniXMLPersistent(named);
            skipped_->push_back(named);
            // The value's declared default; without one the object keeps the value it had.
            if (p.has_default && p.kind != PropKind::Int64 && p.kind != PropKind::Double &&
                p.kind != PropKind::Single)
                WriteOrdinal(object, p, p.declared_default);
        }
    }

    // The value's text, or nullopt when the document does not hold it.
    std::optional<std::string> Lookup(const ElementIndex& index, const char* name) const {
        if (attributes_) {
            if (pugi::xml_attribute a = index.Attribute(name))
                return std::string(a.value());
            return std::nullopt;
        }
        if (pugi::xml_node child = index.Element(name))
            return TextOf(child);
        return std::nullopt;
    }

    void ReadNestedObject(QObject* object, const PublishedProperty& p, const ElementIndex& index, int depth) {
        QObject* nested = ReadObject(object, p);
        if (nested == nullptr)
            return;
        // Always an element, in both formats.
        pugi::xml_node child = index.Element(p.name.constData());
        if (child)
            ReadProperties(nested, child, depth + 1);
        if (auto* collection = dynamic_cast<TOmniCollection*>(nested))
            ReadCollection(*collection, child, depth + 1);
    }

    void ReadProperty(QObject* object, const PublishedProperty& p, const ElementIndex& index) {
        const char* name = p.name.constData();
        if (p.kind == PropKind::StringList) {
            // The writer always writes the list's element; a missing one reads as an empty list.
            p.meta.write(object, ReadStringList(index.Element(name)));
            return;
        }
        const std::optional<std::string> text = Lookup(index, name);
        switch (p.kind) {
        case PropKind::Integer:
        case PropKind::Character:
        case PropKind::Boolean:
        case PropKind::Enumeration:
        case PropKind::Set: WriteOrdinal(object, p, text ? ParseOrdinal(p, *text) : AbsentOrdinal(p)); return;
        case PropKind::Double:
        case PropKind::Single: {
            double value = 0;
            if (text) {
                const std::optional<double> parsed = TextToFloat(*text);
                // Older readers took an unreadable number as 0; a checked read refuses it.
                if (!parsed && bad_values_ != BadValues::kThrow)
                    throw EOmniXMLPersistent(Format("Invalid float value (%s).", *text));
                value = parsed.value_or(0);
            }
            if (p.kind == PropKind::Single)
                p.meta.write(object, QVariant(NarrowToSingle(value)));
            else
                p.meta.write(object, QVariant(value));
            return;
        }
        case PropKind::DateTime:
        case PropKind::Date:
        case PropKind::Time: ReadDateTime(object, p, text); return;
        case PropKind::String:
            if (p.meta.metaType().id() == QMetaType::QByteArray)
                p.meta.write(object, QVariant(text ? QByteArray::fromStdString(*text) : QByteArray()));
            else
                p.meta.write(object, QVariant(text ? QString::fromStdString(*text) : QString()));
            return;
        case PropKind::Int64: {
            if (!text)
                return; // absent: the value stays as it is
            if (p.is_unsigned) {
                auto value = TextToUnsigned(*text, ULLONG_MAX);
                if (!value)
                    throw EOmniXMLPersistent(Format("Invalid int64 value (%s).", *text));
                p.meta.write(object, QVariant::fromValue(static_cast<qulonglong>(*value)));
            } else {
                auto value = TextToInteger(*text, LLONG_MIN, LLONG_MAX);
                if (!value)
                    throw EOmniXMLPersistent(Format("Invalid int64 value (%s).", *text));
                p.meta.write(object, QVariant::fromValue(static_cast<qlonglong>(*value)));
            }
            return;
        }
        case PropKind::StringList:
        case PropKind::Object:
        case PropKind::Unsupported: return;
        }
    }

    // Absent ordinals take their declared default; without one, the no-default marker, which a
    // 32-bit integer keeps and a one-byte enumeration, set or boolean holds as 0.
    static long long AbsentOrdinal(const PublishedProperty& p) {
        if (p.has_default)
            return p.declared_default;
        if (p.kind == PropKind::Integer)
            return kNoDefault;
        return 0;
    }

    static long long ParseOrdinal(const PublishedProperty& p, const std::string& text) {
        switch (p.kind) {
        case PropKind::Integer: {
            const long long bits = 8LL * p.size;
            const long long max =
                p.is_unsigned ? (bits >= 32 ? 0xFFFFFFFFLL : (1LL << bits) - 1) : (1LL << (bits - 1)) - 1;
            const long long min = p.is_unsigned ? 0 : -max - 1;
            auto value = TextToInteger(text, min, max);
            if (!value)
                throw EOmniXMLPersistent(Format("Invalid integer value (%s).", text));
            return *value;
        }
        case PropKind::Character: {
            if (p.meta.metaType().id() == QMetaType::QChar) {
                const QString s = QString::fromStdString(text);
                return s.isEmpty() ? 0 : s[0].unicode();
            }
            return text.empty() ? 0 : static_cast<unsigned char>(text[0]);
        }
        case PropKind::Boolean:
            if (text == "1")
                return 1;
            if (text == "0")
                return 0;
            throw EOmniXMLPersistent(Format("Invalid boolean value (%s).", text));
        case PropKind::Enumeration: return EnumerationValue(p.meta.enumerator(), text);
        case PropKind::Set: {
            std::string inner = text;
            const size_t first = inner.find_first_not_of(" \t\r\n");
            const size_t last = inner.find_last_not_of(" \t\r\n");
            inner = first == std::string::npos ? std::string() : inner.substr(first, last - first + 1);
            if (!inner.empty() && inner.front() == '[' && inner.back() == ']')
                inner = inner.substr(1, inner.size() - 2);
            long long bits = 0;
            size_t start = 0;
            while (start <= inner.size()) {
                const size_t comma = inner.find(',', start);
                std::string item =
                    inner.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
                const size_t b = item.find_first_not_of(" \t\r\n");
                const size_t e = item.find_last_not_of(" \t\r\n");
                item = b == std::string::npos ? std::string() : item.substr(b, e - b + 1);
                if (!item.empty())
                    bits |= EnumerationValue(p.meta.enumerator(), item);
                if (comma == std::string::npos)
                    break;
                start = comma + 1;
            }
            return bits;
        }
        default: return 0;
        }
    }

    static long long EnumerationValue(const QMetaEnum& e, const std::string& identifier) {
        for (int i = 0; i < e.keyCount(); ++i)
            if (SameName(e.key(i), identifier.c_str()))
                return e.value(i);
        throw EPropertyConvertError(Format("Invalid property element: %s", identifier));
    }

    void ReadDateTime(QObject* object, const PublishedProperty& p, const std::optional<std::string>& text) {
        DateTimeParts parts{DayZero(), QTime(0, 0)};
        bool zero = true;
        if (text) {
            auto parsed = TextToDateTime(*text);
            if (!parsed)
                throw EOmniXMLPersistent(Format("Error in datetime property %s", p.name.toStdString()));
            parts = *parsed;
            zero = parts.date == DayZero() && parts.time.msecsSinceStartOfDay() == 0;
        }
        switch (p.kind) {
        case PropKind::DateTime:
            p.meta.write(object, zero ? QDateTime() : QDateTime(parts.date, parts.time));
            return;
        case PropKind::Date: p.meta.write(object, zero ? QDate() : parts.date); return;
        default: p.meta.write(object, parts.time); return;
        }
    }

    // The line index of a value named "l<i>" (i in decimal without leading zeros), or -1.
    static long long ListIndex(const char* name, long long count) {
        if (name[0] != 'l' && name[0] != 'L')
            return -1;
        const char* digits = name + 1;
        if (*digits == '\0' || (digits[0] == '0' && digits[1] != '\0'))
            return -1;
        for (const char* c = digits; *c; ++c)
            if (*c < '0' || *c > '9')
                return -1;
        return TextToInteger(digits, 0, count - 1).value_or(-1);
    }

    QStringList ReadStringList(const pugi::xml_node& element) const {
        QStringList lines;
        if (!element)
            return lines;
        long long count = 0;
        if (pugi::xml_attribute a = FindAttribute(element, "Count"))
            count = TextToInteger(a.value(), LLONG_MIN, LLONG_MAX).value_or(0);
        if (count <= 0)
            return lines;
        if (count > TOmniXMLReader::kMaxListLines)
            throw EOmniXMLPersistent(
                Format("String list %s declares too many lines.", std::string(element.name())));
        lines.resize(count);
        // One pass over the values: the first "l<i>" of each index wins, as a lookup by name would.
        std::vector<bool> seen(static_cast<size_t>(count), false);
        auto take = [&](const char* name, auto&& value) {
            const auto index = ListIndex(name, count);
            if (index < 0 || seen[static_cast<size_t>(index)])
                return;
            seen[static_cast<size_t>(index)] = true;
            lines[static_cast<qsizetype>(index)] = QString::fromStdString(value());
        };
        if (attributes_) {
            for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute())
                take(a.name(), [&] { return std::string(a.value()); });
        } else {
            for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling())
                if (child.type() == pugi::node_element)
                    take(child.name(), [&] { return TextOf(child); });
        }
        return lines;
    }

    bool attributes_;
    BadValues bad_values_;
    std::vector<std::string>* skipped_;
};

void Load(QObject* instance, const pugi::xml_document& doc, BadValues bad_values = BadValues::kThrow,
          std::vector<std::string>* skipped = nullptr) {
    if (instance == nullptr)
        throw Error("There is no object to read into.");
    const pugi::xml_node root = doc.document_element();
    if (!root)
        return;
    bool attributes = false;
    if (pugi::xml_attribute format = FindAttribute(root, "PropFormat")) {
        if (SameName(format.value(), "auto"))
            throw EOmniXMLPersistent("Auto PropFormat not allowed here.");
        attributes = SameName(format.value(), "attr");
    }
    Reader reader(attributes, bad_values, skipped);
    const QByteArray class_name = PublishedClassOf(instance->metaObject()).name.toUtf8();
    // A collection's document has the class as its root and the items directly in it.
    if (auto* collection = dynamic_cast<TOmniCollection*>(instance)) {
        if (SameName(root.name(), class_name.constData()))
            reader.ReadCollection(*collection, root, 0);
        return;
    }
    if (pugi::xml_node element = FindElement(root, class_name.constData()))
        reader.ReadProperties(instance, element, 0);
}

} // namespace

void TOmniXMLReader::LoadFromText(QObject* instance, std::string_view text) {
    pugi::xml_document doc;
    if (!doc.load_buffer(text.data(), text.size(), kParseOptions, pugi::encoding_utf8))
        return; // not XML: the object keeps its values
    Load(instance, doc);
}

void TOmniXMLReader::LoadFromString(QObject* instance, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    LoadFromText(instance, std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

namespace {

// The file's bytes; a file that cannot be opened or read throws vc::Error naming it.
QByteArray ReadWholeFile(const QString& file_name) {
    QFile file(file_name);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(
            QStringLiteral("Cannot open file \"%1\": %2").arg(file_name, file.errorString()).toStdString());
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Error(
            QStringLiteral("Cannot read file \"%1\": %2").arg(file_name, file.errorString()).toStdString());
    return data;
}

} // namespace

void TOmniXMLReader::LoadFromFile(QObject* instance, const QString& file_name) {
    const QByteArray data = ReadWholeFile(file_name);
    pugi::xml_document doc;
    if (!doc.load_buffer(data.constData(), static_cast<size_t>(data.size()), kParseOptions,
                         pugi::encoding_auto))
        return;
    Load(instance, doc);
}

namespace {

// A document that must hold the object: text that is not XML or lacks the object's element throws
// EOmniXMLPersistent with the reason.
void LoadWhole(QObject* instance, const char* data, size_t size, pugi::xml_encoding encoding,
               BadValues bad_values, std::vector<std::string>* skipped) {
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed = doc.load_buffer(data, size, kParseOptions, encoding);
    if (!parsed)
        throw EOmniXMLPersistent(std::string("Not an XML document: ") + parsed.description() + " at byte " +
                                 std::to_string(static_cast<long long>(parsed.offset)) + ".");
    const QByteArray class_name = PublishedClassOf(instance->metaObject()).name.toUtf8();
    const pugi::xml_node root = doc.document_element();
    if (!SameName(root.name(), class_name.constData()) && !FindElement(root, class_name.constData()))
        throw EOmniXMLPersistent("The document holds no " + class_name.toStdString() + " element.");
    Load(instance, doc, bad_values, skipped);
}

} // namespace

void TOmniXMLReader::LoadFromFileStrictly(QObject* instance, const QString& file_name) {
    const QByteArray data = ReadWholeFile(file_name);
    LoadWhole(instance, data.constData(), static_cast<size_t>(data.size()), pugi::encoding_auto,
              BadValues::kThrow, nullptr);
}

std::vector<std::string> TOmniXMLReader::LoadFromFileValueByValue(QObject* instance,
                                                                  const QString& file_name) {
    const QByteArray data = ReadWholeFile(file_name);
    std::vector<std::string> skipped;
    LoadWhole(instance, data.constData(), static_cast<size_t>(data.size()), pugi::encoding_auto,
              BadValues::kUseDefault, &skipped);
    return skipped;
}

void TOmniXMLReader::LoadFromTextWhole(QObject* instance, std::string_view text) {
    LoadWhole(instance, text.data(), text.size(), pugi::encoding_utf8, BadValues::kThrowNamed, nullptr);
}

} // namespace vc
