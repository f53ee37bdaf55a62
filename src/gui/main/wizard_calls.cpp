#include "gui/main/wizard_calls.h"

#include "model/settings/conversion_settings.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace vc::gui {

// Stands in for a wizard that is not built yet: says so, and returns no request.
class TWizardPlaceholder : public QDialog {
    Q_OBJECT

public:
    TWizardPlaceholder(QWidget* parent, const QString& title, const QString& file) : QDialog(parent) {
        setWindowTitle(title);
        auto* layout = new QVBoxLayout(this);
        QString text = tr("这个向导还没有完成。");
        if (!file.isEmpty())
            text += "\n" + file;
        layout->addWidget(new QLabel(text, this));
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        layout->addWidget(buttons);
    }
};

std::unique_ptr<TConversionSettings> RunNewConversionWizard(QWidget* parent, const QString& file) {
    TWizardPlaceholder dialog(parent, TWizardPlaceholder::tr("添加单一任务"), file);
    dialog.exec();
    return nullptr;
}

std::unique_ptr<TConversionSettings> RunBatchWizard(QWidget* parent) {
    TWizardPlaceholder dialog(parent, TWizardPlaceholder::tr("添加批量任务"), QString());
    dialog.exec();
    return nullptr;
}

} // namespace vc::gui

#include "wizard_calls.moc"
