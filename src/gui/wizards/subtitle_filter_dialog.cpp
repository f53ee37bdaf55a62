#include "gui/wizards/subtitle_filter_dialog.h"

#include "gui/wizards/color_box.h"
#include "gui/wizards/file_edit.h"
#include "gui/wizards/filter_dialog_parts.h"
#include "platform/fonts.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <map>
#include <tuple>

namespace vc::gui {

const QStringList& TFormSubtitleFilter::CodePages() {
    static const QStringList pages = [] {
        QStringList list = {"ISO-2022-JP", "ISO-2022-JP-1", "ISO-2022-JP-2"};
        for (int i = 1; i <= 10; ++i)
            list << QStringLiteral("ISO-8859-%1").arg(i);
        for (int i = 13; i <= 16; ++i)
            list << QStringLiteral("ISO-8859-%1").arg(i);
        list << "KOI8-R"
             << "KOI8-U"
             << "KOI8-RU";
        for (int i = 1250; i <= 1257; ++i)
            list << QStringLiteral("cp%1").arg(i);
        list << "cp850"
             << "cp862"
             << "cp866"
             << "cp932"
             << "cp1131"
             << "EUC-JP"
             << "SHIFT_JIS"
             << "EUC-CN"
             << "HZ"
             << "GBK"
             << "CP936"
             << "GB18030"
             << "EUC-TW"
             << "BIG5"
             << "CP950"
             << "BIG5-HKSCS"
             << "ISO-2022-CN"
             << "ISO-2022-CN-EXT"
             << "EUC-KR"
             << "CP949"
             << "ISO-2022-KR"
             << "JOHAB"
             << "VISCII"
             << "TCVN"
             << "CP1258"
             << "UTF-8"
             << "UCS-2"
             << "UCS-2BE"
             << "UCS-2LE"
             << "UCS-4"
             << "UCS-4BE"
             << "UCS-4LE"
             << "UTF-16"
             << "UTF-16BE"
             << "UTF-16LE"
             << "UTF-32"
             << "UTF-32BE"
             << "UTF-32LE"
             << "UTF-7";
        return list;
    }();
    return pages;
}

TFormSubtitleFilter::TFormSubtitleFilter(QWidget* parent) : QDialog(parent) {
    QVBoxLayout* layout = SetUpFilterDialog(this, "FormSubtitleFilter", tr("字幕"));
    auto* form = new QFormLayout;
    edtSubtitle = new TFileEdit(TFileEdit::Mode::Open, this);
    edtSubtitle->setObjectName("edtSubtitle");
    edtSubtitle->SetFilters({tr("SSA Files(*.ssa)"), tr("ASS Files(*.ass)"), tr("SRT Files(*.srt)"),
                             tr("Other Subtitle Files(*.txt)")});
    edtSubtitle->setMinimumWidth(340);
    form->addRow(tr("文件"), edtSubtitle);

    // Installed fonts by name, each item holding its file; a family with several files (bold,
    // italic) shows the file name beside it so the entries can be told apart.
    cbbFont = new QComboBox(this);
    cbbFont->setObjectName("cbbFont");
    const std::vector<InstalledFont> fonts = InstalledFonts();
    std::map<std::string, int> per_family;
    for (const InstalledFont& font : fonts)
        ++per_family[font.family];
    for (const InstalledFont& font : fonts) {
        const QString file = QString::fromStdString(font.file);
        QString name = QString::fromStdString(font.family);
        if (per_family[font.family] > 1)
            name += QStringLiteral(" (%1)").arg(QFileInfo(file).fileName());
        cbbFont->addItem(name, file);
    }
    cbbFont->setCurrentIndex(cbbFont->count() > 0 ? 0 : -1);
    form->addRow(tr("字体"), cbbFont);

    cbColor = new TColorBox(this);
    cbColor->setObjectName("cbColor");
    cbColor->SelectColorName("Yellow");
    form->addRow(tr("字体颜色"), cbColor);
    cbbCodePage = new QComboBox(this);
    cbbCodePage->setObjectName("cbbCodePage");
    cbbCodePage->setEditable(true);
    cbbCodePage->setInsertPolicy(QComboBox::NoInsert);
    cbbCodePage->addItems(CodePages());
    cbbCodePage->setCurrentIndex(-1);
    cbbCodePage->setEditText(QString());
    form->addRow(tr("编码"), cbbCodePage);
    layout->addLayout(form);

    std::tie(btnOk, btnCancel) = AddFilterDialogButtons(this, layout, tr("确定"), tr("取消"), false);
    connect(edtSubtitle, &TFileEdit::FileNameChanged, this, &TFormSubtitleFilter::UpdateEnabling);
    UpdateEnabling();
    edtSubtitle->setFocus();
}

void TFormSubtitleFilter::UpdateEnabling() {
    btnOk->setEnabled(QFileInfo(edtSubtitle->FileName()).isFile());
}

QString TFormSubtitleFilter::FontFile() const {
    return cbbFont->currentIndex() < 0 ? QString() : cbbFont->currentData().toString();
}

void TFormSubtitleFilter::SelectFontFile(const QString& path) {
    for (int i = 0; i < cbbFont->count(); ++i)
        if (cbbFont->itemData(i).toString().compare(path, Qt::CaseInsensitive) == 0) {
            cbbFont->setCurrentIndex(i);
            return;
        }
    cbbFont->setCurrentIndex(-1);
}

void TFormSubtitleFilter::Load(const TSubtitleFilter& f) {
    edtSubtitle->SetFileName(f.SubtitleFile());
    SelectFontFile(f.FontFile());
    cbColor->SelectColor(f.FontColor());
    cbbCodePage->setEditText(f.CodePage());
}

void TFormSubtitleFilter::Store(TSubtitleFilter& f) const {
    f.SetSubtitleFile(edtSubtitle->FileName());
    f.SetFontFile(FontFile());
    f.SetFontColor(cbColor->Color());
    f.SetCodePage(cbbCodePage->currentText().trimmed());
}

} // namespace vc::gui
