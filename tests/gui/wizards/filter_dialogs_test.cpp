// The filter dialogs and the filter page: what a confirmed dialog puts into its filter.
#include "wizard_fixture.h"

#include "support/gui_test.h"

#include "gui/wizards/color_box.h"
#include "gui/wizards/file_edit.h"
#include "gui/wizards/filter_dialogs.h"
#include "gui/wizards/filter_page.h"
#include "gui/wizards/logo_filter_dialog.h"
#include "gui/wizards/std_filter_dialog.h"
#include "gui/wizards/subtitle_filter_dialog.h"
#include "gui/wizards/text_filter_dialog.h"
#include "model/filters/video_filters.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

namespace vc::test {
namespace {

using namespace vc::gui;

constexpr const char* kFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

TEST(FilterDialogs, StandardDialogEnablingAndTheBoxFragment) {
    TVideoStdFilter filter;
    ASSERT_TRUE(AnswerModal<TFormStdFilter>([&] { ExecuteFilter(filter, nullptr); },
                                            [](TFormStdFilter* d) {
                                                EXPECT_FALSE(d->btnOk->isEnabled());
                                                EXPECT_FALSE(d->edtDegree->isEnabled());
                                                EXPECT_EQ(d->edtDegree->value(), 45);
                                                EXPECT_FALSE(d->pnlBox->isEnabled());
                                                EXPECT_EQ(d->cbColor->ColorName(), "Black");
                                                d->chkDrawBox->click();
                                                EXPECT_TRUE(d->pnlBox->isEnabled());
                                                EXPECT_TRUE(d->btnOk->isEnabled());
                                                d->edtX->setValue(10);
                                                d->edtY->setValue(20);
                                                d->edtWidth->setValue(100);
                                                d->edtHeight->setValue(50);
                                                d->cbColor->SelectColorName("Red");
                                                d->btnOk->click();
                                            }));
    EXPECT_EQ(filter.GetFilterString(), "drawbox=10:20:100:50:Red");

    // Editing opens on the filter's values, the colour by its name.
    filter.SetBColor("Navy");
    ASSERT_TRUE(AnswerModal<TFormStdFilter>([&] { EditFilter(filter, nullptr); },
                                            [](TFormStdFilter* d) {
                                                EXPECT_EQ(d->cbColor->ColorName(), "Navy");
                                                EXPECT_TRUE(d->chkDrawBox->isChecked());
                                                EXPECT_EQ(d->edtWidth->value(), 100);
                                                d->btnCancel->click();
                                            }));
    EXPECT_EQ(filter.BColor(), "Navy");
}

TEST(FilterDialogs, TextLinesEndInCrLfAndConfirmWantsTextAndAnExistingFont) {
    TOverlayTextFilter filter;
    ASSERT_TRUE(AnswerModal<TFormTextFilter>([&] { ExecuteFilter(filter, nullptr); },
                                             [](TFormTextFilter* d) {
                                                 EXPECT_EQ(d->edtSize->value(), 16);
                                                 EXPECT_EQ(d->cbbColor->ColorName(), "Yellow");
                                                 d->mmoText->setPlainText("A\nB");
                                                 EXPECT_FALSE(d->btnOk->isEnabled());
                                                 d->edtFont->Edit()->setText("/no/such/font.ttf");
                                                 EXPECT_FALSE(d->btnOk->isEnabled());
                                                 d->edtFont->Edit()->setText(kFont);
                                                 EXPECT_TRUE(d->btnOk->isEnabled());
                                                 d->mmoText->setPlainText("  \n ");
                                                 EXPECT_FALSE(d->btnOk->isEnabled());
                                                 d->mmoText->setPlainText("A\nB");
                                                 d->btnOk->click();
                                             }));
    EXPECT_EQ(filter.Text(), "A\r\nB\r\n");
    EXPECT_EQ(filter.FontColor(), TColorBox::StandardColor("Yellow"));
    EXPECT_EQ(filter.BgColor(), TColorBox::StandardColor("Blue"));
    // Edit shows the two lines again.
    ASSERT_TRUE(AnswerModal<TFormTextFilter>([&] { EditFilter(filter, nullptr); },
                                             [](TFormTextFilter* d) {
                                                 EXPECT_EQ(d->mmoText->toPlainText(), "A\nB");
                                                 d->btnOk->click();
                                             }));
    EXPECT_EQ(filter.Text(), "A\r\nB\r\n");
}

TEST(FilterDialogs, SubtitleFontListCodePagesAndAnEmptyCodePage) {
    TSubtitleFilter filter;
    const QString subtitles = QString::fromStdString(Media("subs.srt").string());
    ASSERT_TRUE(AnswerModal<TFormSubtitleFilter>([&] { ExecuteFilter(filter, nullptr); },
                                                 [&](TFormSubtitleFilter* d) {
                                                     // Installed fonts with their files; the first one
                                                     // chosen.
                                                     ASSERT_GT(d->cbbFont->count(), 0);
                                                     EXPECT_EQ(d->cbbFont->currentIndex(), 0);
                                                     EXPECT_TRUE(QFileInfo(d->FontFile()).isAbsolute());
                                                     EXPECT_EQ(d->cbbCodePage->currentText(), "");
                                                     EXPECT_EQ(d->cbbCodePage->count(), 67);
                                                     EXPECT_GE(d->cbbCodePage->findText("GB18030"), 0);
                                                     EXPECT_FALSE(d->btnOk->isEnabled());
                                                     d->edtSubtitle->Edit()->setText(subtitles);
                                                     EXPECT_TRUE(d->btnOk->isEnabled());
                                                     d->SelectFontFile(QString(kFont).toUpper());
                                                     EXPECT_EQ(d->FontFile(), kFont); // letter case ignored
                                                     d->btnOk->click();
                                                 }));
    EXPECT_EQ(filter.SubtitleFile(), subtitles);
    EXPECT_EQ(filter.FontFile(), kFont);
    EXPECT_EQ(filter.CodePage(), "");
    EXPECT_FALSE(filter.GetFilterString().contains("codepage")) << filter.GetFilterString().toStdString();
}

TEST(FilterDialogs, DISABLED_LogoPreviewAndConfirmOnlyForAnExistingFile) {
    TempDir dir;
    const QString logo = QString::fromStdString((dir / "logo.png").string());
    QImage picture(40, 20, QImage::Format_ARGB32);
    picture.fill(Qt::green);
    ASSERT_TRUE(picture.save(logo));
    TLogoFilter filter;
    ASSERT_TRUE(AnswerModal<TFormLogoFilter>(
        [&] { ExecuteFilter(filter, nullptr); },
        [&](TFormLogoFilter* d) {
            EXPECT_FALSE(d->btnOk->isEnabled());
            // The open dialog shows the highlighted picture.
            ASSERT_TRUE(AnswerModal<QFileDialog>(
                [&] { d->edtLogo->Browse(); },
                [&](QFileDialog* f) {
                    f->setDirectory(QFileInfo(logo).absolutePath());
                    f->selectFile(logo);
                    auto* preview = f->findChild<QLabel*>("PicturePreview");
                    ASSERT_NE(preview, nullptr);
                    ASSERT_TRUE(
                        RunEventsUntil([&] { return !preview->pixmap().isNull(); }, std::chrono::seconds(5)));
                    static_cast<QDialog*>(f)->accept();
                }));
            EXPECT_EQ(d->edtLogo->FileName(), logo);
            EXPECT_TRUE(d->btnOk->isEnabled());
            d->edtX2->setValue(-5);
            d->btnOk->click();
        }));
    EXPECT_EQ(filter.LogoFile(), logo);
    EXPECT_EQ(filter.X(), -5);
}

TEST(FilterPage, DISABLED_CancelAddsNothingAndEditDeleteFollowTheSelection) {
    TFilterPage page(TFilterPage::Variant::Batch);
    page.show();
    EXPECT_FALSE(page.btnEdit->isEnabled());
    EXPECT_FALSE(page.btnDelete->isEnabled());
    ASSERT_TRUE(AnswerModal<TFormLogoFilter>([&] { page.actAddLogo->trigger(); },
                                             [](TFormLogoFilter* d) { d->btnCancel->click(); }));
    EXPECT_EQ(page.FilterCount(), 0);

    for (const char* flip : {"v", "h"})
        ASSERT_TRUE(AnswerModal<TFormStdFilter>([&] { page.actAddStd->trigger(); },
                                                [flip](TFormStdFilter* d) {
                                                    (flip[0] == 'v' ? d->chkVFlip : d->chkHFlip)->click();
                                                    d->btnOk->click();
                                                }));
    ASSERT_EQ(page.FilterCount(), 2);
    EXPECT_EQ(page.lstFilters->item(0)->text(), "Standar Filters");
    EXPECT_EQ(page.VideoFilters(), "vflip,hflip");

    // A double click edits the item's own filter.
    page.lstFilters->setCurrentRow(1);
    EXPECT_TRUE(page.btnEdit->isEnabled());
    const QRect rect = page.lstFilters->visualItemRect(page.lstFilters->item(1));
    ASSERT_TRUE(AnswerModal<TFormStdFilter>(
        [&] { QTest::mouseDClick(page.lstFilters->viewport(), Qt::LeftButton, {}, rect.center()); },
        [](TFormStdFilter* d) {
            EXPECT_TRUE(d->chkHFlip->isChecked());
            d->chkVFlip->click();
            d->btnOk->click();
        }));
    const auto* edited = qobject_cast<TVideoStdFilter*>(page.Filter(1));
    ASSERT_NE(edited, nullptr);
    EXPECT_TRUE(edited->VerticalFilp() && edited->HorizontalFilip());

    page.lstFilters->setCurrentRow(0);
    page.btnDelete->click();
    ASSERT_EQ(page.FilterCount(), 1);
    EXPECT_EQ(page.Filter(0), edited);
}

} // namespace
} // namespace vc::test
