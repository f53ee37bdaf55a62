#pragma once
// The published properties of a class as the persistence sees them: the Q_PROPERTYs in
// declaration order (base classes first, without QObject's objectName), each with the kind of
// value it holds and its declared default for storing, read from Q_CLASSINFO("Default.<Name>").
#include <QByteArray>
#include <QMetaProperty>
#include <QObject>
#include <QString>
#include <climits>
#include <vector>

namespace vc::persistence {

enum class PropKind {
    Integer,     // int, uint, short, ushort, signed/unsigned char: decimal, declared-default rule
    Character,   // QChar: the character itself
    Boolean,     // "1" / "0"
    Enumeration, // a Q_ENUM: the identifier
    Set,         // a Q_FLAG: "[a,b]"
    DateTime,    // QDateTime
    Date,        // QDate
    Time,        // QTime
    Double,      // double: 15 significant digits
    Single,      // float: widened to double first
    String,      // QString, QByteArray (UTF-8)
    Int64,       // qint64, quint64: written when not 0, left alone when absent
    StringList,  // QStringList: Count attribute and l<i> values
    Object,      // a QObject pointer: nested element, filled in place
    Unsupported,
};

// The marker a property without a declared default compares against: the smallest 32-bit integer.
inline constexpr long long kNoDefault = INT_MIN;

struct PublishedProperty {
    QMetaProperty meta;
    QByteArray name;
    PropKind kind = PropKind::Unsupported;
    long long declared_default = kNoDefault; // ordinal kinds only
    bool has_default = false;
    bool readable = false;    // has a read accessor and is stored: the writer and reader visit it
    bool writable = false;    // has a write accessor (nested objects are filled without one)
    bool is_unsigned = false; // Integer and Int64 kinds
    int size = 4;             // bytes of the value (ordinal kinds)
};

struct PublishedClass {
    QString name; // the class name without its namespace
    std::vector<PublishedProperty> properties;
};

// Built once per class and kept for the life of the process.
const PublishedClass& PublishedClassOf(const QMetaObject* meta);

// Ordinal kinds: the property's value as an integer (enums and sets by their value, booleans 0/1,
// characters by their code).
long long ReadOrdinal(const QObject* object, const PublishedProperty& property);
// Stores an ordinal, truncated to the property's size the way a one-byte enumeration holds the
// no-default marker as 0.
void WriteOrdinal(QObject* object, const PublishedProperty& property, long long value);

// The QObject a pointer property refers to, or nullptr.
QObject* ReadObject(const QObject* object, const PublishedProperty& property);

} // namespace vc::persistence
