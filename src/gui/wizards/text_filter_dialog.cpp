#include "gui/wizards/text_filter_dialog.h"

#include "gui/wizards/color_box.h"
#include "gui/wizards/file_edit.h"
#include "gui/wizards/filter_dialog_parts.h"

#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <climits>
#include <tuple>

namespace vc::gui {

TFormTextFilter::TFormTextFilter(QWidget* parent) : QDialog(parent) {
    QVBoxLayout* layout = SetUpFilterDialog(this, "FormTextFilter", tr("文本水印"));
    auto* form = new QFormLayout;
    mmoText = new QPlainTextEdit(this);
    mmoText->setObjectName("mmoText");
    mmoText->setFixedSize(360, 90);
    form->addRow(tr("文本"), mmoText);
    edtFont = new TFileEdit(TFileEdit::Mode::Open, this);
    edtFont->setObjectName("edtFont");
    edtFont->SetFilters({tr("Font File(*.ttf)")});
    form->addRow(tr("字体文件"), edtFont);
    cbbColor = new TColorBox(this);
    cbbColor->setObjectName("cbbColor");
    cbbColor->SelectColorName("Yellow");
    form->addRow(tr("字体颜色"), cbbColor);
    cbbBack = new TColorBox(this);
    cbbBack->setObjectName("cbbBack");
    cbbBack->SelectColorName("Blue");
    cbbBack->hide(); // the background colour is kept but not offered
    auto* position = new QHBoxLayout;
    edtX = NumberBox(this, "edtX", 0, INT_MAX);
    edtY = NumberBox(this, "edtY", 0, INT_MAX);
    position->addWidget(edtX);
    position->addWidget(edtY);
    position->addStretch();
    form->addRow(tr("X,Y"), position);
    edtSize = NumberBox(this, "edtSize", 1, 72, 16);
    edtSize->setSingleStep(16);
    form->addRow(tr("字体大小"), edtSize);
    layout->addLayout(form);

    std::tie(btnOk, btnCancel) = AddFilterDialogButtons(this, layout, tr("添加"), tr("放弃"), false);
    connect(mmoText, &QPlainTextEdit::textChanged, this, &TFormTextFilter::UpdateEnabling);
    connect(edtFont, &TFileEdit::FileNameChanged, this, &TFormTextFilter::UpdateEnabling);
    UpdateEnabling();
}

void TFormTextFilter::UpdateEnabling() {
    btnOk->setEnabled(!mmoText->toPlainText().trimmed().isEmpty() && QFileInfo(edtFont->FileName()).isFile());
}

QString TFormTextFilter::Text() const {
    QString text;
    for (const QString& line : mmoText->toPlainText().split('\n'))
        text += line + QStringLiteral("\r\n");
    return text;
}

void TFormTextFilter::Load(const TOverlayTextFilter& f) {
    QString text = f.Text();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (text.endsWith('\n'))
        text.chop(1);
    mmoText->setPlainText(text);
    edtSize->setValue(f.FontSize());
    edtX->setValue(f.X());
    edtY->setValue(f.Y());
    cbbColor->SelectColor(f.FontColor());
    cbbBack->SelectColor(f.BgColor());
    edtFont->SetFileName(f.FontFile());
}

void TFormTextFilter::Store(TOverlayTextFilter& f) const {
    f.SetText(Text());
    f.SetFontSize(edtSize->value());
    f.SetX(edtX->value());
    f.SetY(edtY->value());
    f.SetFontColor(cbbColor->Color());
    f.SetBgColor(cbbBack->Color());
    f.SetFontFile(edtFont->FileName());
}

} // namespace vc::gui
