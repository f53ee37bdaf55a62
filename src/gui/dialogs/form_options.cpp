#include "gui/dialogs/form_options.h"

#include "gui/dialogs/form_setup_wizard.h"
#include "model/settings/configuration.h"
#include "platform/message_boxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace vc::gui {

namespace {
constexpr int kMaxPriorityLevel = 5;
} // namespace

TFormOptions::TFormOptions(QWidget* parent) : TFormOptions(AVConfiguration(), parent) {}

TFormOptions::TFormOptions(TAVConfiguration& config, QWidget* parent) : QDialog(parent), config_(config) {
    setWindowTitle(tr("设置"));
    Build();
    LoadFromConfig();
}

void TFormOptions::Build() {
    tvSettings_ = new QTreeWidget(this);
    tvSettings_->setObjectName("tvSettings");
    tvSettings_->setHeaderHidden(true);
    tvSettings_->setRootIsDecorated(false);
    tvSettings_->addTopLevelItem(new QTreeWidgetItem(QStringList{tr("常规")}));
    tvSettings_->addTopLevelItem(new QTreeWidgetItem(QStringList{tr("性能") + tr("（默认就好不建议更改）")}));
    int tree_width = 150;
    for (int i = 0; i < tvSettings_->topLevelItemCount(); ++i)
        tree_width = std::max(
            tree_width,
            tvSettings_->fontMetrics().horizontalAdvance(tvSettings_->topLevelItem(i)->text(0)) + 32);
    tvSettings_->setFixedWidth(tree_width);

    // "常规"
    auto* general = new QWidget(this);
    edtOutputFolder_ = new QLineEdit(general);
    edtOutputFolder_->setObjectName("edtOutputFolder");
    btnBrowse_ = new QToolButton(general);
    btnBrowse_->setText(QStringLiteral("..."));
    btnBrowse_->setToolTip(tr("选择文件夹"));
    chkShowAlert_ = new QCheckBox(tr("转换完弹出提醒框"), general);
    auto* folder_row = new QHBoxLayout;
    folder_row->addWidget(edtOutputFolder_, 1);
    folder_row->addWidget(btnBrowse_);
    auto* folder_label = new QLabel(tr("输出路径"), general);
    folder_label->setBuddy(edtOutputFolder_);
    auto* general_layout = new QVBoxLayout(general);
    general_layout->addWidget(folder_label);
    general_layout->addLayout(folder_row);
    general_layout->addSpacing(8);
    general_layout->addWidget(chkShowAlert_);
    general_layout->addStretch();

    // "性能"
    auto* performance = new QWidget(this);
    tbPriority_ = new QSlider(Qt::Horizontal, performance);
    tbPriority_->setObjectName("tbPriority");
    tbPriority_->setRange(0, kMaxPriorityLevel);
    tbPriority_->setPageStep(1);
    tbPriority_->setTickInterval(1);
    tbPriority_->setTickPosition(QSlider::TicksBelow);
    connect(tbPriority_, &QSlider::valueChanged, this, &TFormOptions::UpdatePriorityTip);
    auto* priority_box = new QGroupBox(tr("Thread Priority"), performance);
    auto* priority_grid = new QGridLayout(priority_box);
    priority_grid->addWidget(tbPriority_, 0, 0, 1, 2);
    priority_grid->addWidget(new QLabel(tr("Low"), priority_box), 1, 0, Qt::AlignLeft);
    priority_grid->addWidget(new QLabel(tr("High"), priority_box), 1, 1, Qt::AlignRight);

    cbbThreadCount_ = new QComboBox(performance);
    cbbThreadCount_->setObjectName("cbbThreadCount");
    cbbThreadCount_->addItem(tr("Automatic(use all CPU(s))"));
    for (int i = 1; i <= kMaxThreadCount; ++i)
        cbbThreadCount_->addItem(QString::number(i));
    cbbThreadCount_->setCurrentIndex(0);
    auto* count_label = new QLabel(tr("Thread Count"), performance);
    count_label->setBuddy(cbbThreadCount_);
    auto* count_row = new QHBoxLayout;
    count_row->addWidget(count_label);
    count_row->addWidget(cbbThreadCount_, 1);

    btnSetupWizard_ = new QPushButton(tr("设置向导..."), performance);
    btnSetupWizard_->setToolTip(tr("再次运行首次启动时的设置向导"));
    auto* wizard_row = new QHBoxLayout;
    wizard_row->addWidget(btnSetupWizard_);
    wizard_row->addStretch();

    auto* performance_layout = new QVBoxLayout(performance);
    performance_layout->addWidget(priority_box);
    performance_layout->addSpacing(8);
    performance_layout->addLayout(count_row);
    performance_layout->addSpacing(8);
    performance_layout->addLayout(wizard_row);
    performance_layout->addStretch();

    pages_ = new QStackedWidget(this);
    pages_->addWidget(general);
    pages_->addWidget(performance);

    btnOk_ = new QPushButton(tr("Ok"), this);
    btnOk_->setDefault(true);
    btnCancel_ = new QPushButton(tr("Cancel"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk_);
    buttons->addWidget(btnCancel_);

    auto* body = new QHBoxLayout;
    body->addWidget(tvSettings_);
    body->addWidget(pages_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);
    resize(560, 320);

    connect(tvSettings_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item)
            pages_->setCurrentIndex(tvSettings_->indexOfTopLevelItem(item));
    });
    connect(btnBrowse_, &QToolButton::clicked, this, &TFormOptions::BrowseOutputFolder);
    connect(btnSetupWizard_, &QPushButton::clicked, this, &TFormOptions::RunSetupWizard);
    connect(btnOk_, &QPushButton::clicked, this, &TFormOptions::SaveAndClose);
    connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);

    tvSettings_->setCurrentItem(tvSettings_->topLevelItem(0));
    tvSettings_->setFocus();
}

