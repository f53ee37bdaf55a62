#pragma once
// The catalogue: every profile the program offers, in catalogue order, grouped by category names.
#include <QObject>
#include <QStringList>
#include <vector>

namespace vc {

class TAVProfile;

class TAVProfileList : public QObject {
    Q_OBJECT
    Q_PROPERTY(QStringList Categories READ Categories WRITE SetCategories)

public:
    explicit TAVProfileList(QObject* owner = nullptr) : QObject(owner) {}
    // Frees every profile still listed, whoever owns it.
    ~TAVProfileList() override;
    TAVProfileList(const TAVProfileList&) = delete;
    TAVProfileList& operator=(const TAVProfileList&) = delete;

    // Category names in display order.
    QStringList Categories() const { return categories_; }
    void SetCategories(const QStringList& v) { categories_ = v; }

    int Count() const { return static_cast<int>(profiles_.size()); }
    TAVProfile* Profiles(int index) const { return profiles_.at(static_cast<size_t>(index)); }
    int IndexOf(const TAVProfile* profile) const;

    // Takes every editable profile (custom audio and video) out of the list and frees it; target,
    // image and preset profiles stay.
    void ClearCustomProfiles();

    // The profiles listed under `category` (its name compared without regard to case), in
    // catalogue order. An empty name lists the uncategorised profiles (empty Category).
    std::vector<TAVProfile*> ProfilesInCategory(const QString& category) const;
    // The category name of the list that matches `name` without regard to case, or an empty string.
    QString FindCategory(const QString& name) const;
    // The first profile with exactly this description, or nullptr.
    TAVProfile* FindProfile(const QString& description) const;

private:
    friend class TAVProfile;
    void AddProfile(TAVProfile* profile);
    void RemoveProfile(TAVProfile* profile);
    void MoveProfile(TAVProfile* profile, int index);

    QStringList categories_;
    std::vector<TAVProfile*> profiles_; // catalogue order; main thread only
};

} // namespace vc
