#include "gui/wizards/filter_page.h"

#include "gui/wizards/filter_dialogs.h"
#include "model/filters/video_filters.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>
#include <memory>

namespace vc::gui {

namespace {

// A list item that owns its filter.
class FilterItem : public QListWidgetItem {
public:
    explicit FilterItem(std::unique_ptr<TAVFilter> filter)
        : QListWidgetItem(filter->GetCaption()), filter_(std::move(filter)) {}
    TAVFilter* Filter() const { return filter_.get(); }

private:
    std::unique_ptr<TAVFilter> filter_;
};

QToolButton* ToolButton(QWidget* parent, const char* name, const QString& text, const QString& hint) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(text);
    button->setToolTip(hint);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setAutoRaise(true);
    return button;
}

} // namespace

TFilterPage::TFilterPage(Variant variant, QWidget* parent) : QWidget(parent) {
    setObjectName("FilterPage");
    const bool batch = variant == Variant::Batch;
    auto* layout = new QVBoxLayout(this);
    lblTitle =
        new QLabel(batch ? tr("滤镜设置（LOGO水印文字水印字幕等）") : tr("滤镜设置（图片水印等..）"), this);
    lblTitle->setObjectName("lblFilterTitle");
    QFont title_font = lblTitle->font();
    title_font.setBold(true);
    title_font.setPointSizeF(title_font.pointSizeF() * 1.2);
    lblTitle->setFont(title_font);
    layout->addWidget(lblTitle);

    auto* toolbar = new QHBoxLayout;
    btnAdd = ToolButton(this, "btnAddFilter", batch ? tr("添加新滤镜") : tr("添加滤镜"),
                        batch ? tr("添加新滤镜") : tr("新建滤镜"));
    mnuAdd = new QMenu(btnAdd);
    actAddStd = mnuAdd->addAction(tr("添加标准滤镜"), this, &TFilterPage::AddStdFilter);
    actAddStd->setObjectName("actAddStd");
    actAddLogo = mnuAdd->addAction(tr("添加LOGO水印"), this, &TFilterPage::AddLogoFilter);
    actAddLogo->setObjectName("actAddLogo");
    actAddText = mnuAdd->addAction(tr("添加文字水印"), this, &TFilterPage::AddTextFilter);
    actAddText->setObjectName("actAddText");
    actAddSubtitle = mnuAdd->addAction(tr("添加字幕"), this, &TFilterPage::AddSubtitleFilter);
    actAddSubtitle->setObjectName("actAddSubtitle");
    btnAdd->setMenu(mnuAdd);
    btnAdd->setPopupMode(QToolButton::InstantPopup);
    btnEdit = ToolButton(this, "btnEditFilter", tr("修改"), tr("修改滤镜"));
    btnDelete = ToolButton(this, "btnDeleteFilter", tr("删除"), batch ? tr("删除滤镜") : QString());
    toolbar->addWidget(btnAdd);
    toolbar->addWidget(btnEdit);
    toolbar->addWidget(btnDelete);
    toolbar->addStretch();
    chkPreview = new QCheckBox(batch ? tr("滤镜预览") : tr("过滤器预览"), this);
    chkPreview->setObjectName("chkPreview");
    chkPreview->hide();
    toolbar->addWidget(chkPreview);
    layout->addLayout(toolbar);

    lstFilters = new QListWidget(this);
    lstFilters->setObjectName("lstFilters");
    layout->addWidget(lstFilters, 1);

    connect(btnEdit, &QToolButton::clicked, this, &TFilterPage::EditSelected);
    connect(btnDelete, &QToolButton::clicked, this, &TFilterPage::DeleteSelected);
    connect(lstFilters, &QListWidget::itemDoubleClicked, this, &TFilterPage::EditSelected);
    connect(lstFilters, &QListWidget::itemSelectionChanged, this, &TFilterPage::UpdateEnabling);
    UpdateEnabling();
}

void TFilterPage::UpdateEnabling() {
    const bool selected = !lstFilters->selectedItems().isEmpty();
    btnEdit->setEnabled(selected);
    btnDelete->setEnabled(selected);
}

void TFilterPage::Add(std::unique_ptr<TAVFilter> filter) {
    if (!ExecuteFilter(*filter, window()))
        return; // the new filter is dropped
    AppendFilter(std::move(filter));
}

void TFilterPage::AppendFilter(std::unique_ptr<TAVFilter> filter) {
    lstFilters->addItem(new FilterItem(std::move(filter)));
}

void TFilterPage::AddStdFilter() {
    Add(std::make_unique<TVideoStdFilter>());
}
void TFilterPage::AddLogoFilter() {
    Add(std::make_unique<TLogoFilter>());
}
void TFilterPage::AddTextFilter() {
    Add(std::make_unique<TOverlayTextFilter>());
}
void TFilterPage::AddSubtitleFilter() {
    Add(std::make_unique<TSubtitleFilter>());
}

void TFilterPage::EditSelected() {
    const QList<QListWidgetItem*> selected = lstFilters->selectedItems();
    if (selected.isEmpty())
        return;
    EditFilter(*static_cast<FilterItem*>(selected.first())->Filter(), window());
}

void TFilterPage::DeleteSelected() {
    const QList<QListWidgetItem*> selected = lstFilters->selectedItems();
    if (!selected.isEmpty())
        delete selected.first(); // frees its filter
}

int TFilterPage::FilterCount() const {
    return lstFilters->count();
}

TAVFilter* TFilterPage::Filter(int row) const {
    return static_cast<FilterItem*>(lstFilters->item(row))->Filter();
}

QString TFilterPage::VideoFilters() const {
    QList<const TAVFilter*> filters;
    for (int i = 0; i < lstFilters->count(); ++i)
        filters << Filter(i);
    return BuildVideoFilters(filters);
}

} // namespace vc::gui
