#pragma once
// The catalogue the program starts with: 21 categories and 147 built-in profiles.
#include "model/profiles/profile_list.h"

#include <QStringList>
#include <memory>

namespace vc {

// The 21 category names in display order.
QStringList BuiltInCategories();

// Appends the 147 built-in profiles, in catalogue order, to `list`; the list owns them.
void AddBuiltInProfiles(TAVProfileList& list);

// A catalogue with the built-in categories and profiles.
std::unique_ptr<TAVProfileList> CreateBuiltInCatalogue();

} // namespace vc
