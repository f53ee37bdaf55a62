#include "gui/dialogs/form_about.h"

#include "gui/widgets/app_emblem.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
}

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vc::gui {

namespace {
QString LibraryVersion(const char* name, unsigned version) {
    return QStringLiteral("%1 %2.%3.%4")
        .arg(QLatin1String(name))
        .arg(AV_VERSION_MAJOR(version))
        .arg(AV_VERSION_MINOR(version))
        .arg(AV_VERSION_MICRO(version));
}
} // namespace

QString TFormAbout::FfmpegVersionText() {
    return QStringLiteral("FFmpeg %1 (%2, %3, %4)")
        .arg(QString::fromUtf8(av_version_info()), LibraryVersion("libavcodec", avcodec_version()),
             LibraryVersion("libavformat", avformat_version()),
             LibraryVersion("libavutil", avutil_version()));
}

QString TFormAbout::QtVersionText() {
    const QString running = QString::fromLatin1(qVersion());
    const QString built = QStringLiteral(QT_VERSION_STR);
    return running == built ? QStringLiteral("Qt %1").arg(running)
                            : tr("Qt %1（编译时为 %2）").arg(running, built);
}

TFormAbout::TFormAbout(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("关于"));

    auto* picture = new QLabel(this);
    picture->setPixmap(AppEmblemPixmap(64, devicePixelRatioF()));
    picture->setAlignment(Qt::AlignTop);

    QString version = QCoreApplication::applicationVersion();
#ifdef VC_VERSION
    if (version.isEmpty())
        version = QStringLiteral(VC_VERSION);
#endif
    lblName_ =
        new QLabel(QStringLiteral("<h2>%1</h2><p>%2</p>")
                       .arg(tr("视频转换器"), tr("版本 %1").arg(version.isEmpty() ? tr("未知") : version)),
                   this);
    lblVersions_ = new QLabel(
        tr("使用的库:") + QStringLiteral("<br>%1<br>%2").arg(FfmpegVersionText(), QtVersionText()), this);
    lblVersions_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblLicence_ = new QLabel(
        tr("本程序是自由软件：您可以按照 GNU 通用公共许可证第 2 版或（由您选择的）任何更新版本的条款"
           "重新发布和修改它。发布本程序是希望它有用，但不提供任何担保。") +
            QStringLiteral("<br><br>") +
            tr("FFmpeg 库的许可证: %1").arg(QString::fromUtf8(avcodec_license())),
        this);
    lblLicence_->setWordWrap(true);
    lblLicence_->setMinimumWidth(380);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close = buttons->addButton(tr("确定"), QDialogButtonBox::AcceptRole);
    close->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(lblName_);
    texts->addWidget(lblVersions_);
    texts->addSpacing(8);
    texts->addWidget(lblLicence_);
    auto* body = new QHBoxLayout;
    body->addWidget(picture);
    body->addSpacing(12);
    body->addLayout(texts, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addWidget(buttons);
}

void TFormAbout::Execute(QWidget* parent) {
    TFormAbout form(parent);
    form.exec();
}

} // namespace vc::gui
