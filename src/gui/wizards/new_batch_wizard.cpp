#include "gui/wizards/new_batch_wizard.h"

#include "engine/options/convert_options.h"
#include "gui/widgets/busy_cursor.h"
#include "gui/widgets/virtual_tree_edit.h"
#include "gui/wizards/file_chooser.h"
#include "gui/wizards/file_edit.h"
#include "gui/wizards/frame_video_info.h"
#include "gui/wizards/media_file_filters.h"
#include "gui/wizards/profile_chooser.h"
#include "model/profiles/profile.h"
#include "model/settings/configuration.h"
#include "model/settings/conversion_settings.h"
#include "model/settings/thread_counts.h"
#include "platform/message_boxes.h"
#include "tasks/av_task.h"
#include "tasks/batch_plan.h"
#include "tasks/task_locks.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>

namespace vc::gui {

TFormNewBatch::TFormNewBatch(const TWizardContext& context, QWidget* parent)
    : TConversionWizard(context, QStringLiteral("Batch"), true, parent) {
    setObjectName("FormNewBatch");
    setWindowTitle(tr("批量向导"));
    lblTitle->setText(tr("请添加批量文件"));

    auto* files_box = new QVBoxLayout;
    files_box->addWidget(new QLabel(tr("文件列表"), pageSettings));
    auto* files_row = new QHBoxLayout;
    lstFiles = new QListWidget(pageSettings);
    lstFiles->setObjectName("lstFiles");
    lstFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstFiles->setAcceptDrops(true);
    lstFiles->viewport()->setAcceptDrops(true);
    lstFiles->viewport()->installEventFilter(this);
    files_row->addWidget(lstFiles, 1);
    auto* file_buttons = new QVBoxLayout;
    btnAddFiles = new QPushButton(tr("添加(&A)"), pageSettings);
    btnAddFiles->setObjectName("btnAddFiles");
    btnRemoveFiles = new QPushButton(tr("移除(&R)"), pageSettings);
    btnRemoveFiles->setObjectName("btnRemoveFiles");
    file_buttons->addWidget(btnAddFiles);
    file_buttons->addWidget(btnRemoveFiles);
    file_buttons->addStretch();
    files_row->addLayout(file_buttons);
    files_box->addLayout(files_row);

    auto* form = new QFormLayout;
    form->addRow(tr("输出配置:"), Chooser);
    form->addRow(tr("输出分类:"), FCategoryEdit);
    form->addRow(tr("保存路径:"), edtSavePath);

    auto* layout = new QVBoxLayout(pageSettings);
    layout->addWidget(lblTitle);
    layout->addLayout(files_box, 1);
    layout->addLayout(form);
    layout->addWidget(FrameVideoInfoDst);

    connect(btnAddFiles, &QPushButton::clicked, this, &TFormNewBatch::AddFilesWithDialog);
    connect(btnRemoveFiles, &QPushButton::clicked, this, &TFormNewBatch::RemoveSelected);
    connect(lstFiles, &QListWidget::currentItemChanged, this, &TFormNewBatch::UpdateRemoveButton);
    UpdateRemoveButton();

    OpenCommon();
    PickerChanged(); // the configured output folder at first
    resize(720, 600);
}

TFormNewBatch::~TFormNewBatch() = default;

void TFormNewBatch::UpdateRemoveButton() {
    btnRemoveFiles->setEnabled(lstFiles->currentItem() != nullptr);
}

void TFormNewBatch::AddFilesWithDialog() {
    TFileQuestion question;
    question.kind = TFileQuestion::Kind::OpenFiles;
    question.parent = this;
    question.title = tr("Select Video/Audio Files...");
    question.filters = MediaFileFilters();
    AddFiles(ChooseFiles(question));
}

void TFormNewBatch::AddFiles(const QStringList& paths) {
    const QStringList extensions = MediaFileExtensions();
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            const BusyCursor busy; // a large folder takes a moment
            QStringList found;
            QDirIterator it(path, QDir::Files | QDir::Readable, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString file = it.next();
                if (extensions.contains(QFileInfo(file).suffix().toLower()))
                    found << QDir::toNativeSeparators(file);
            }
            std::sort(found.begin(), found.end());
            lstFiles->addItems(found);
        } else if (info.isFile()) {
            lstFiles->addItem(QDir::toNativeSeparators(info.absoluteFilePath()));
        }
    }
    UpdateRemoveButton();
}

