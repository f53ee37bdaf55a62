// The new-conversion wizard driven as a user drives it.
#include "wizard_fixture.h"

#include "engine/converter/converter.h"
#include "engine/options/convert_options.h"
#include "gui/widgets/virtual_tree_edit.h"
#include "gui/wizards/color_box.h"
#include "gui/wizards/file_edit.h"
#include "gui/wizards/filter_page.h"
#include "gui/wizards/frame_video_info.h"
#include "gui/wizards/logo_filter_dialog.h"
#include "gui/wizards/new_conversion_wizard.h"
#include "gui/wizards/profile_chooser.h"
#include "gui/wizards/std_filter_dialog.h"
#include "gui/wizards/subtitle_filter_dialog.h"
#include "gui/wizards/text_filter_dialog.h"
#include "model/profiles/image_sequence.h"
#include "model/profiles/profile.h"
#include "model/settings/conversion_settings.h"
#include "support/recording_message_sink.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

namespace vc::test {
namespace {

using gui::TFormNewConversion;

constexpr const char* kFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

QString MediaPath(const char* name) {
    return QFileInfo(QString::fromStdString(Media(name).string())).canonicalFilePath();
}

void SelectCategory(TFormNewConversion& form, const QString& category) {
    const int index = form.Chooser->cbbCategory->findText(category);
    ASSERT_GE(index, 0) << category.toStdString();
    form.Chooser->cbbCategory->setCurrentIndex(index);
}

void SelectProfile(TFormNewConversion& form, const QString& description) {
    const int index = form.Chooser->cbbProfile->findText(description);
    ASSERT_GE(index, 0) << description.toStdString();
    form.Chooser->cbbProfile->setCurrentIndex(index);
}

bool FinishEnabledSoon(TFormNewConversion& form) {
    QTest::qWait(400); // the enabling check runs every 300 ms
    return form.btnFinish->isEnabled();
}

using NewConversionWizard = WizardTest;

TEST_F(NewConversionWizard, FinishStaysDisabledUntilASourceIsChosenAndADroppedFileIsNotProbed) {
    TFormNewConversion form(context_);
    form.show();
    SelectCategory(form, "MP4");
    SelectProfile(form, "MPEG-4 Video (*.mp4)");
    EXPECT_FALSE(FinishEnabledSoon(form));
    EXPECT_FALSE(form.btnNext->isEnabled());

    // A handed-in file is taken as it is, even one the probe would refuse.
    const QString garbage = MediaPath("garbage.mp4");
    form.SetSource(garbage);
    EXPECT_EQ(form.edtSource->FileName(), garbage);
    EXPECT_EQ(form.edtSavePath->FileName(), root_folder_ + "/garbage.mp4");
    EXPECT_TRUE(FinishEnabledSoon(form));
    EXPECT_TRUE(form.btnNext->isEnabled());
}

TEST_F(NewConversionWizard, APickedFileThatIsNoMediaIsRefusedAndTheSourceStays) {
    RecordingMessageSink sink;
    ScriptedFileChooser chooser;
    TFormNewConversion form(context_);
    form.show();
    const QString good = MediaPath("h264_aac.mp4");
    chooser.Queue({good});
    form.edtSource->BrowseButton()->click();
    ASSERT_EQ(chooser.Questions().size(), 1u);
    // One file to open, offered under the four media filters.
    EXPECT_EQ(chooser.Questions()[0].kind, gui::TFileQuestion::Kind::OpenFile);
    const QStringList filters = chooser.Questions()[0].filters;
    ASSERT_EQ(filters.size(), 4);
    EXPECT_TRUE(filters[0].startsWith("Video Files(") && filters[0].contains("*.mp4"))
        << filters[0].toStdString();
    EXPECT_TRUE(filters[1].startsWith("Picture Files(")) << filters[1].toStdString();
    EXPECT_TRUE(filters[2].startsWith("Audio Files (") && filters[2].contains("*.mp3"))
        << filters[2].toStdString();
    EXPECT_EQ(filters[3], "All Files(*)");
    EXPECT_EQ(form.edtSource->FileName(), good);
    EXPECT_EQ(form.edtSavePath->FileName().isEmpty(), form.CurrentProfile() == nullptr);
    EXPECT_TRUE(sink.Messages().empty());

    for (const char* bad : {"garbage.mp4", "empty.mp4"}) {
        chooser.Queue({MediaPath(bad)});
        form.edtSource->BrowseButton()->click();
        EXPECT_EQ(form.edtSource->FileName(), good) << bad;
        EXPECT_TRUE(sink.Contains("Invalid Video/Audio File")) << bad;
        sink.Clear();
    }
    // Cancelling changes nothing; the dialog opens at the current source.
    form.edtSource->BrowseButton()->click();
    EXPECT_EQ(chooser.Questions().back().start, good);
    EXPECT_EQ(form.edtSource->FileName(), good);
    EXPECT_TRUE(sink.Messages().empty());
    EXPECT_TRUE(form.isEnabled()); // the window takes input again after the probe
}

TEST_F(NewConversionWizard, NamingRetargetingAndCategoryChanges) {
    const int films = store_->NewCategory("Films", QString::fromStdString((dir_ / "Films").string()), 1);
    ASSERT_GT(films, 1);
    TFormNewConversion form(context_);
    form.show();
    // Nothing picked yet: the field names the root category, which receives such a task.
    EXPECT_EQ(form.FCategoryEdit->CategoryId(), 0);
    EXPECT_EQ(form.FCategoryEdit->CategoryName(), "");
    EXPECT_EQ(form.FCategoryEdit->placeholderText(), "默认分类");
    EXPECT_EQ(form.FCategoryEdit->CategoryPath(), root_folder_);

    // A profile change with an empty save path leaves it empty.
    SelectCategory(form, "AVI");
    SelectProfile(form, "DivX Video (*.avi)");
    EXPECT_EQ(form.edtSavePath->FileName(), "");

    form.SetSource(MediaPath("h264_aac.mp4"));
    EXPECT_EQ(form.edtSavePath->FileName(), root_folder_ + "/h264_aac.avi");

    // The second category change selects the first profile, and the extension follows it.
    SelectCategory(form, "MP4");
    EXPECT_EQ(form.Chooser->cbbProfile->currentIndex(), 0);
    EXPECT_EQ(form.edtSavePath->FileName(), root_folder_ + "/h264_aac.mp4");
    SelectCategory(form, "AVI");
    EXPECT_EQ(form.Chooser->cbbProfile->currentIndex(), 0);
    EXPECT_EQ(form.edtSavePath->FileName(), root_folder_ + "/h264_aac.avi");

    // The picker moves the target into the picked category's folder, keeping its name.
    PickCategory(form.FCategoryEdit, "Films");
    EXPECT_EQ(form.FCategoryEdit->CategoryId(), films);
    EXPECT_EQ(form.FCategoryEdit->CategoryName(), "Films");
    EXPECT_EQ(form.edtSavePath->FileName(),
              QString::fromStdString((dir_ / "Films").string()) + "/h264_aac.avi");

    // "XBox" profiles are listed under "Xbox"; the target frame shows the chosen profile.
    SelectCategory(form, "Xbox");
    EXPECT_GE(form.Chooser->cbbProfile->findText("Xbox360 HD H264 Video"), 0);
    SelectProfile(form, "Xbox360 HD H264 Video");
    EXPECT_EQ(form.FrameVideoInfoDst->lblFrameSize->text(), "1280x720");
    EXPECT_EQ(form.FrameVideoInfoDst->lblFrameRate->text(), "29.97");
    EXPECT_EQ(form.FrameVideoInfoDst->lblChannels->text(), "stereo");
    EXPECT_EQ(form.FrameVideoInfoDst->lblAudioBitrate->text(), "160");
    // A target profile shows nothing, neither video nor the audio of the profile before.
    SelectCategory(form, "VCD");
    SelectProfile(form, "VCD PAL (*.mpg)");
    EXPECT_EQ(form.FrameVideoInfoDst->lblFrameSize->text(), "");
    EXPECT_EQ(form.FrameVideoInfoDst->lblAudioEncoder->text(), "");
    EXPECT_FALSE(form.Chooser->btnEditProfile->isEnabled());
}

TEST_F(NewConversionWizard, RememberedPositionsAndTheirSafeEnds) {
    {
        TFormNewConversion form(context_);
        SelectCategory(form, "MP4");
        SelectProfile(form, "H.264/MPEG-4 AVC Video (*.mp4)");
        form.reject();
    }
    {
        TFormNewConversion form(context_);
        EXPECT_EQ(form.Chooser->cbbCategory->currentText(), "MP4");
        ASSERT_NE(form.CurrentProfile(), nullptr);
        EXPECT_EQ(form.CurrentProfile()->Description(), "H.264/MPEG-4 AVC Video (*.mp4)");
    }
    // A remembered profile position past the end of its category: nothing selected, no finish.
    QSettings("Velvox", "VideoConverter").setValue("Conversion/Profile", 99);
    {
        TFormNewConversion form(context_);
        form.show();
        form.SetSource(MediaPath("h264_aac.mp4"));
        EXPECT_EQ(form.CurrentProfile(), nullptr);
        EXPECT_FALSE(FinishEnabledSoon(form));
    }
    // A remembered category past the end: no category text, so the uncategorised profiles.
    QSettings("Velvox", "VideoConverter").setValue("Conversion/Category", 999);
    QSettings("Velvox", "VideoConverter").setValue("Conversion/Profile", 0);
    {
        TFormNewConversion form(context_);
        EXPECT_EQ(form.Chooser->cbbCategory->currentText(), "");
        EXPECT_EQ(form.Chooser->cbbProfile->count(), 6);
        ASSERT_NE(form.CurrentProfile(), nullptr);
        EXPECT_TRUE(form.CurrentProfile()->Category().isEmpty());
    }
}

TEST_F(NewConversionWizard, FinishingFromTheSettingsPageLeavesTheFiltersOut) {
    TFormNewConversion form(context_);
    form.show();
    form.SetSource(MediaPath("h264_aac.mp4"));
    SelectCategory(form, "MP4");
    SelectProfile(form, "MPEG-4 Video (*.mp4)");
    ASSERT_TRUE(FinishEnabledSoon(form));
    form.btnNext->click();
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(AnswerModal<gui::TFormStdFilter>([&] { form.FilterPage->actAddStd->trigger(); },
                                                     [](gui::TFormStdFilter* d) {
                                                         d->chkVFlip->click();
                                                         d->btnOk->click();
                                                     }));
    ASSERT_EQ(form.FilterPage->FilterCount(), 2);
    form.btnBack->click();
    form.btnFinish->click();
    ASSERT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.GetConversionSettings()->ConvertOptions()->FilterOptions()->VideoFilters(), "");
}

TEST_F(NewConversionWizard, AnExistingTargetIsReplacedOnlyWhenTheUserSaysSo) {
    TFormNewConversion form(context_);
    form.show();
    form.SetSource(MediaPath("h264_aac.mp4"));
    SelectCategory(form, "MP4");
    SelectProfile(form, "MPEG-4 Video (*.mp4)");
    QFile(form.edtSavePath->FileName()).open(QIODevice::WriteOnly);
    ASSERT_TRUE(FinishEnabledSoon(form));
    {
        RecordingMessageSink no(false);
        form.btnFinish->click();
        EXPECT_EQ(no.Messages().size(), 1u);
        EXPECT_TRUE(form.isVisible());
    }
    RecordingMessageSink yes(true);
    form.btnFinish->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

// The wizard filled as a user fills it gives the request `vconv convert` builds for the same
// choices, and that request converts.
TEST_F(NewConversionWizard, RequestMatchesTheCommandLineAndConverts) {
    const QString films_folder = QString::fromStdString((dir_ / "Films").string());
    const int films = store_->NewCategory("Films", films_folder, 1);
    const QString logo = QString::fromStdString((dir_ / "logo.png").string());
    QImage picture(32, 24, QImage::Format_ARGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(logo));
    const QString subtitles = MediaPath("subs.srt");
    const QString source = MediaPath("h264_aac.mp4");

    ScriptedFileChooser chooser;
    TFormNewConversion form(context_);
    form.show();
    chooser.Queue({source});
    form.edtSource->BrowseButton()->click();
    ASSERT_EQ(form.edtSource->FileName(), source);
    SelectCategory(form, "MP4");
    SelectCategory(form, "AVI");
    SelectProfile(form, "H.264 AVI (*.avi)");
    PickCategory(form.FCategoryEdit, "Films");
    const QString target = films_folder + "/h264_aac.avi";
    ASSERT_EQ(form.edtSavePath->FileName(), target);
    ASSERT_TRUE(FinishEnabledSoon(form));
    form.btnNext->click();

    // The filters in the order the command line adds them: logo, text, subtitles, standard.
    ASSERT_TRUE(AnswerModal<gui::TFormLogoFilter>([&] { form.FilterPage->actAddLogo->trigger(); },
                                                  [&](gui::TFormLogoFilter* d) {
                                                      d->edtX2->setValue(16);
                                                      d->edtY2->setValue(8);
                                                      d->edtLogo->Edit()->setText(logo);
                                                      d->btnOk->click();
                                                  }));
    ASSERT_TRUE(AnswerModal<gui::TFormTextFilter>([&] { form.FilterPage->actAddText->trigger(); },
                                                  [&](gui::TFormTextFilter* d) {
                                                      d->mmoText->setPlainText("Wizard");
                                                      d->edtFont->Edit()->setText(kFont);
                                                      d->edtSize->setValue(24);
                                                      d->cbbColor->SelectColorName("White");
                                                      // The command line has no background colour;
                                                      // the dialog keeps a hidden one (blue).
                                                      d->cbbBack->SelectColorName("Black");
                                                      d->edtX->setValue(10);
                                                      d->edtY->setValue(10);
                                                      d->btnOk->click();
                                                  }));
    QString subtitle_font;
    ASSERT_TRUE(AnswerModal<gui::TFormSubtitleFilter>([&] { form.FilterPage->actAddSubtitle->trigger(); },
                                                      [&](gui::TFormSubtitleFilter* d) {
                                                          d->edtSubtitle->Edit()->setText(subtitles);
                                                          d->SelectFontFile(kFont);
                                                          subtitle_font = d->FontFile();
                                                          d->cbColor->SelectColorName("White");
                                                          d->btnOk->click();
                                                      }));
    ASSERT_EQ(subtitle_font, kFont);
    ASSERT_TRUE(AnswerModal<gui::TFormStdFilter>([&] { form.FilterPage->actAddStd->trigger(); },
                                                 [](gui::TFormStdFilter* d) {
                                                     d->chkHFlip->click();
                                                     d->chkDrawBox->click();
                                                     d->edtX->setValue(10);
                                                     d->edtY->setValue(20);
                                                     d->edtWidth->setValue(100);
                                                     d->edtHeight->setValue(50);
                                                     d->cbColor->SelectColorName("Red");
                                                     d->btnOk->click();
                                                 }));
    ASSERT_EQ(form.FilterPage->FilterCount(), 4);
    form.btnFinish->click();
    ASSERT_EQ(form.result(), QDialog::Accepted);
    const std::unique_ptr<TConversionSettings> request = form.GetConversionSettings();
    EXPECT_EQ(request->SourceFiles(), QStringList{source});
    EXPECT_EQ(request->CategoryId(), films);
    EXPECT_EQ(request->ConvertOptions()->VideoOptions()->TopFieldFirst(), 0);

    // The same choices on the command line.
    const ProcessResult cli = RunProcess(VconvPath().string(), {"convert",
                                                                source.toStdString(),
                                                                "-o",
                                                                target.toStdString(),
                                                                "-q",
                                                                "--category",
                                                                std::to_string(films),
                                                                "--profile",
                                                                "H.264 AVI (*.avi)",
                                                                "--logo",
                                                                logo.toStdString(),
                                                                "--logo-pos",
                                                                "16,8",
                                                                "--text",
                                                                "Wizard\\n",
                                                                "--font",
                                                                kFont,
                                                                "--font-size",
                                                                "24",
                                                                "--font-color",
                                                                "white",
                                                                "--text-pos",
                                                                "10,10",
                                                                "--subtitles",
                                                                subtitles.toStdString(),
                                                                "--subtitle-font",
                                                                kFont,
                                                                "--subtitle-color",
                                                                "white",
                                                                "--hflip",
                                                                "--drawbox",
                                                                "10,20,100,50,Red"});
    ASSERT_EQ(cli.exit_code, 0) << cli.err;
    const std::vector<TStoredTask> stored = store_->LoadConvertedTask(films);
    ASSERT_EQ(stored.size(), 1u);
    TConversionSettings from_cli;
    TPersistentManager::ReadConvertSettings(from_cli, stored[0].ConvertSettings);
    // The wizard starts its options with TopFieldFirst 0; the run fills in the duration.
    EXPECT_EQ(DiffProperties(*request, from_cli,
                             {"ConvertOptions.VideoOptions.TopFieldFirst", "Duration", "SourceFileSize"})
                  .join("\n")
                  .toStdString(),
              "");
    EXPECT_FALSE(request->ConvertOptions()->FilterOptions()->VideoFilters().isEmpty());

    // The wizard's own request converts.
    QFile::remove(target);
    TAVConverter converter;
    converter.SetInputFiles(request->SourceFiles());
    converter.SetOutputFiles({request->TargetFile()});
    converter.SetConvertOptions(request->ConvertOptions());
    converter.Start(nullptr);
    ASSERT_TRUE(converter.WaitForIdle(120000));
    EXPECT_EQ(converter.LastError(), "");
    EXPECT_EQ(ProbeStreams(target.toStdString()), (std::vector<std::string>{"video:h264", "audio:mp3"}));
    EXPECT_EQ(
        Ffprobe(target.toStdString(), {"-select_streams", "v:0", "-show_entries", "stream=width,height"}),
        "640,480\n");
    EXPECT_TRUE(DecodesCleanly(target.toStdString()));
}

// A picture-sequence profile chosen in the wizard writes numbered pictures through the image muxer,
// as `vconv convert --profile "JPEG Sequence"` does.
TEST_F(NewConversionWizard, AnImageSequenceProfileWritesNumberedPicturesLikeTheCommandLine) {
    const QString pictures_folder = QString::fromStdString((dir_ / "Pictures").string());
    QDir().mkpath(pictures_folder);
    const int pictures = store_->NewCategory("Pictures", pictures_folder, 1);
    const QString source = MediaPath("h264_aac.mp4");
    ScriptedFileChooser chooser;
    chooser.Queue({source});
    TFormNewConversion form(context_);
    form.show();
    form.edtSource->BrowseButton()->click();
    SelectCategory(form, "Images");
    SelectProfile(form, "JPEG Sequence");
    PickCategory(form.FCategoryEdit, "Pictures");
    const QString target = pictures_folder + "/h264_aac1.jpg";
    ASSERT_EQ(form.edtSavePath->FileName(), target);
    ASSERT_TRUE(FinishEnabledSoon(form));
    form.btnFinish->click();
    ASSERT_EQ(form.result(), QDialog::Accepted);
    const std::unique_ptr<TConversionSettings> request = form.GetConversionSettings();
    EXPECT_TRUE(WritesImageSequence(*request->ConvertOptions()));

    const ProcessResult cli = RunProcess(
        VconvPath().string(), {"convert", source.toStdString(), "-o", target.toStdString(), "-q",
                               "--category", std::to_string(pictures), "--profile", "JPEG Sequence"});
    ASSERT_EQ(cli.exit_code, 0) << cli.err;
    const std::vector<TStoredTask> stored = store_->LoadConvertedTask(pictures);
    ASSERT_EQ(stored.size(), 1u);
    TConversionSettings from_cli;
    TPersistentManager::ReadConvertSettings(from_cli, stored[0].ConvertSettings);
    // The command line keeps the numbered pattern as its target, the wizard the first picture's
    // name; a task writes both to the same pattern.
    EXPECT_EQ(DiffProperties(
                  *request, from_cli,
                  {"ConvertOptions.VideoOptions.TopFieldFirst", "Duration", "SourceFileSize", "TargetFile"})
                  .join("\n")
                  .toStdString(),
              "");
    TAVConvertOptions scratch;
    scratch.Assign(request->ConvertOptions());
    EXPECT_EQ(ImageSequenceOutputName(request->TargetFile(), &scratch),
              ImageSequenceOutputName(from_cli.TargetFile(), &scratch));

    // The wizard's request, run as a task runs it, writes "h264_aac1.jpg", "h264_aac2.jpg", ...
    for (const QString& name : QDir(pictures_folder).entryList(QDir::Files))
        QFile::remove(pictures_folder + "/" + name);
    TAVConverter converter;
    converter.SetInputFiles(request->SourceFiles());
    converter.SetConvertOptions(request->ConvertOptions());
    converter.SetOutputFiles({ImageSequenceOutputName(request->TargetFile(), converter.ConvertOptions())});
    converter.Start(nullptr);
    ASSERT_TRUE(converter.WaitForIdle(120000));
    EXPECT_EQ(converter.LastError(), "");
    EXPECT_GE(QDir(pictures_folder).entryList({"h264_aac*.jpg"}, QDir::Files).size(), 2);
    EXPECT_FALSE(QFile::exists(pictures_folder + "/h264_aac%d.jpg"));
    for (const char* name : {"h264_aac1.jpg", "h264_aac2.jpg"})
        EXPECT_EQ(ProbeStreams((pictures_folder + "/" + name).toStdString()),
                  std::vector<std::string>{"video:mjpeg"})
            << name;
}

} // namespace
} // namespace vc::test
