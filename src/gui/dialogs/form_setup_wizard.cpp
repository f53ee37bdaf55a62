#include "gui/dialogs/form_setup_wizard.h"

#include "gui/widgets/app_emblem.h"
#include "model/settings/configuration.h"
#include "platform/message_boxes.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vc::gui {

TFormSetupWizard::TFormSetupWizard(TAVConfiguration& config, QWidget* parent)
    : QDialog(parent), config_(config) {
    setWindowTitle(tr("设置向导"));

    auto* picture = new QLabel(this);
    picture->setPixmap(AppEmblemPixmap(96, devicePixelRatioF()));
    picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    auto* welcome = new QLabel(tr("<h3>欢迎使用%1</h3><p>只需几步设置，即可开始转换您的视频和音频文件。"
                                  "这些设置以后可以在“详细设置”中更改。</p>")
                                   .arg(tr("视频转换器")),
                               this);
    welcome->setWordWrap(true);
    welcome->setMinimumWidth(300);

    chkShowAlert_ = new QCheckBox(tr("在转换完成后弹出提醒框。"), this);
    chkShowAlert_->setChecked(config_.ShowAlert());
    chkMultiCore_ = new QCheckBox(tr("使用多核CPU加速。"), this);
    chkMultiCore_->setChecked(config_.PerformanceOptions()->ThreadCount() != 1);
    btnOk_ = new QPushButton(tr("好的，确定"), this);
    btnOk_->setDefault(true);

    auto* texts = new QVBoxLayout;
    texts->addWidget(welcome);
    texts->addSpacing(8);
    texts->addWidget(chkShowAlert_);
    texts->addWidget(chkMultiCore_);
    texts->addStretch();
    auto* body = new QHBoxLayout;
    body->addWidget(picture);
    body->addSpacing(12);
    body->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);

    connect(btnOk_, &QPushButton::clicked, this, [this] {
        ApplyChoices();
        accept();
    });
}

void TFormSetupWizard::ApplyChoices() {
    config_.SetShowAlert(chkShowAlert_->isChecked());
    TPerformanceOptions* performance = config_.PerformanceOptions();
    if (!chkMultiCore_->isChecked())
        performance->SetThreadCount(1);
    else if (performance->ThreadCount() == 1)
        performance->SetThreadCount(0); // back to all processors
}

void TFormSetupWizard::done(int result) {
    config_.SetFirstRun(false);
    try {
        config_.Save();
    } catch (const std::exception& e) {
        ShowErrorMessage(e.what());
    }
    QDialog::done(result);
}

bool TFormSetupWizard::ExecuteOnFirstRun(QWidget* parent) {
    TAVConfiguration& config = AVConfiguration();
    if (!config.FirstRun())
        return false;
    TFormSetupWizard wizard(config, parent);
    wizard.exec();
    return true;
}

} // namespace vc::gui
