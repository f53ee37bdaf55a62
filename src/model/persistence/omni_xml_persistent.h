#pragma once
// Shared declarations of the XML object persistence: the property and output formats, the errors a
// reader raises, and the interface a collection implements to be stored as "o" items.
#include "platform/error.h"

#include <QObject>

namespace vc {

// How simple values are stored: "auto" (the writer's default, which is nodes), as attributes of
// the object's element ("attr") or as child elements ("node").
enum class TPropsFormat { pfAuto, pfAttributes, pfNodes };

// Flat: no whitespace between elements. Indented: one element per line, CR LF line ends, two
// spaces per nesting level.
enum class TOutputFormat { ofFlat, ofIndent };

// A document the reader cannot take: a bad number, boolean or date-time, or PropFormat "auto".
class EOmniXMLPersistent : public Error {
public:
    using Error::Error;
};

// An enumeration or set identifier the property's type does not have.
class EPropertyConvertError : public Error {
public:
    using Error::Error;
};

// A collection of persistent items. A QObject that also derives from this is written as one "o"
// element per item and read back by clearing it and adding one item per "o" element.
class TOmniCollection {
public:
    virtual ~TOmniCollection() = default;
    virtual int Count() const = 0;
    virtual QObject* Item(int index) const = 0;
    // Appends a new item with its construction values and returns it (owned by the collection).
    virtual QObject* Add() = 0;
    virtual void Clear() = 0;
};

} // namespace vc
