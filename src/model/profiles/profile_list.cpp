#include "model/profiles/profile_list.h"

#include "model/profiles/profile.h"

#include <algorithm>

namespace vc {

TAVProfileList::~TAVProfileList() {
    categories_.clear();
    // Each profile takes itself out of the list when it is destroyed.
    while (!profiles_.empty())
        delete profiles_.back();
}

int TAVProfileList::IndexOf(const TAVProfile* profile) const {
    const auto it = std::find(profiles_.begin(), profiles_.end(), profile);
    return it == profiles_.end() ? -1 : static_cast<int>(it - profiles_.begin());
}

void TAVProfileList::AddProfile(TAVProfile* profile) {
    profiles_.push_back(profile);
    profile->profile_list_ = this;
}

void TAVProfileList::RemoveProfile(TAVProfile* profile) {
    const auto it = std::find(profiles_.begin(), profiles_.end(), profile);
    if (it != profiles_.end())
        profiles_.erase(it);
    profile->profile_list_ = nullptr;
}

void TAVProfileList::MoveProfile(TAVProfile* profile, int index) {
    const int current = IndexOf(profile);
    if (current < 0 || profiles_.empty())
        return;
    const int target = std::clamp(index, 0, Count() - 1);
    if (target == current)
        return;
    profiles_.erase(profiles_.begin() + current);
    profiles_.insert(profiles_.begin() + target, profile);
}

void TAVProfileList::ClearCustomProfiles() {
    for (int i = Count() - 1; i >= 0; --i) {
        TAVProfile* profile = profiles_[static_cast<size_t>(i)];
        if (qobject_cast<TAVCustomAudioProfile*>(profile) != nullptr) {
            RemoveProfile(profile);
            delete profile;
        }
    }
}

std::vector<TAVProfile*> TAVProfileList::ProfilesInCategory(const QString& category) const {
    std::vector<TAVProfile*> result;
    for (TAVProfile* profile : profiles_)
        if (profile->Category().compare(category, Qt::CaseInsensitive) == 0)
            result.push_back(profile);
    return result;
}

QString TAVProfileList::FindCategory(const QString& name) const {
    for (const QString& category : categories_)
        if (category.compare(name, Qt::CaseInsensitive) == 0)
            return category;
    return QString();
}

TAVProfile* TAVProfileList::FindProfile(const QString& description) const {
    for (TAVProfile* profile : profiles_)
        if (profile->Description() == description)
            return profile;
    return nullptr;
}

} // namespace vc
