#include "model/filters/video_filters.h"

#include "engine/media/format_helpers.h"
#include "model/filters/filter_text.h"

namespace vc {

// The movie source takes the path as an option value inside the graph text, so it is escaped for
// both levels (on a plain path this is the quadrupling of its backslashes).
QString TLogoFilter::GetFilterString() const {
    // One multi-argument arg() call: a "%2" inside the path must not be replaced.
    return QStringLiteral("movie=%1 [wm];[in][wm] overlay=%2:%3 [out]")
        .arg(EscapeGraphText(EscapeOptionValue(LogoFile())), QString::number(X()), QString::number(Y()));
}

void TLogoFilter::Assign(const TPersistent* source) {
    const auto* s = qobject_cast<const TLogoFilter*>(source);
    if (s == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    SetX(s->X());
    SetY(s->Y());
    SetLogoFile(s->LogoFile());
}

// The font path sits in option-level quotes written as \' in the graph text; the text sits in
// graph-level quotes and is escaped for the option level and for drawtext's expansion, so that
// colons, quotes, backslashes and percent signs are drawn as typed.
QString TOverlayTextFilter::GetFilterString() const {
    const QString text = EscapeOptionValue(EscapeDrawtextText(Text()));
    return QStringLiteral("drawtext=fontfile=\\'") + EscapeGraphText(EscapeGraphQuoted(FontFile())) +
           QStringLiteral("\\':text='") + EscapeGraphQuoted(text) + QStringLiteral("':x=") +
           QString::number(X()) + QStringLiteral(":y=") + QString::number(Y()) +
           QStringLiteral(":fontsize=") + QString::number(FontSize()) + QStringLiteral(":fontcolor=0x") +
           QString::asprintf("%.6x", SwapRedBlue(FontColor())) + QStringLiteral("FF:boxcolor=0x") +
           QString::asprintf("%.6x", SwapRedBlue(BgColor())) + QStringLiteral("00");
}

void TOverlayTextFilter::Assign(const TPersistent* source) {
    const auto* s = qobject_cast<const TOverlayTextFilter*>(source);
    if (s == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    SetText(s->Text());
    SetFontSize(s->FontSize());
    SetFontFile(s->FontFile());
    SetX(s->X());
    SetY(s->Y());
    SetFontColor(s->FontColor());
    SetBgColor(s->BgColor());
}

QString TSubtitleFilter::GetFilterString() const {
    QString fragment = QStringLiteral("ass=filename$") + DoubleBackslashes(SubtitleFile()) +
                       QStringLiteral("#font$") + DoubleBackslashes(FontFile()) +
                       QStringLiteral("#color$0x") + QString::asprintf("%x", SwapRedBlue(FontColor())) +
                       QStringLiteral("00");
    if (!CodePage().isEmpty())
        fragment += QStringLiteral("#codepage$") + CodePage();
    return fragment + QStringLiteral("#enc$1");
}

void TSubtitleFilter::Assign(const TPersistent* source) {
    const auto* s = qobject_cast<const TSubtitleFilter*>(source);
    if (s == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    SetSubtitleFile(s->SubtitleFile());
    SetFontFile(s->FontFile());
    SetCodePage(s->CodePage());
    SetFontColor(s->FontColor());
}

QString TVideoStdFilter::GetFilterString() const {
    QStringList pieces;
    if (VerticalFilp())
        pieces << QStringLiteral("vflip");
    if (HorizontalFilip())
        pieces << QStringLiteral("hflip");
    if (DrawBox())
        pieces << QStringLiteral("drawbox=%1:%2:%3:%4:%5")
                      .arg(QString::number(BX()), QString::number(BY()), QString::number(BWidth()),
                           QString::number(BHeight()), BColor());
    if (Rotate())
        pieces << QStringLiteral("mp=rotate=%1").arg(Degree());
    return CommaJoin(pieces);
}

void TVideoStdFilter::Assign(const TPersistent* source) {
    const auto* s = qobject_cast<const TVideoStdFilter*>(source);
    if (s == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    SetVerticalFilp(s->VerticalFilp());
    SetHorizontalFilip(s->HorizontalFilip());
    SetNegate(s->Negate());
    SetRotate(s->Rotate());
    SetDegree(s->Degree());
    SetDrawBox(s->DrawBox());
    SetBX(s->BX());
    SetBY(s->BY());
    SetBWidth(s->BWidth());
    SetBHeight(s->BHeight());
    SetBColor(s->BColor());
}

QString BuildVideoFilters(const QList<const TAVFilter*>& filters) {
    QStringList pieces;
    for (const TAVFilter* filter : filters)
        pieces << filter->GetFilterString();
    return CommaJoin(pieces);
}

} // namespace vc
