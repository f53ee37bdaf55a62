#pragma once
// The filter page of both wizards: a toolbar to add, edit and delete filters and the list of the
// conversion's filters. The list items own their filters.
#include <QWidget>
#include <memory>

class QAction;
class QCheckBox;
class QLabel;
class QListWidget;
class QMenu;
class QToolButton;

namespace vc {
class TAVFilter;
}

namespace vc::gui {

class TFilterPage : public QWidget {
    Q_OBJECT
public:
    enum class Variant { NewConversion, Batch };
    explicit TFilterPage(Variant variant, QWidget* parent = nullptr);

    // The filter-graph text of the list, top to bottom.
    QString VideoFilters() const;
    int FilterCount() const;
    TAVFilter* Filter(int row) const;

    // Creates a filter of the kind and runs its dialog; appends it on OK. What the menu entries do.
    void AddStdFilter();
    void AddLogoFilter();
    void AddTextFilter();
    void AddSubtitleFilter();
    // Appends a filter made elsewhere (no dialog).
    void AppendFilter(std::unique_ptr<TAVFilter> filter);
    // Edit on the selected filter (the "修改" button and a double click).
    void EditSelected();
    void DeleteSelected();

    QLabel* lblTitle;
    QToolButton* btnAdd;
    QMenu* mnuAdd;
    QAction* actAddStd;
    QAction* actAddLogo;
    QAction* actAddText;
    QAction* actAddSubtitle;
    QToolButton* btnEdit;
    QToolButton* btnDelete;
    QListWidget* lstFilters;
    QCheckBox* chkPreview; // hidden, no effect

private:
    void Add(std::unique_ptr<TAVFilter> filter);
    void UpdateEnabling();
};

} // namespace vc::gui