void TFormNewBatch::RemoveSelected() {
    qDeleteAll(lstFiles->selectedItems());
    UpdateRemoveButton();
}

QStringList TFormNewBatch::Files() const {
    QStringList files;
    for (int i = 0; i < lstFiles->count(); ++i)
        files << lstFiles->item(i)->text();
    return files;
}

bool TFormNewBatch::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lstFiles->viewport()) {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (drag->mimeData()->hasUrls()) {
                drag->acceptProposedAction();
                return true;
            }
        } else if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            QStringList paths;
            for (const QUrl& url : drop->mimeData()->urls())
                if (url.isLocalFile())
                    paths << url.toLocalFile();
            AddFiles(paths);
            drop->acceptProposedAction();
            return true;
        }
    }
    return TConversionWizard::eventFilter(watched, event);
}

bool TFormNewBatch::SourcesValid() const {
    return lstFiles->count() > 0;
}

void TFormNewBatch::PickerChanged() {
    edtSavePath->SetFileName(FCategoryEdit->CategoryPath());
}

int TFormNewBatch::FinishThreadCount() const {
    // The desktop session sizes its slot pool the same way (VCONV_SLOTS, else the default).
    return BatchThreadCount(AVConfiguration().PerformanceOptions()->ThreadCount(),
                            QThread::idealThreadCount(), lstFiles->count(),
                            SlotsAtOnce(qEnvironmentVariableIntValue("VCONV_SLOTS")));
}

bool TFormNewBatch::ConfirmTargets() {
    // Each task's output as the batch will name it. A file listed twice, two files of one name,
    // or an output another unfinished task writes would have two runs write one file: the later
    // one is numbered only when the user agrees (the batch then becomes tasks the same way).
    const std::unique_ptr<TConversionSettings> settings = GetConversionSettings();
    const TaskLocks locks(TaskLocks::DefaultFolder());
    const std::vector<TBatchItem> plan = PlanBatch(*settings, &locks, BatchClashes::Number);
    if (HasClash(plan)) {
        QStringList numbered;
        for (const TBatchItem& item : plan) {
            if (item.clash == TBatchItem::Clash::None)
                continue;
            const QString why = item.clash == TBatchItem::Clash::SameFile ? tr("重复添加")
                                : item.clash == TBatchItem::Clash::SameName
                                    ? tr("与 %1 同名").arg(QDir::toNativeSeparators(item.other))
                                    : tr("正被任务 %1 使用").arg(item.other_task);
            numbered << tr("%1（%2）→ %3")
                            .arg(QDir::toNativeSeparators(item.source), why,
                                 QDir::toNativeSeparators(item.target));
        }
        if (!ConfirmWarning(tr("以下文件的目标文件名已被占用，是否改用编号的文件名？\n%1")
                                .arg(numbered.join('\n'))
                                .toStdString()))
            return false;
    }
    QStringList existing;
    for (const TBatchItem& item : plan)
        if (QFileInfo::exists(item.target) && !existing.contains(item.target))
            existing << item.target;
    if (existing.isEmpty())
        return true;
    QStringList shown;
    for (const QString& target : existing)
        shown << QDir::toNativeSeparators(target);
    return ConfirmWarning(tr("以下目标文件已经存在，是否替换？\n%1").arg(shown.join('\n')).toStdString());
}

std::unique_ptr<TConversionSettings> TFormNewBatch::GetConversionSettings() const {
    auto settings = std::make_unique<TConversionSettings>();
    settings->SetSourceFiles(Files());
    settings->SetSourceType(TConversionSettings::stFile);
    settings->SetTargetFolder(edtSavePath->FileName());
    if (const TAVProfile* profile = CurrentProfile()) {
        settings->SetTargetFile(profile->Extension());
        settings->SetProfile(profile->Description());
    }
    settings->SetCategoryId(FCategoryEdit->CategoryId());
    settings->SetConvertOptions(options_.get());
    return settings;
}

std::unique_ptr<TConversionSettings> NewBatchWizard(const TWizardContext& context, QWidget* parent,
                                                    const QStringList& files) {
    TFormNewBatch form(context, parent);
    if (!files.isEmpty())
        form.AddFiles(files);
    if (form.exec() != QDialog::Accepted)
        return nullptr;
    return form.GetConversionSettings();
}

} // namespace vc::gui
