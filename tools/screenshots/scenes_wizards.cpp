// The conversion wizards, their filter pages and dialogs and the profile editor.
#include "gui/preview/frame_preview.h"
#include "gui/widgets/dvd_combo.h"
#include "gui/wizards/color_box.h"
#include "gui/wizards/dvd_source_tab.h"
#include "gui/wizards/file_chooser.h"
#include "gui/wizards/file_edit.h"
#include "gui/wizards/filter_page.h"
#include "gui/wizards/logo_filter_dialog.h"
#include "gui/wizards/new_batch_wizard.h"
#include "gui/wizards/new_conversion_wizard.h"
#include "gui/wizards/profile_chooser.h"
#include "gui/wizards/profile_editor.h"
#include "gui/wizards/std_filter_dialog.h"
#include "gui/wizards/subtitle_filter_dialog.h"
#include "gui/wizards/text_filter_dialog.h"
#include "model/filters/video_filters.h"
#include "model/profiles/profile.h"
#include "model/profiles/profile_list.h"
#include "model/profiles/user_profiles.h"
#include "model/settings/configuration.h"
#include "platform/fonts.h"
#include "store/persistent_manager.h"
#include "tools/screenshots/scene.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>

namespace {

using namespace vc;
using namespace vc::gui;

// One catalogue and one store for every wizard scene of the run.
TWizardContext Context(shots::SceneContext& ctx) {
    static std::unique_ptr<TAVProfileList> catalogue = LoadCatalogue(QString());
    static std::unique_ptr<TPersistentManager> store;
    if (!store) {
        const QString root = QDir(ctx.work_dir).filePath("Conversion");
        QDir().mkpath(root);
        AVConfiguration().SetOutputFolder(root);
        store = std::make_unique<TPersistentManager>(QDir(ctx.work_dir).filePath("wizard-store"), root);
    }
    return {catalogue.get(), store.get()};
}

QString Logo(shots::SceneContext& ctx) {
    const QString path = QDir(ctx.work_dir).filePath("logo.png");
    if (!QFile::exists(path)) {
        QImage image(96, 64, QImage::Format_ARGB32);
        image.fill(QColor(30, 110, 200));
        QPainter painter(&image);
        painter.setPen(Qt::white);
        painter.setFont(QFont("DejaVu Sans", 20, QFont::Bold));
        painter.drawText(image.rect(), Qt::AlignCenter, "LOGO");
        painter.end();
        image.save(path);
    }
    return path;
}

QString AnyFont() {
    const auto fonts = InstalledFonts();
    return fonts.empty() ? QString() : QString::fromStdString(fonts.front().file);
}

void Select(QComboBox* box, const QString& text) {
    box->setCurrentIndex(box->findText(text));
}

std::unique_ptr<TFormNewConversion> NewConversion(shots::SceneContext& ctx) {
    auto form = std::make_unique<TFormNewConversion>(Context(ctx));
    form->SetSource(ctx.media_file);
    Select(form->Chooser->cbbCategory, "MP4");
    Select(form->Chooser->cbbProfile, "H.264/MPEG-4 AVC Video (*.mp4)");
    return form;
}

// Runs the event loop until `done` holds or `limit` passes.
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < limit.count())
        shots::RunEventsFor(std::chrono::milliseconds(20));
    return done();
}

