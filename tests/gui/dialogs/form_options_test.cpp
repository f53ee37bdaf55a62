#include "dialog_test_support.h"
#include "gui/dialogs/form_options.h"
#include "gui/dialogs/form_setup_wizard.h"
#include "model/settings/configuration.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace vc::gui {
namespace {

struct Settings {
    QString folder;
    bool show_alert;
    int thread_count;
    int priority;
};

void Put(TAVConfiguration& config, const Settings& s) {
    config.SetOutputFolder(s.folder);
    config.SetShowAlert(s.show_alert);
    config.PerformanceOptions()->SetThreadCount(s.thread_count);
    config.PerformanceOptions()->SetThreadPrority(s.priority);
}

void ExpectSettings(const TAVConfiguration& config, const Settings& s) {
    EXPECT_EQ(config.OutputFolder(), s.folder);
    EXPECT_EQ(config.ShowAlert(), s.show_alert);
    EXPECT_EQ(config.PerformanceOptions()->ThreadCount(), s.thread_count);
    EXPECT_EQ(config.PerformanceOptions()->ThreadPrority(), s.priority);
}

TEST(FormOptions, ShowsTheFourSettingsAndOkWritesThemBackAndSaves) {
    test::ScopedAppData app_data;
    // Each step starts from the previous one's values; priorities stay at or below normal so the
    // test process is not asked for more than it may have.
    const std::vector<Settings> steps = {
        {app_data.Path("out one"), true, 0, 2},
        {app_data.Path("输出/视频"), false, 32, 1},
        {app_data.Path("third"), true, 1, 0},
        {app_data.Path("back"), false, 0, 2},
    };
    TAVConfiguration config;
    Put(config, steps[0]);
    for (size_t i = 1; i < steps.size(); ++i) {
        SCOPED_TRACE(i);
        TFormOptions form(config, nullptr);
        form.show();
        const Settings& was = steps[i - 1];
        EXPECT_EQ(form.OutputFolderEdit()->text(), was.folder);
        EXPECT_EQ(form.ShowAlertBox()->isChecked(), was.show_alert);
        EXPECT_EQ(form.ThreadCountList()->currentIndex(), was.thread_count);
        EXPECT_EQ(form.PrioritySlider()->value(), was.priority);

        const Settings& next = steps[i];
        form.OutputFolderEdit()->setText("  " + next.folder + " ");
        form.ShowAlertBox()->setChecked(next.show_alert);
        form.ThreadCountList()->setCurrentIndex(next.thread_count);
        form.PrioritySlider()->setValue(next.priority);
        form.OkButton()->click();
        EXPECT_EQ(form.result(), QDialog::Accepted);
        ExpectSettings(config, next);

        TAVConfiguration stored;
        stored.LoadFromFile(TAVConfiguration::GetConfigFile());
        ExpectSettings(stored, next);
    }
}

TEST(FormOptions, CancelChangesNothingAndSavesNothing) {
    test::ScopedAppData app_data;
    TAVConfiguration config;
    const Settings before{app_data.Path("kept"), true, 4, 2};
    Put(config, before);
    TFormOptions form(config, nullptr);
    form.show();
    form.OutputFolderEdit()->setText("/elsewhere");
    form.ShowAlertBox()->setChecked(false);
    form.ThreadCountList()->setCurrentIndex(9);
    form.PrioritySlider()->setValue(0);
    form.CancelButton()->click();
    EXPECT_EQ(form.result(), QDialog::Rejected);
    ExpectSettings(config, before);
    EXPECT_FALSE(QFile::exists(TAVConfiguration::GetConfigFile()));
}

TEST(FormOptions, ListsAndPagesAreAsOffered) {
    test::ScopedAppData app_data;
    TAVConfiguration config;
    TFormOptions form(config, nullptr);
    form.show();
    EXPECT_EQ(form.windowTitle(), "设置");
    // Automatic, then 1 to 32.
    ASSERT_EQ(form.ThreadCountList()->count(), 33);
    EXPECT_EQ(form.ThreadCountList()->itemText(0), "Automatic(use all CPU(s))");
    EXPECT_EQ(form.ThreadCountList()->itemText(32), "32");
    EXPECT_EQ(form.PrioritySlider()->minimum(), 0);
    EXPECT_EQ(form.PrioritySlider()->maximum(), 5);
    EXPECT_FALSE(form.PrioritySlider()->toolTip().isEmpty());

    QTreeWidget* tree = form.PageTree();
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), "常规");
    EXPECT_EQ(tree->topLevelItem(1)->text(0), "性能（默认就好不建议更改）");
    EXPECT_EQ(tree->currentItem(), tree->topLevelItem(0));
    EXPECT_EQ(form.Pages()->currentIndex(), 0);
    tree->setCurrentItem(tree->topLevelItem(1));
    EXPECT_EQ(form.Pages()->currentIndex(), 1);
    EXPECT_TRUE(form.Pages()->currentWidget()->isAncestorOf(form.ThreadCountList()));
}

TEST(FormOptions, NumbersOfAHandEditedFileAreBoundedToTheControls) {
    test::ScopedAppData app_data;
    TAVConfiguration config;
    struct Case {
        int count, priority, shown_count, shown_priority;
    };
    for (const Case& c : {Case{99, 9, 32, 5}, Case{-4, -1, 0, 0}}) {
        config.PerformanceOptions()->SetThreadCount(c.count);
        config.PerformanceOptions()->SetThreadPrority(c.priority);
        TFormOptions form(config, nullptr);
        EXPECT_EQ(form.ThreadCountList()->currentIndex(), c.shown_count);
        EXPECT_EQ(form.PrioritySlider()->value(), c.shown_priority);
    }
}

TEST(FormOptions, TheSetupWizardRunsAgainFromThePerformancePage) {
    test::ScopedAppData app_data;
    TAVConfiguration config;
    config.SetFirstRun(false);
    TFormOptions form(config, nullptr);
    form.show();
    ASSERT_TRUE(form.ShowAlertBox()->isChecked());
    bool wizard_seen = false;
    test::WhenModalOpens<TFormSetupWizard>([&](TFormSetupWizard* wizard) {
        wizard_seen = true;
        wizard->ShowAlertBox()->setChecked(false);
        wizard->MultiCoreBox()->setChecked(false);
        wizard->OkButton()->click();
    });
    form.SetupWizardButton()->click();
    EXPECT_TRUE(wizard_seen);
    // The wizard's choices are in the configuration and on the options page.
    EXPECT_FALSE(config.ShowAlert());
    EXPECT_EQ(config.PerformanceOptions()->ThreadCount(), 1);
    EXPECT_FALSE(form.ShowAlertBox()->isChecked());
    EXPECT_EQ(form.ThreadCountList()->currentIndex(), 1);
    EXPECT_TRUE(form.isVisible());
}

} // namespace
} // namespace vc::gui
