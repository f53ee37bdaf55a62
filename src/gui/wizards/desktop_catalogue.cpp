#include "gui/wizards/desktop_catalogue.h"

#include "model/profiles/profile_list.h"
#include "model/profiles/user_profiles.h"
#include "platform/error.h"
#include "platform/message_boxes.h"

#include <memory>

namespace vc::gui {

TAVProfileList& DesktopCatalogue() {
    static std::unique_ptr<TAVProfileList> catalogue;
    if (!catalogue) {
        try {
            catalogue = LoadCatalogue(UserProfilesPath());
        } catch (const Error& e) {
            // An unreadable profile file: the built-in profiles still serve, and the file is
            // left as it is until the profile editor saves.
            ShowErrorMessage(e.what());
            catalogue = LoadCatalogue(QString());
        }
    }
    return *catalogue;
}

} // namespace vc::gui
