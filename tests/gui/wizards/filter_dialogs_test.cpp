// The filter dialogs and the filter page: what a confirmed dialog puts into its filter.
#include "wizard_fixture.h"

#include "support/gui_test.h"

#include "gui/wizards/color_box.h"
#include "gui/wizards/file_chooser.h"
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
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

namespace vc::test {
namespace {

using namespace vc::gui;

constexpr const char* kFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// The events a widget receives for a double click at `at`: press, release, double click, release.
// (QTest::mouseDClick goes through the offscreen window, which does not make a double click of it.)
void DoubleClick(QWidget* widget, const QPoint& at) {
    const QPointF local(at);
    const QPointF global(widget->mapToGlobal(at));
    for (const auto& [type, buttons] :
         {std::pair{QEvent::MouseButtonPress, Qt::MouseButtons(Qt::LeftButton)},
          std::pair{QEvent::MouseButtonRelease, Qt::MouseButtons(Qt::NoButton)},
          std::pair{QEvent::MouseButtonDblClick, Qt::MouseButtons(Qt::LeftButton)},
          std::pair{QEvent::MouseButtonRelease, Qt::MouseButtons(Qt::NoButton)}}) {
        QMouseEvent event(type, local, global, Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    }
}

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

TEST(FilterDialogs, LogoPreviewAndConfirmOnlyForAnExistingFile) {
    TempDir dir;
    const QString logo = QString::fromStdString((dir / "logo.png").string());
    QImage picture(400, 200, QImage::Format_ARGB32);
    picture.fill(Qt::green);
    ASSERT_TRUE(picture.save(logo));
    ScriptedFileChooser chooser;
    chooser.Queue({QString::fromStdString((dir / "missing.png").string())});
    chooser.Queue({logo});
    TLogoFilter filter;
    ASSERT_TRUE(AnswerModal<TFormLogoFilter>([&] { ExecuteFilter(filter, nullptr); },
                                             [&](TFormLogoFilter* d) {
                                                 EXPECT_FALSE(d->btnOk->isEnabled());
                                                 d->edtLogo->BrowseButton()->click();
                                                 EXPECT_FALSE(d->btnOk->isEnabled()); // no such file
                                                 d->edtLogo->BrowseButton()->click();
                                                 EXPECT_EQ(d->edtLogo->FileName(), logo);
                                                 EXPECT_TRUE(d->btnOk->isEnabled());
                                                 d->edtX2->setValue(-5);
                                                 d->btnOk->click();
                                             }));
    EXPECT_EQ(filter.LogoFile(), logo);
    EXPECT_EQ(filter.X(), -5);
    // The dialog asks for PNG pictures, with the picture preview.
    ASSERT_EQ(chooser.Questions().size(), 2u);
    EXPECT_EQ(chooser.Questions()[0].filters, QStringList{"PNG files (*.png)"});
    EXPECT_TRUE(chooser.Questions()[0].picture_preview);

    // The preview shows the highlighted picture scaled into its box, and nothing for a non-picture.
    QFileDialog file_dialog;
    file_dialog.setOption(QFileDialog::DontUseNativeDialog);
    AddPicturePreview(file_dialog);
    auto* preview = file_dialog.findChild<QLabel*>("PicturePreview");
    ASSERT_NE(preview, nullptr);
    emit file_dialog.currentChanged(logo);
    ASSERT_FALSE(preview->pixmap().isNull());
    EXPECT_EQ(preview->pixmap().size(), QSize(160, 80));
    emit file_dialog.currentChanged(QString::fromStdString(Media("subs.srt").string()));
    EXPECT_TRUE(preview->pixmap().isNull());
}

TEST(FilterPage, CancelAddsNothingAndEditDeleteFollowTheSelection) {
    TFilterPage page(TFilterPage::Variant::Batch);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
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
    ASSERT_TRUE(AnswerModal<TFormStdFilter>([&] { DoubleClick(page.lstFilters->viewport(), rect.center()); },
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
