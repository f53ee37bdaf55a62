#include "gui/wizards/filter_dialog_parts.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace vc::gui {

QVBoxLayout* SetUpFilterDialog(QDialog* dialog, const char* object_name, const QString& title) {
    dialog->setObjectName(object_name);
    dialog->setWindowTitle(title);
    auto* layout = new QVBoxLayout(dialog);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    return layout;
}

QSpinBox* NumberBox(QWidget* parent, const char* name, int minimum, int maximum, int value) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(minimum, maximum);
    box->setValue(value);
    return box;
}

std::pair<QPushButton*, QPushButton*> AddFilterDialogButtons(QDialog* dialog, QVBoxLayout* layout,
                                                             const QString& ok_text,
                                                             const QString& cancel_text, bool ok_default) {
    auto* row = new QHBoxLayout;
    auto* ok = new QPushButton(ok_text, dialog);
    ok->setObjectName("btnOk");
    ok->setDefault(ok_default);
    auto* cancel = new QPushButton(cancel_text, dialog);
    cancel->setObjectName("btnCancel");
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    layout->addLayout(row);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return {ok, cancel};
}

} // namespace vc::gui