void TFormOptions::UpdatePriorityTip() {
    static const char* const kLevelNames[] = {QT_TR_NOOP("空闲"), QT_TR_NOOP("低于标准"),
                                              QT_TR_NOOP("标准"), QT_TR_NOOP("高于标准"),
                                              QT_TR_NOOP("高"),   QT_TR_NOOP("实时")};
    tbPriority_->setToolTip(tr(kLevelNames[std::clamp(tbPriority_->value(), 0, kMaxPriorityLevel)]));
}

void TFormOptions::LoadFromConfig() {
    edtOutputFolder_->setText(config_.OutputFolder());
    chkShowAlert_->setChecked(config_.ShowAlert());
    const TPerformanceOptions* performance = config_.PerformanceOptions();
    tbPriority_->setValue(std::clamp(performance->ThreadPrority(), 0, kMaxPriorityLevel));
    cbbThreadCount_->setCurrentIndex(std::clamp(performance->ThreadCount(), 0, kMaxThreadCount));
    UpdatePriorityTip();
}

void TFormOptions::SaveAndClose() {
    config_.PerformanceOptions()->SetThreadCount(cbbThreadCount_->currentIndex());
    config_.PerformanceOptions()->SetThreadPrority(tbPriority_->value());
    config_.SetOutputFolder(edtOutputFolder_->text().trimmed());
    config_.SetShowAlert(chkShowAlert_->isChecked());
    try {
        config_.Save();
    } catch (const std::exception& e) {
        // The values stay in the configuration (saved again at exit); the dialog stays open.
        ShowErrorMessage(e.what());
        return;
    }
    accept();
}

void TFormOptions::RunSetupWizard() {
    TFormSetupWizard wizard(config_, this);
    wizard.exec();
    // The wizard saved what it changed; show it here.
    chkShowAlert_->setChecked(config_.ShowAlert());
    cbbThreadCount_->setCurrentIndex(
        std::clamp(config_.PerformanceOptions()->ThreadCount(), 0, kMaxThreadCount));
}

void TFormOptions::BrowseOutputFolder() {
    QString start = edtOutputFolder_->text().trimmed();
    if (start.isEmpty() || !QFileInfo(start).isDir())
        start = QDir::homePath();
    const QString picked = QFileDialog::getExistingDirectory(this, tr("选择文件夹"), start);
    if (!picked.isEmpty())
        edtOutputFolder_->setText(QDir::toNativeSeparators(picked));
}

bool TFormOptions::Execute(QWidget* parent) {
    TFormOptions form(parent);
    return form.exec() == QDialog::Accepted;
}

} // namespace vc::gui
