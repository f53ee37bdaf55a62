// The profile editor: what it lists, how edits reach the profiles, and Profiles.ini.
#include "wizard_fixture.h"

#include "engine/converter/converter.h"
#include "gui/wizards/new_conversion_wizard.h"
#include "gui/wizards/profile_chooser.h"
#include "gui/wizards/profile_editor.h"
#include "gui/wizards/profile_frame.h"
#include "model/profiles/profile.h"
#include "model/profiles/user_profiles.h"
#include "model/settings/conversion_settings.h"
#include "support/recording_message_sink.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>

namespace vc::test {
namespace {

using gui::TFormEditProfile;

QStringList Texts(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

using ProfileEditor = WizardTest;

TEST_F(ProfileEditor, ListsEditableProfilesByCategoryWithoutImages) {
    TFormEditProfile editor(*catalogue_, UserProfilesPath());
    EXPECT_FALSE(Texts(editor.lstCategory).contains("Images"));
    EXPECT_EQ(editor.lstCategory->count(), catalogue_->Categories().size() - 1);

    editor.OpenOnProfile(catalogue_->FindProfile("AAC Audio"));
    EXPECT_EQ(editor.lstCategory->currentItem()->text(), "音频");
    EXPECT_EQ(editor.lstProfile->count(), 8);
    EXPECT_EQ(editor.lstProfile->currentItem()->text(), "AAC Audio");
    for (QComboBox* video : {editor.FrameProfile->cbbFrameSize, editor.FrameProfile->cbbVideoEncoder,
                             editor.FrameProfile->cbbFrameRate, editor.FrameProfile->cbbVideoBitrate}) {
        EXPECT_FALSE(video->isEnabled());
        EXPECT_EQ(video->currentIndex(), -1);
    }
    EXPECT_EQ(editor.FrameProfile->cbbAudioBitrate->currentText(), "128");

    // Target profiles are not editable: "VCD" lists one profile, "DV" none.
    editor.lstCategory->setCurrentItem(editor.lstCategory->findItems("VCD", Qt::MatchExactly).first());
    EXPECT_EQ(Texts(editor.lstProfile), QStringList{"VOB MPEG2 PS Format (*.vob)"});
    editor.lstCategory->setCurrentItem(editor.lstCategory->findItems("DV", Qt::MatchExactly).first());
    EXPECT_EQ(editor.lstProfile->count(), 0);
}

TEST_F(ProfileEditor, AnyChangeWritesEveryControlSoASizeOutsideTheTableBecomesOriginal) {
    auto* gphone =
        qobject_cast<TAVCustomVideoProfile*>(catalogue_->FindProfile("Gphone H.264/MPEG4 AVC Video (*.mp4)"));
    ASSERT_NE(gphone, nullptr);
    ASSERT_EQ(gphone->FrameWidth(), 320);
    ASSERT_EQ(gphone->FrameHeight(), 0);
    TFormEditProfile editor(*catalogue_, UserProfilesPath());
    editor.OpenOnProfile(gphone);
    EXPECT_EQ(editor.FrameProfile->cbbFrameSize->currentText(), "Original");
    EXPECT_EQ(gphone->FrameWidth(), 320); // loading writes nothing
    editor.FrameProfile->cbbAudioEncoder->setCurrentText("MP3");
    EXPECT_EQ(gphone->AudioEncoder(), TAVCustomAudioProfile::MP3);
    EXPECT_EQ(gphone->FrameWidth(), 0);
    EXPECT_EQ(gphone->FrameHeight(), 0);

    // The description as typed names the list item; the profile keeps it trimmed.
    editor.FrameProfile->edtDescript->setText(" Gphone MP3 ");
    EXPECT_EQ(editor.lstProfile->currentItem()->text(), " Gphone MP3 ");
    EXPECT_EQ(gphone->Description(), "Gphone MP3");
}

TEST_F(ProfileEditor, DeletingTheLastProfileOfACategoryLeavesNoneAndTheWizardCopes) {
    TAVProfile* vob = catalogue_->FindProfile("VOB MPEG2 PS Format (*.vob)");
    ASSERT_NE(vob, nullptr);
    TFormEditProfile editor(*catalogue_, UserProfilesPath());
    editor.OpenOnProfile(vob);
    {
        RecordingMessageSink no(false);
        editor.DeleteProfile();
        EXPECT_TRUE(no.Contains("Are you sure to delete the profile?"));
        EXPECT_EQ(editor.lstProfile->count(), 1);
    }
    RecordingMessageSink yes(true);
    editor.DeleteProfile();
    EXPECT_EQ(editor.lstProfile->count(), 0);
    EXPECT_EQ(editor.CurrentProfile(), nullptr);
    EXPECT_EQ(catalogue_->FindProfile("VOB MPEG2 PS Format (*.vob)"), nullptr);
    editor.FrameProfile->cbbAudioEncoder->setCurrentIndex(1); // writes into nothing

    // The wizard shows what the editor handed back: nothing, so its list is rebuilt without it.
    gui::TFormNewConversion form(context_);
    form.Chooser->cbbCategory->setCurrentIndex(form.Chooser->cbbCategory->findText("VCD"));
    form.Chooser->ShowEditedProfile(nullptr);
    EXPECT_EQ(form.Chooser->cbbProfile->findText("VOB MPEG2 PS Format (*.vob)"), -1);
    EXPECT_EQ(form.Chooser->cbbProfile->currentIndex(), 0);
}

TEST_F(ProfileEditor, NewVideoProfileRoundTripsThroughTheFileAndConverts) {
    const QString path = UserProfilesPath();
    QFile::remove(path);
    TFormEditProfile editor(*catalogue_, path);
    editor.OpenOnProfile(catalogue_->FindProfile("MPEG-4 Video (*.mp4)"));
    const int before = static_cast<int>(catalogue_->ProfilesInCategory("MP4").size());
    editor.actNewVideo->trigger();
    auto* created = qobject_cast<TAVCustomVideoProfile*>(editor.CurrentProfile());
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->Description(), "New Video Profile");
    EXPECT_EQ(created->Category(), "MP4");
    EXPECT_EQ(editor.lstProfile->currentItem()->text(), "New Video Profile");

    gui::TFrameProfile& frame = *editor.FrameProfile;
    frame.edtDescript->setText("Wizard Test MP4");
    frame.cbbFormat->setCurrentText("MP4");
    frame.edtExtension->setText(".mp4");
    frame.cbbSampleRate->setCurrentText("44100");
    frame.cbbAudioEncoder->setCurrentText("AAC");
    frame.cbbChannels->setCurrentText("stereo");
    frame.cbbAudioBitrate->setCurrentText("96");
    frame.cbbFrameSize->setCurrentIndex(frame.cbbFrameSize->findText("qvga", Qt::MatchStartsWith));
    frame.cbbVideoEncoder->setCurrentText("H264");
    frame.cbbFrameRate->setCurrentText("25");
    frame.cbbVideoBitrate->setCurrentText("512");
    EXPECT_EQ(created->FrameWidth(), 320);
    EXPECT_EQ(created->VideoBitrate(), 512);
    // At the end of its category in the wizards at once; in the file only after "保存退出".
    EXPECT_EQ(catalogue_->ProfilesInCategory("MP4").back(), created);
    EXPECT_EQ(static_cast<int>(catalogue_->ProfilesInCategory("MP4").size()), before + 1);
    EXPECT_FALSE(QFile::exists(path));
    editor.actSave->trigger();
    EXPECT_EQ(editor.result(), QDialog::Accepted);
    ASSERT_TRUE(QFile::exists(path));

    // The file read into a fresh catalogue gives the same profile.
    const std::unique_ptr<TAVProfileList> reread = LoadCatalogue(path);
    auto* loaded = qobject_cast<TAVCustomVideoProfile*>(reread->FindProfile("Wizard Test MP4"));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(DiffProperties(*created, *loaded), QStringList());

    // Chosen in the wizard (the last of its category) it converts.
    gui::TFormNewConversion form(context_);
    form.show();
    form.SetSource(QFileInfo(QString::fromStdString(Media("h264_aac.mp4").string())).canonicalFilePath());
    form.Chooser->cbbCategory->setCurrentIndex(form.Chooser->cbbCategory->findText("MP4"));
    form.Chooser->cbbProfile->setCurrentIndex(form.Chooser->cbbProfile->count() - 1);
    ASSERT_EQ(form.CurrentProfile(), created);
    EXPECT_TRUE(form.Chooser->btnEditProfile->isEnabled());
    form.UpdateEnabling();
    form.btnFinish->click();
    ASSERT_EQ(form.result(), QDialog::Accepted);
    const std::unique_ptr<TConversionSettings> request = form.GetConversionSettings();
    EXPECT_EQ(request->Profile(), "Wizard Test MP4");
    TAVConverter converter;
    converter.SetInputFiles(request->SourceFiles());
    converter.SetOutputFiles({request->TargetFile()});
    converter.SetConvertOptions(request->ConvertOptions());
    converter.Start(nullptr);
    ASSERT_TRUE(converter.WaitForIdle(120000));
    EXPECT_EQ(converter.LastError(), "");
    const std::string out = request->TargetFile().toStdString();
    EXPECT_EQ(ProbeStreams(out), (std::vector<std::string>{"video:h264", "audio:aac"}));
    EXPECT_EQ(Ffprobe(out, {"-select_streams", "v:0", "-show_entries", "stream=width,height"}), "320,240\n");
}

} // namespace
} // namespace vc::test
