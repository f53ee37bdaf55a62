// The new-conversion wizard's preview and its "DVD" tab: the marks trim the request, and a DVD
// title is listed, previewed, named and converted from the authored test disc.
#include "wizard_fixture.h"

#include "engine/options/convert_options.h"
#include "gui/preview/frame_preview.h"
#include "gui/widgets/dvd_combo.h"
#include "gui/wizards/dvd_source_tab.h"
#include "gui/wizards/file_edit.h"
#include "gui/wizards/new_conversion_wizard.h"
#include "gui/wizards/profile_chooser.h"
#include "model/settings/conversion_settings.h"
#include "support/gui_test.h"
#include "support/recording_message_sink.h"
#include "tasks/av_task.h"
#include "tasks/node_object.h"
#include "tasks/task_tree.h"
#include "tasks/task_view.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

#include <limits>

namespace vc::test {
namespace {

using gui::TFormNewConversion;
using gui::TFramePreview;

constexpr RefTime kSecond = kUnitsPerSecond;

QString DvdPath(const char* name) {
    return QString::fromStdString((MediaDir() / "dvd" / name).string());
}

QStringList Items(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

void SelectIn(QComboBox* box, const QString& text) {
    const int index = box->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    box->setCurrentIndex(index);
}

class WizardPreview : public WizardTest {
protected:
    void SetUp() override {
        WizardTest::SetUp();
        form = std::make_unique<TFormNewConversion>(context_);
        form->show();
        SelectIn(form->Chooser->cbbCategory, "MP4");
        SelectIn(form->Chooser->cbbProfile, "MPEG-4 Video (*.mp4)");
        form->tabDvd->FCbbDvd->SetLocationChooser([this](QWidget*) { return chosen; });
    }
    void TearDown() override {
        form.reset();
        WizardTest::TearDown();
    }

    // Chooses `location` through the drive list's picking entry, as the user does.
    void ChooseDisc(const QString& location) {
        form->tabSource->setCurrentWidget(form->tabDvd);
        chosen = location;
        gui::TDvdCombo* combo = form->tabDvd->FCbbDvd;
        emit combo->activated(combo->count() - 1);
    }
    // Waits for the preview's background open; its outcome.
    bool PreviewOpened(QSignalSpy& opened) {
        if (!RunEventsUntil([&] { return !opened.isEmpty(); }))
            return false;
        return opened.takeFirst().first().toBool();
    }

    RecordingMessageSink sink;
    std::unique_ptr<TFormNewConversion> form;
    QString chosen;
};

TEST_F(WizardPreview, TheMarksTrimTheRequestAndFinishingStopsThePreview) {
    QSignalSpy opened(form->FramePreview, &TFramePreview::Opened);
    form->SetSource(QString::fromStdString(Media("flash_beep.mp4").string()));
    ASSERT_TRUE(PreviewOpened(opened));
    EXPECT_EQ(form->FramePreview->StartLabel()->text(), "开始[0:0:0]");

    TFramePreview& preview = *form->FramePreview;
    preview.Pause();
    preview.SeekTo(10 * kSecond);
    RunEventsFor(std::chrono::milliseconds(150));
    preview.SetStartAction()->trigger();
    auto start_only = form->GetConversionSettings();
    EXPECT_EQ(start_only->ConvertOptions()->StartTime(), 10000000);
    EXPECT_EQ(start_only->ConvertOptions()->RecordingTime(), std::numeric_limits<int64_t>::max());

    preview.SeekTo(70 * kSecond);
    RunEventsFor(std::chrono::milliseconds(150));
    preview.SetEndAction()->trigger();
    form->Finish();
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_FALSE(preview.Graph().Active()) << "the preview plays on after the wizard closed";
    auto both = form->GetConversionSettings();
    EXPECT_EQ(both->ConvertOptions()->StartTime(), 10000000);
    EXPECT_EQ(both->ConvertOptions()->RecordingTime(), 60000000);
    EXPECT_EQ(both->SourceType(), TConversionSettings::stFile);
}

TEST_F(WizardPreview, ADvdTitleIsListedPreviewedAndNamedAfterTheDisc) {
    QSignalSpy opened(form->FramePreview, &TFramePreview::Opened);
    ChooseDisc(DvdPath("disc"));
    gui::TDvdSourceTab& tab = *form->tabDvd;
    EXPECT_EQ(Items(tab.cbbTitle), QStringList({"1(00:00:25)", "2(00:00:08)"}));
    EXPECT_EQ(Items(tab.cbbAngle), QStringList({"1"}));
    EXPECT_EQ(Items(tab.cbbChapter), QStringList({"1", "2", "3", "4", "5"}));
    EXPECT_EQ(tab.cbbChapter->currentText(), "1");
    EXPECT_EQ(tab.cbbThrough->currentText(), "5");
    EXPECT_EQ(form->edtSavePath->FileName(), root_folder_ + "/disc_1.mp4");
    ASSERT_TRUE(PreviewOpened(opened)) << "the title does not play in the preview";
    EXPECT_TRUE(form->FramePreview->Graph().Active());
    EXPECT_TRUE(sink.Messages().empty());

    tab.cbbTitle->setCurrentIndex(1);
    EXPECT_EQ(Items(tab.cbbChapter), QStringList({"1"}));
    EXPECT_EQ(tab.cbbThrough->currentText(), "1");
    EXPECT_EQ(form->edtSavePath->FileName(), root_folder_ + "/disc_2.mp4");
    EXPECT_TRUE(PreviewOpened(opened));

    // A start chapter after the end chapter leaves nothing to convert.
    tab.cbbTitle->setCurrentIndex(0);
    SelectIn(tab.cbbChapter, "4");
    SelectIn(tab.cbbThrough, "2");
    EXPECT_FALSE(tab.SourceValid());
}

TEST_F(WizardPreview, AFolderThatIsNoDiscIsRefusedOnceAndReadAgainAfterAnotherDisc) {
    const QString folder = QString::fromStdString((dir_ / "Conversion").string());
    ChooseDisc(folder);
    EXPECT_TRUE(sink.Contains("Can not open DVD"));
    gui::TDvdSourceTab& tab = *form->tabDvd;
    EXPECT_EQ(tab.cbbTitle->count(), 0);
    EXPECT_EQ(tab.cbbChapter->count(), 0);
    EXPECT_TRUE(tab.isEnabled());
    QTest::qWait(400); // the enabling check
    EXPECT_FALSE(form->btnFinish->isEnabled());

    sink.Clear();
    ChooseDisc(folder);
    EXPECT_TRUE(sink.Messages().empty()) << "the same place was read again";

    ChooseDisc(DvdPath("disc"));
    EXPECT_EQ(tab.cbbTitle->count(), 2);
    ChooseDisc(folder);
    EXPECT_TRUE(sink.Contains("Can not open DVD"));
    EXPECT_EQ(tab.cbbTitle->count(), 0);
}

// The request's task reads the title through a stream of its own: the wizard may be gone.
TEST_F(WizardPreview, ADvdRequestConvertsItsChapterRangeAfterTheWizardIsGone) {
    ChooseDisc(DvdPath("disc.iso"));
    gui::TDvdSourceTab& tab = *form->tabDvd;
    SelectIn(tab.cbbChapter, "2");
    SelectIn(tab.cbbThrough, "3");
    EXPECT_EQ(form->edtSavePath->FileName(), root_folder_ + "/TESTDVD_1.mp4");
    QTest::qWait(400);
    form->Finish();
    ASSERT_EQ(form->result(), QDialog::Accepted);
    auto request = form->GetConversionSettings();
    EXPECT_EQ(request->SourceType(), TConversionSettings::stDvd);
    EXPECT_TRUE(request->SourceFiles().value(0).startsWith("stream:"));
    EXPECT_EQ(request->DvdDriver(), DvdPath("disc.iso"));
    EXPECT_EQ(request->DvdTitle(), 1);
    EXPECT_EQ(request->DvdChapter(), 2);
    EXPECT_EQ(request->DvdThrough(), 3);
    EXPECT_EQ(request->DvdAngle(), 1);
    EXPECT_EQ(request->DvdVolume(), "TESTDVD");
    form.reset();

    TTaskView view;
    TTaskTree tree(*store_, view);
    TConvertingNode& node = tree.ConvertingNode();
    TAVTask* task = node.NewConversion(*request, nullptr);
    ASSERT_NE(task, nullptr);
    ASSERT_TRUE(RunEventsUntil([&] { return node.Tasks().empty(); }, std::chrono::seconds(180)))
        << task->LogText().toStdString();
    // Chapters 2 and 3 run from 4.8 s to 15.0 s on the disc (chapter marks snap to picture groups);
    // the whole title is 25 s, one chapter 5 s.
    EXPECT_NEAR(ProbeDuration(dir_ / "Conversion" / "TESTDVD_1.mp4"), 10.2, 0.9);
}

} // namespace
} // namespace vc::test
