#include "gui/wizards/new_conversion_wizard.h"

#include "engine/options/convert_options.h"
#include "gui/preview/frame_preview.h"
#include "gui/preview/preview_trimming.h"
#include "gui/widgets/virtual_tree_edit.h"
#include "gui/wizards/dvd_source_tab.h"
#include "gui/wizards/file_edit.h"
#include "gui/wizards/frame_video_info.h"
#include "gui/wizards/media_file_filters.h"
#include "gui/wizards/profile_chooser.h"
#include "gui/wizards/source_probe.h"
#include "model/profiles/profile.h"
#include "model/settings/conversion_settings.h"
#include "platform/message_boxes.h"

#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vc::gui {

QString ReplaceExtension(const QString& name, const QString& extension) {
    const int slash = static_cast<int>(std::max(name.lastIndexOf('/'), name.lastIndexOf('\\')));
    const int dot = static_cast<int>(name.lastIndexOf('.'));
    return (dot > slash ? name.left(dot) : name) + extension;
}

namespace {
QString FileNamePart(const QString& path) {
    const int slash = static_cast<int>(std::max(path.lastIndexOf('/'), path.lastIndexOf('\\')));
    return path.mid(slash + 1);
}
} // namespace

TFormNewConversion::TFormNewConversion(const TWizardContext& context, QWidget* parent)
    : TConversionWizard(context, QStringLiteral("Conversion"), false, parent) {
    setObjectName("FormNewConversion");
    setWindowTitle(tr("新建转换"));
    lblTitle->setText(tr("第一步：选择输入文件；第二步：选择输出配置；第三步：点击“开始”"));

    tabSource = new QTabWidget(pageSettings);
    tabSource->setObjectName("tabSource");
    tabFile = new QWidget(tabSource);
    tabFile->setObjectName("tabFile");
    auto* file_row = new QHBoxLayout(tabFile);
    edtSource = new TFileEdit(TFileEdit::Mode::Open, tabFile);
    edtSource->setObjectName("edtSource");
    edtSource->SetReadOnly(true);
    edtSource->SetFilters(MediaFileFilters());
    edtSource->SetDialogTitle(tr("Select Video/Audio File..."));
    edtSource->SetPickHandler([this](const QString& name) { ChooseSourceFile(name); });
    file_row->addWidget(new QLabel(tr("输入文件:"), tabFile));
    file_row->addWidget(edtSource, 1);
    tabSource->addTab(tabFile, tr("文件"));
    tabDvd = new TDvdSourceTab(tabSource);
    AddSourceTab(tabDvd);
    connect(tabDvd, &TDvdSourceTab::SourceChanged, this, &TFormNewConversion::SourceChanged);

    auto* form = new QFormLayout;
    form->addRow(tr("输出配置:"), Chooser);
    form->addRow(tr("输出分类:"), FCategoryEdit);
    form->addRow(tr("保存路径:"), edtSavePath);

    auto* left = new QVBoxLayout;
    left->addWidget(lblTitle);
    left->addWidget(tabSource);
    left->addLayout(form);
    left->addWidget(FrameVideoInfoDst);
    left->addStretch();

    FramePreview = new TFramePreview(pageSettings);
    FramePreview->setObjectName("FramePreview");
    FramePreview->SetTitle(tr("视频预览"));
    FramePreview->SetInitialMarkTexts(tr("开始[0:0:0]"), tr("结尾[0:0:0]"));
    FramePreview->setMinimumSize(320, 300);

    auto* columns = new QHBoxLayout(pageSettings);
    columns->addLayout(left, 3);
    columns->addWidget(FramePreview, 2);

    connect(edtSource, &TFileEdit::FileNameChanged, this, &TFormNewConversion::SourceChanged);
    connect(tabSource, &QTabWidget::currentChanged, this, &TFormNewConversion::SourceChanged);

    tabSource->setCurrentWidget(tabFile);
    OpenCommon();
    edtSource->setFocus();
    resize(900, 560);
}

TFormNewConversion::~TFormNewConversion() = default;

void TFormNewConversion::AddSourceTab(TWizardSourceTab* tab) {
    source_tabs_.push_back(tab);
    tabSource->addTab(tab->Widget(), tab->Title());
}

TWizardSourceTab* TFormNewConversion::CurrentSourceTab() const {
    for (TWizardSourceTab* tab : source_tabs_)
        if (tab->Widget() == tabSource->currentWidget())
            return tab;
    return nullptr;
}

bool TFormNewConversion::FileTabSelected() const {
    return tabSource->currentWidget() == tabFile;
}

void TFormNewConversion::SetSource(const QString& file_name) {
    edtSource->SetFileName(file_name);
}

