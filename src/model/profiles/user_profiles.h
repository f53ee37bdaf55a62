#pragma once
// The user profile file "Profiles.ini": once written, it replaces the built-in editable profiles.
#include "model/profiles/profile_list.h"
#include "platform/error.h"

#include <QString>
#include <memory>
#include <string>
#include <vector>

namespace vc {

// The application-data folder followed by "Profiles.ini".
QString UserProfilesPath();

// The profile file's content is damaged: not UTF-8 INI text, or without a readable "ProfileCount".
class EDamagedProfiles : public Error {
public:
    using Error::Error;
};

// Frees every editable profile of `list`, then appends the profiles of the file in file order:
// "ProfileCount" of them, at most as many as the file holds. A file cut short (no readable
// "ProfileCount", a last line without its line break) gives every profile it holds whole. A value
// that does not read leaves that value at its default. Returns one line for each such thing
// ("SampleRate2: 'x' is not a number"). Throws vc::Error when the file cannot be read,
// EDamagedProfiles when its content is damaged; the list is then left untouched.
std::vector<std::string> LoadUserProfiles(TAVProfileList& list, const QString& path);

// Writes every editable profile of `list`, numbered from 0 in catalogue order, and "ProfileCount"
// into the file, keeping whatever else the file holds. Throws vc::Error("Unable to write to <path>").
void SaveUserProfiles(const TAVProfileList& list, const QString& path);

// The catalogue as the program starts with it: the built-in table, then the user profile file at
// `path` when it exists. What LoadUserProfiles could not read is named in one warning through the
// message sink. A damaged file is renamed to "<path>.bad" (see SetAsideDamagedFile) with one
// warning, and the built-in table is used.
std::unique_ptr<TAVProfileList> LoadCatalogue(const QString& path);

} // namespace vc
