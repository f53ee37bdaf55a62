#pragma once
// The user profile file "Profiles.ini": once written, it replaces the built-in editable profiles.
#include "model/profiles/profile_list.h"

#include <QString>
#include <memory>

namespace vc {

// The application-data folder followed by "Profiles.ini".
QString UserProfilesPath();

// Frees every editable profile of `list`, then appends the profiles of the file in file order.
// Throws vc::Error when the file exists but cannot be read; the list is then left untouched.
void LoadUserProfiles(TAVProfileList& list, const QString& path);

// Writes every editable profile of `list`, numbered from 0 in catalogue order, and "ProfileCount"
// into the file, keeping whatever else the file holds. Throws vc::Error("Unable to write to <path>").
void SaveUserProfiles(const TAVProfileList& list, const QString& path);

// The catalogue as the program starts with it: the built-in table, then the user profile file at
// `path` when it exists.
std::unique_ptr<TAVProfileList> LoadCatalogue(const QString& path);

} // namespace vc