bool TFormNewConversion::ChooseSourceFile(const QString& file_name) {
    if (ProbeMediaFile(file_name, this) != ProbeResult::Media) {
        ShowErrorMessage("Invalid Video/Audio File");
        return false;
    }
    edtSource->SetFileName(file_name);
    return true;
}

QString TFormNewConversion::SourceName() const {
    if (FileTabSelected())
        return edtSource->FileName();
    const TWizardSourceTab* tab = CurrentSourceTab();
    return tab ? tab->SourceName() : QString();
}

bool TFormNewConversion::SourcesValid() const {
    if (FileTabSelected())
        return !edtSource->FileName().isEmpty() && QFileInfo(edtSource->FileName()).isFile();
    const TWizardSourceTab* tab = CurrentSourceTab();
    return tab && tab->SourceValid();
}

void TFormNewConversion::SourceChanged() {
    Preview();
    NameTarget();
}

void TFormNewConversion::Preview() {
    if (!SourcesValid()) {
        previewed_.clear();
        FramePreview->StopVideo();
        return;
    }
    if (FileTabSelected()) {
        const QString file = edtSource->FileName();
        if (previewed_ == file)
            return;
        previewed_ = file;
        FramePreview->OpenVideoFile(file);
        return;
    }
    TWizardSourceTab* tab = CurrentSourceTab();
    const QString key = tab->PreviewKey();
    if (!key.isEmpty() && previewed_ == key)
        return;
    previewed_ = key;
    if (!tab->OpenPreview(*FramePreview)) {
        previewed_.clear();
        FramePreview->StopVideo();
    }
}

void TFormNewConversion::NameTarget() {
    const TAVProfile* profile = CurrentProfile();
    const QString extension = profile ? profile->Extension() : QString();
    if (FileTabSelected()) {
        if (SourcesValid())
            edtSavePath->SetFileName(ReplaceExtension(edtSource->FileName(), extension));
    } else if (const TWizardSourceTab* tab = CurrentSourceTab()) {
        const QString name = tab->TargetName(extension);
        if (!name.isEmpty())
            edtSavePath->SetFileName(name);
    }
    Retarget();
}

void TFormNewConversion::Retarget() {
    const QString name = FileNamePart(edtSavePath->FileName().trimmed());
    if (name.isEmpty())
        return; // no name yet: an empty field stays empty rather than becoming a bare folder
    QString folder = FCategoryEdit->CategoryPath();
    if (!folder.endsWith('/') && !folder.endsWith('\\'))
        folder += '/';
    edtSavePath->SetFileName(folder + name);
}

void TFormNewConversion::PickerChanged() {
    Retarget();
}

void TFormNewConversion::ProfileChanged(TAVProfile* profile) {
    TConversionWizard::ProfileChanged(profile);
    if (profile != nullptr && !edtSavePath->FileName().trimmed().isEmpty())
        edtSavePath->SetFileName(ReplaceExtension(edtSavePath->FileName(), profile->Extension()));
}

void TFormNewConversion::done(int result) {
    for (const TWizardSourceTab* tab : source_tabs_)
        if (tab->Busy())
            return;
    FramePreview->StopVideo();
    previewed_.clear();
    TConversionWizard::done(result);
}

int TFormNewConversion::FinishThreadCount() const {
    return ConfiguredThreadCount();
}

bool TFormNewConversion::ConfirmTargets() {
    const QString target = edtSavePath->FileName().trimmed();
    if (!QFileInfo::exists(target))
        return true;
    return ConfirmWarning(
        tr("目标文件已经存在，是否替换？\n%1").arg(QDir::toNativeSeparators(target)).toStdString());
}

std::unique_ptr<TConversionSettings> TFormNewConversion::GetConversionSettings() const {
    auto settings = std::make_unique<TConversionSettings>();
    settings->SetSourceFiles({SourceName()});
    settings->SetSourceType(TConversionSettings::stFile);
    if (!FileTabSelected())
        if (const TWizardSourceTab* tab = CurrentSourceTab())
            tab->FillSettings(*settings);
    settings->SetTargetFile(edtSavePath->FileName());
    if (const TAVProfile* profile = CurrentProfile())
        settings->SetProfile(profile->Description());
    settings->SetCategoryId(FCategoryEdit->CategoryId());
    settings->SetConvertOptions(options_.get());
    // The preview's marks trim the conversion, for every kind of source.
    ApplyPreviewTrimming(*settings->ConvertOptions(), FramePreview->StartMarkUs(), FramePreview->EndMarkUs(),
                         max_recording_time_);
    return settings;
}

std::unique_ptr<TConversionSettings> NewConversionWizard(const QString& source_file,
                                                         const TWizardContext& context, QWidget* parent) {
    TFormNewConversion form(context, parent);
    form.SetSource(source_file);
    if (form.exec() != QDialog::Accepted)
        return nullptr;
    return form.GetConversionSettings();
}

} // namespace vc::gui