bool Run(const QString& program, const QStringList& args, const QString& folder) {
    QProcess process;
    process.setWorkingDirectory(folder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("VIDEO_FORMAT", "PAL"); // dvdauthor's default picture format
    process.setProcessEnvironment(environment);
    process.start(program, args);
    return process.waitForFinished(120000) && process.exitCode() == 0;
}

// A 30 s one-title disc folder with chapters every 10 s, made once per run; empty when the
// tools are missing.
QString DiscFolder() {
    static QTemporaryDir scratch;
    static QString disc;
    if (!disc.isEmpty() || !scratch.isValid())
        return disc;
    const QString folder = scratch.path();
    QFile xml(QDir(folder).filePath("dvd.xml"));
    if (!xml.open(QIODevice::WriteOnly))
        return disc;
    xml.write("<dvdauthor dest=\"HOLIDAY\"><vmgm/><titleset><titles><pgc>"
              "<vob file=\"t1.mpg\" chapters=\"0,0:10,0:20\"/></pgc></titles></titleset></dvdauthor>\n");
    xml.close();
    const bool made =
        Run("ffmpeg",
            {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=size=720x576:rate=25:duration=30", "-f",
             "lavfi", "-i", "sine=frequency=440:sample_rate=48000:duration=30", "-target", "pal-dvd",
             "-aspect", "4:3", "t1.mpg"},
            folder) &&
        Run("dvdauthor", {"-x", "dvd.xml"}, folder);
    if (made)
        disc = QDir(folder).filePath("HOLIDAY");
    return disc;
}

// Plays the preview for a moment and sets the marks at `start_s` and `end_s`, paused at the end.
void PlayAndMark(TFramePreview& preview, int start_s, int end_s) {
    preview.Play();
    shots::RunEventsFor(std::chrono::milliseconds(800));
    preview.Pause();
    preview.SeekTo(static_cast<RefTime>(start_s) * kUnitsPerSecond);
    shots::RunEventsFor(std::chrono::milliseconds(300));
    preview.SetStartAction()->trigger();
    preview.SeekTo(static_cast<RefTime>(end_s) * kUnitsPerSecond);
    shots::RunEventsFor(std::chrono::milliseconds(300));
    preview.SetEndAction()->trigger();
}

void AddSampleFilters(TFilterPage& page, shots::SceneContext& ctx) {
    auto logo = std::make_unique<TLogoFilter>();
    logo->SetLogoFile(Logo(ctx));
    page.AppendFilter(std::move(logo));
    auto text = std::make_unique<TOverlayTextFilter>();
    text->SetText("Holiday 2026\r\n");
    page.AppendFilter(std::move(text));
    auto flip = std::make_unique<TVideoStdFilter>();
    flip->SetHorizontalFilip(true);
    page.AppendFilter(std::move(flip));
    page.lstFilters->setCurrentRow(1);
}

VC_SCREENSHOT_SCENE("wizard-new-conversion", [](shots::SceneContext& ctx) -> std::unique_ptr<QWidget> {
    auto form = NewConversion(ctx);
    form->UpdateEnabling();
    return form;
});

VC_SCREENSHOT_SCENE("wizard-new-conversion-preview",
                    [](shots::SceneContext& ctx) -> std::unique_ptr<QWidget> {
                        auto form = NewConversion(ctx);
                        form->show();
                        TFramePreview& preview = *form->FramePreview;
                        WaitFor([&] { return preview.Graph().Active() && !preview.IsOpening(); },
                                std::chrono::seconds(20));
                        PlayAndMark(preview, 12, 41);
                        form->UpdateEnabling();
                        return form;
                    });

VC_SCREENSHOT_SCENE("wizard-new-conversion-dvd", [](shots::SceneContext& ctx) -> std::unique_ptr<QWidget> {
    auto form = std::make_unique<TFormNewConversion>(Context(ctx));
    Select(form->Chooser->cbbCategory, "MP4");
    Select(form->Chooser->cbbProfile, "H.264/MPEG-4 AVC Video (*.mp4)");
    form->show();
    const QString disc = DiscFolder();
    form->tabSource->setCurrentWidget(form->tabDvd);
    TDvdCombo* combo = form->tabDvd->FCbbDvd;
    combo->SetLocationChooser([disc](QWidget*) { return disc; });
    emit combo->activated(combo->count() - 1);
    TFramePreview& preview = *form->FramePreview;
    WaitFor([&] { return preview.Graph().Active() && !preview.IsOpening(); }, std::chrono::seconds(20));
    PlayAndMark(preview, 5, 25);
    form->UpdateEnabling();
    return form;
});

VC_SCREENSHOT_SCENE("wizard-new-conversion-filters",
                    [](shots::SceneContext& ctx) -> std::unique_ptr<QWidget> {
                        auto form = NewConversion(ctx);
                        form->UpdateEnabling();
                        form->GoToFilterPage();
                        AddSampleFilters(*form->FilterPage, ctx);
                        return form;
                    });

VC_SCREENSHOT_SCENE("wizard-batch", [](shots::SceneContext& ctx) -> std::unique_ptr<QWidget> {
    auto form = std::make_unique<TFormNewBatch>(Context(ctx));
    form->AddFiles({ctx.media_file, ctx.media_file});
    Select(form->Chooser->cbbCategory, "音频");
    Select(form->Chooser->cbbProfile, "MP3 Audio");
    form->UpdateEnabling();
    return form;
});

VC_SCREENSHOT_SCENE("wizard-batch-filters", [](shots::SceneContext& ctx) -> std::unique_ptr<QWidget> {
    auto form = std::make_unique<TFormNewBatch>(Context(ctx));
    form->AddFiles({ctx.media_file});
    form->UpdateEnabling();
    form->GoToFilterPage();
    AddSampleFilters(*form->FilterPage, ctx);
    return form;
});

VC_SCREENSHOT_SCENE("filter-standard", [](shots::SceneContext&) -> std::unique_ptr<QWidget> {
    auto dialog = std::make_unique<TFormStdFilter>();
    TVideoStdFilter filter;
    filter.SetRotate(true);
    filter.SetDegree(90);
    filter.SetDrawBox(true);
    filter.SetBX(10);
    filter.SetBY(20);
    filter.SetBWidth(100);
    filter.SetBHeight(50);
    filter.SetBColor("Red");
    dialog->Load(filter);
    return dialog;
});

VC_SCREENSHOT_SCENE("filter-logo", [](shots::SceneContext& ctx) -> std::unique_ptr<QWidget> {
    auto dialog = std::make_unique<TFormLogoFilter>();
    TLogoFilter filter;
    filter.SetX(16);
    filter.SetY(8);
    filter.SetLogoFile(Logo(ctx));
    dialog->Load(filter);
    return dialog;
});

VC_SCREENSHOT_SCENE("filter-logo-file-dialog", [](shots::SceneContext& ctx) -> std::unique_ptr<QWidget> {
    auto dialog = std::make_unique<QFileDialog>(nullptr, QString(), ctx.work_dir);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setNameFilters({QCoreApplication::translate("vc::gui::TFormLogoFilter", "PNG files (*.png)")});
    AddPicturePreview(*dialog);
    dialog->resize(760, 420);
    dialog->selectFile(Logo(ctx));
    emit dialog->currentChanged(Logo(ctx));
    return dialog;
});

VC_SCREENSHOT_SCENE("filter-text", [](shots::SceneContext&) -> std::unique_ptr<QWidget> {
    auto dialog = std::make_unique<TFormTextFilter>();
    dialog->mmoText->setPlainText("Holiday 2026\n假期 2026");
    dialog->edtFont->SetFileName(AnyFont());
    return dialog;
});

VC_SCREENSHOT_SCENE("filter-subtitle", [](shots::SceneContext& ctx) -> std::unique_ptr<QWidget> {
    auto dialog = std::make_unique<TFormSubtitleFilter>();
    dialog->edtSubtitle->SetFileName(QDir(ctx.work_dir).filePath("holiday.srt"));
    dialog->cbbCodePage->setEditText("GBK");
    return dialog;
});

VC_SCREENSHOT_SCENE("profile-editor", [](shots::SceneContext& ctx) -> std::unique_ptr<QWidget> {
    const TWizardContext context = Context(ctx);
    auto editor =
        std::make_unique<TFormEditProfile>(*context.catalogue, QDir(ctx.work_dir).filePath("Profiles.ini"));
    editor->OpenOnProfile(context.catalogue->FindProfile("H.264/MPEG-4 AVC Video (*.mp4)"));
    return editor;
});

} // namespace
