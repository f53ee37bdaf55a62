#pragma once
// Where the wizards and their filter dialogs ask the user for files or a folder: one function they
// call instead of opening a file dialog themselves. The program's chooser is the file dialog; a
// test installs its own and answers with the files it wants picked.
#include <QString>
#include <QStringList>
#include <functional>

class QFileDialog;
class QWidget;

namespace vc::gui {

struct TFileQuestion {
    enum class Kind { OpenFile, OpenFiles, SaveFile, Folder };
    Kind kind = Kind::OpenFile;
    QWidget* parent = nullptr;
    QString title;
    QStringList filters;          // name filters, "Description (*.ext ...)"; the first one is selected
    QString start;                // the file (or, for a folder, the folder) the dialog opens at; may be empty
    bool picture_preview = false; // show the highlighted picture beside the list
};

// The chosen paths, as the dialog gives them; empty when the user cancelled. One path at most,
// except for Kind::OpenFiles.
using TFileChooser = std::function<QStringList(const TFileQuestion&)>;

// Asks the installed chooser.
QStringList ChooseFiles(const TFileQuestion& question);

// Installs `chooser` for the whole program (an empty one brings back the file dialog) and returns
// the one it replaces.
TFileChooser SetFileChooser(TFileChooser chooser);

// The program's own chooser: a modal file dialog set up for `question`.
QStringList ChooseWithFileDialog(const TFileQuestion& question);

// Adds a picture preview to a widget-based file dialog: the highlighted file shown scaled.
void AddPicturePreview(QFileDialog& dialog);

} // namespace vc::gui
