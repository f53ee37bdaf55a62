#include "gui/wizards/conversion_wizard.h"

#include "engine/options/convert_options.h"
#include "gui/models/task_texts.h"
#include "gui/widgets/virtual_tree_edit.h"
#include "gui/wizards/file_edit.h"
#include "gui/wizards/filter_page.h"
#include "gui/wizards/frame_video_info.h"
#include "gui/wizards/profile_chooser.h"
#include "model/profiles/image_sequence.h"
#include "model/profiles/profile.h"
#include "model/settings/configuration.h"
#include "model/settings/thread_counts.h"
#include "platform/message_boxes.h"
#include "store/persistent_manager.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <limits>

namespace vc::gui {

int ConfiguredThreadCount() {
    return ConversionThreadCount(AVConfiguration().PerformanceOptions()->ThreadCount());
}

TConversionWizard::TConversionWizard(const TWizardContext& context, const QString& settings_group, bool batch,
                                     QWidget* parent)
    : QDialog(parent), context_(context), options_(std::make_unique<TAVConvertOptions>()),
      max_recording_time_(std::numeric_limits<qint64>::max()) {
    options_->VideoOptions()->SetTopFieldFirst(0);
    auto* layout = new QVBoxLayout(this);
    pages = new QStackedWidget(this);
    pages->setObjectName("pages");
    pageSettings = new QWidget(pages);
    pageSettings->setObjectName("pageSettings");
    pages->addWidget(pageSettings);
    FilterPage =
        new TFilterPage(batch ? TFilterPage::Variant::Batch : TFilterPage::Variant::NewConversion, pages);
    pages->addWidget(FilterPage);
    layout->addWidget(pages, 1);

    lblTitle = new QLabel(pageSettings);
    lblTitle->setObjectName("lblTitle");
    QFont title_font = lblTitle->font();
    title_font.setBold(true);
    title_font.setPointSizeF(title_font.pointSizeF() * 1.2);
    lblTitle->setFont(title_font);
    lblTitle->setWordWrap(true);

    Chooser = new TProfileChooser(*context_.catalogue, settings_group, pageSettings);
    FCategoryEdit = new TVirtualTreeEdit(pageSettings);
    FCategoryEdit->setObjectName("FCategoryEdit");
    FCategoryEdit->SetStore(context_.store);
    edtSavePath = new TFileEdit(batch ? TFileEdit::Mode::Folder : TFileEdit::Mode::Save, pageSettings);
    edtSavePath->setObjectName("edtSavePath");
    FrameVideoInfoDst = new TFrameVideoInfo(pageSettings);
    FrameVideoInfoDst->setObjectName("FrameVideoInfoDst");
    FrameVideoInfoDst->SetCaptions(
        tr("视频信息"), {tr("视频编码器"), tr("帧率"), tr("屏幕尺寸"), tr("视频码率(kbps)")}, tr("音频信息"),
        {tr("音频编码器"), tr("声道"), tr("采样率"), tr("音频码率(kbps)")});

    auto* buttons = new QHBoxLayout;
    btnBack = new QPushButton(batch ? tr("返回(&B)") : tr("返回"), this);
    btnBack->setObjectName("btnBack");
    btnNext = new QPushButton(tr("滤镜设置"), this);
    btnNext->setObjectName("btnNext");
    btnFinish = new QPushButton(batch ? tr("开始(&S)") : tr("开始(&S) "), this);
    btnFinish->setObjectName("btnFinish");
    btnFinish->setDefault(true);
    btnCancel = new QPushButton(batch ? tr("取消") : tr("取消(&C)"), this);
    btnCancel->setObjectName("btnCancel");
    buttons->addStretch();
    for (QPushButton* b : {btnBack, btnNext, btnFinish, btnCancel})
        buttons->addWidget(b);
    layout->addLayout(buttons);
    connect(btnBack, &QPushButton::clicked, this, &TConversionWizard::GoToSettingsPage);
    connect(btnNext, &QPushButton::clicked, this, &TConversionWizard::GoToFilterPage);
    connect(btnFinish, &QPushButton::clicked, this, &TConversionWizard::Finish);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    GoToSettingsPage();

    connect(Chooser, &TProfileChooser::ProfileChanged, this, &TConversionWizard::ProfileChanged);
    connect(FCategoryEdit, &TVirtualTreeEdit::CategoryChanged, this, [this] { PickerChanged(); });

    enabling_timer_ = new QTimer(this);
    enabling_timer_->setInterval(300);
    connect(enabling_timer_, &QTimer::timeout, this, &TConversionWizard::UpdateEnabling);
}

TConversionWizard::~TConversionWizard() = default;

void TConversionWizard::OpenCommon() {
    FCategoryEdit->SetCategoryPath(AVConfiguration().OutputFolder());
    // Until a category is picked, a finished task is filed under the root category: the field
    // says so instead of standing empty.
    if (context_.store != nullptr)
        if (const auto root = context_.store->LoadCategory(TPersistentManager::kRootCategoryId))
            FCategoryEdit->SetUnpickedHint(CategoryDisplayName(root->ID, root->Category));
    options_->SetRecordingTime(max_recording_time_);
    Chooser->Open();
    UpdateEnabling();
    enabling_timer_->start();
}

TAVProfile* TConversionWizard::CurrentProfile() const {
    return Chooser->CurrentProfile();
}

void TConversionWizard::ProfileChanged(TAVProfile* profile) {
    FrameVideoInfoDst->ShowProfile(profile);
}

bool TConversionWizard::CanFinish() const {
    return SourcesValid() && !edtSavePath->FileName().trimmed().isEmpty() && CurrentProfile() != nullptr;
}

void TConversionWizard::UpdateEnabling() {
    const bool can = CanFinish();
    btnNext->setEnabled(can);
    btnFinish->setEnabled(can);
}

bool TConversionWizard::OnFilterPage() const {
    return pages->currentWidget() == FilterPage;
}

void TConversionWizard::GoToFilterPage() {
    pages->setCurrentWidget(FilterPage);
    btnBack->setVisible(true);
    btnNext->setVisible(false);
}

void TConversionWizard::GoToSettingsPage() {
    pages->setCurrentWidget(pageSettings);
    btnBack->setVisible(false);
    btnNext->setVisible(true);
}

void TConversionWizard::Finish() {
    if (!CanFinish())
        return;
    // Asked first, so a "no" leaves the options untouched for the next try.
    if (!ConfirmTargets())
        return;
    TAVProfile* profile = CurrentProfile();
    // Built from fresh options each time: what an earlier finish wrote must not linger.
    auto options = std::make_unique<TAVConvertOptions>();
    options->VideoOptions()->SetTopFieldFirst(0);
    options->SetRecordingTime(max_recording_time_);
    if (OnFilterPage())
        options->FilterOptions()->SetVideoFilters(FilterPage->VideoFilters());
    options->SetInputFormat(QString());
    options->SetThreadCount(FinishThreadCount());
    try {
        profile->Apply(options.get());
        // An image-sequence profile writes numbered pictures through the image muxer.
        PrepareImageSequenceOptions(*profile, options.get());
    } catch (const std::exception& e) {
        ShowErrorMessage(e.what());
        return;
    }
    options_ = std::move(options);
    accept();
}

void TConversionWizard::done(int result) {
    Chooser->StorePositions();
    enabling_timer_->stop();
    QDialog::done(result);
}

} // namespace vc::gui
