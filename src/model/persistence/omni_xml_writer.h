#pragma once
// Writes the published properties of any object as an XML document: a root "data" element with
// the PropFormat attribute, then an element named after the object's class holding its
// properties (the root itself is named after the class for a collection).
#include "model/persistence/omni_xml_persistent.h"

#include <QObject>
#include <QString>
#include <string>

namespace vc {

class TOmniXMLWriter {
public:
    // The document as UTF-8 text. SaveToString is flat; the file form may be indented. Files are
    // replaced whole and atomically; a failure throws vc::Error naming the file.
    static std::string SaveToText(const QObject* instance, TPropsFormat props_format = TPropsFormat::pfAuto,
                                  TOutputFormat output_format = TOutputFormat::ofFlat);
    static QString SaveToString(const QObject* instance, TPropsFormat props_format = TPropsFormat::pfAuto);
    static void SaveToFile(const QObject* instance, const QString& file_name,
                           TPropsFormat props_format = TPropsFormat::pfAuto,
                           TOutputFormat output_format = TOutputFormat::ofFlat);

    // When true, ordinals equal to their declared default are written too. The program always
    // writes with it off; it exists for diagnostics.
    static std::string SaveToText(const QObject* instance, TPropsFormat props_format,
                                  TOutputFormat output_format, bool write_defaults);
};

} // namespace vc
