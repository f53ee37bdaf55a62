#include "dialog_test_support.h"
#include "gui/dialogs/form_setup_wizard.h"
#include "model/settings/configuration.h"

#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <gtest/gtest.h>

namespace vc::gui {
namespace {

TEST(FormSetupWizard, TheButtonTakesTheChoicesAndEveryCloseClearsFirstRun) {
    struct Case {
        const char* name;
        int thread_count_before;
        bool alert_box, multi_core_box, press_button;
        bool show_alert_after;
        int thread_count_after;
    };
    const Case cases[] = {
        {"both kept", 0, true, true, true, true, 0},
        {"alert off", 0, false, true, true, false, 0},
        {"one core", 6, true, false, true, true, 1},
        {"all cores again", 1, true, true, true, true, 0},
        {"a fixed count stays", 6, true, true, true, true, 6},
        {"closed without the button", 0, false, false, false, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScopedAppData app_data;
        TAVConfiguration config;
        config.PerformanceOptions()->SetThreadCount(c.thread_count_before);
        TFormSetupWizard wizard(config, nullptr);
        wizard.show();
        EXPECT_EQ(wizard.windowTitle(), "设置向导");
        EXPECT_TRUE(wizard.ShowAlertBox()->isChecked());
        EXPECT_EQ(wizard.MultiCoreBox()->isChecked(), c.thread_count_before != 1);
        wizard.ShowAlertBox()->setChecked(c.alert_box);
        wizard.MultiCoreBox()->setChecked(c.multi_core_box);
        if (c.press_button)
            wizard.OkButton()->click();
        else
            wizard.reject(); // Esc or the window's close box

        EXPECT_FALSE(wizard.isVisible());
        EXPECT_FALSE(config.FirstRun());
        EXPECT_EQ(config.ShowAlert(), c.show_alert_after);
        EXPECT_EQ(config.PerformanceOptions()->ThreadCount(), c.thread_count_after);
        // Saved at once.
        TAVConfiguration stored;
        stored.LoadFromFile(TAVConfiguration::GetConfigFile());
        EXPECT_FALSE(stored.FirstRun());
        EXPECT_EQ(stored.ShowAlert(), c.show_alert_after);
        EXPECT_EQ(stored.PerformanceOptions()->ThreadCount(), c.thread_count_after);
    }
}

TEST(FormSetupWizard, ShownAtTheFirstStartOnly) {
    test::ScopedAppData app_data;
    TAVConfiguration& config = AVConfiguration();
    config.SetFirstRun(true);
    int shown = 0;
    test::WhenModalOpens<TFormSetupWizard>([&](TFormSetupWizard* wizard) {
        ++shown;
        wizard->OkButton()->click();
    });
    EXPECT_TRUE(TFormSetupWizard::ExecuteOnFirstRun(nullptr));
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(config.FirstRun());
    EXPECT_TRUE(QFile::exists(TAVConfiguration::GetConfigFile()));

    // The next start: no wizard.
    EXPECT_FALSE(TFormSetupWizard::ExecuteOnFirstRun(nullptr));
    EXPECT_EQ(shown, 1);
}

} // namespace
} // namespace vc::gui
