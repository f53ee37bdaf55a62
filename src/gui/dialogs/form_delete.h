#pragma once
// The delete confirmation for selected tasks: "删除所选？" with two check boxes, delete the source
// file (initially off) and delete the converted file (initially on), and the buttons "是" / "否".
//
// The main window's delete action calls
//   vc::gui::TFormDelete::DeleteTasks(this, selected_tasks);
// which asks, then stops every running or paused task (it stays in the list) and deletes the
// others with the chosen files. Or it asks alone with TFormDelete::Ask(this).
#include <QDialog>
#include <optional>
#include <vector>

class QCheckBox;
class QPushButton;

namespace vc {
class TAVTask;
} // namespace vc

namespace vc::gui {

class TFormDelete : public QDialog {
    Q_OBJECT

public:
    struct Choice {
        bool DeleteSource = false;
        bool DeleteTarget = true;
    };

    explicit TFormDelete(QWidget* parent = nullptr);

    Choice Chosen() const;

    // Runs the dialog: the boxes' values on "是", nothing on "否" or when closed.
    static std::optional<Choice> Ask(QWidget* parent);
    // The whole flow over `tasks` (the selected rows): nothing happens unless the user says "是";
    // then a running or paused task is stopped and any other is deleted (store row, chosen files,
    // the task itself: its pointer is dangling afterwards). Returns whether the user said "是".
    static bool DeleteTasks(QWidget* parent, const std::vector<TAVTask*>& tasks);
    // The second half alone, for a choice already made.
    static void Apply(const std::vector<TAVTask*>& tasks, const Choice& choice);

    QCheckBox* DeleteSourceBox() const { return chkSource_; }
    QCheckBox* DeleteTargetBox() const { return chkTarget_; }
    QPushButton* YesButton() const { return btnYes_; }
    QPushButton* NoButton() const { return btnNo_; }

private:
    QCheckBox* chkSource_ = nullptr;
    QCheckBox* chkTarget_ = nullptr;
    QPushButton* btnYes_ = nullptr;
    QPushButton* btnNo_ = nullptr;
};

} // namespace vc::gui
