#pragma once
// Turns a pugixml document into the text of a stored document: UTF-8, no byte-order mark, no XML
// declaration; flat (nothing between elements) or indented (CR LF, two spaces per level).
#include "model/persistence/omni_xml_persistent.h"

#include <pugixml.hpp>
#include <string>

namespace vc::persistence {

std::string XmlToText(const pugi::xml_node& root, TOutputFormat format);

} // namespace vc::persistence
