#pragma once
// Fills an existing object from a document written by TOmniXMLWriter. Nested objects are filled in
// place, never created. Names are matched without regard to letter case, except the "o" items of
// a collection.
//
// Text that is not XML, or a document without an element for the object's class, leaves the object
// as it is and raises nothing. A bad value throws EOmniXMLPersistent (or EPropertyConvertError for
// an unknown enumeration identifier); properties read before it keep their new values.
#include "model/persistence/omni_xml_persistent.h"

#include <QObject>
#include <QString>
#include <string>
#include <string_view>
#include <vector>

namespace vc {

class TOmniXMLReader {
public:
    static void LoadFromString(QObject* instance, const QString& text);
    // UTF-8 text.
    static void LoadFromText(QObject* instance, std::string_view text);
    // Any encoding the parser recognises (UTF-8, UTF-16 or UTF-32 with or without a byte-order
    // mark, Latin-1 by declaration). A file that cannot be opened throws vc::Error naming it.
    static void LoadFromFile(QObject* instance, const QString& file_name);
    // As LoadFromFile, for a file that must hold the object: text that is not XML (random bytes, a
    // cut-off document) or a document without the object's element throws EOmniXMLPersistent with
    // the parser's reason.
    static void LoadFromFileStrictly(QObject* instance, const QString& file_name);
    // As LoadFromFileStrictly, except that a value that does not read costs only that value: it
    // takes its declared default (without one it keeps the value it had) and the rest is read.
    // Returns one line per such value: "ThreadCount: 'x' is not a number".
    static std::vector<std::string> LoadFromFileValueByValue(QObject* instance, const QString& file_name);
    // All or nothing, for a document that must hold the object (a stored request): text that is
    // not XML or lacks the object's element, and any value that does not read, throw
    // EOmniXMLPersistent naming what is wrong ("AudioVolume: 'loud' is not a number"). Values
    // read before the failure are in the object: read into a copy to keep the original.
    static void LoadFromTextWhole(QObject* instance, std::string_view text);

    // A string list may declare at most this many lines; more is a damaged document, not a list
    // to allocate.
    static constexpr long long kMaxListLines = 1 << 20;
};

} // namespace vc
