#pragma once
// The video filters a user adds in a wizard. Each turns its settings into a fragment of
// libavfilter graph text; BuildVideoFilters joins the fragments of a list.
#include "engine/options/persistent.h"

#include <QList>
#include <QString>

namespace vc {

// A colour laid out 0x00BBGGRR (red in the low byte).
using TColor = quint32;

class TAVFilter : public TPersistent {
    Q_OBJECT
public:
    explicit TAVFilter(QObject* parent = nullptr) : TPersistent(parent) {}
    virtual QString GetFilterString() const = 0;
    // The fixed text shown for the filter in the wizard's filter list.
    virtual QString GetCaption() const = 0;
};

class TLogoFilter : public TAVFilter {
    Q_OBJECT
    Q_PROPERTY(int X READ X WRITE SetX)
    Q_PROPERTY(int Y READ Y WRITE SetY)
    Q_PROPERTY(QString LogoFile READ LogoFile WRITE SetLogoFile)

public:
    explicit TLogoFilter(QObject* parent = nullptr) : TAVFilter(parent) {}
    int X() const { return x_; }
    void SetX(int v) { x_ = v; }
    int Y() const { return y_; }
    void SetY(int v) { y_ = v; }
    QString LogoFile() const { return logo_file_; }
    void SetLogoFile(const QString& v) { logo_file_ = v; }

    QString GetFilterString() const override;
    QString GetCaption() const override { return QStringLiteral("Logo Filter"); }
    void Assign(const TPersistent* source) override;

private:
    int x_ = 0;
    int y_ = 0;
    QString logo_file_;
};

class TOverlayTextFilter : public TAVFilter {
    Q_OBJECT
    Q_PROPERTY(QString Text READ Text WRITE SetText)
    Q_PROPERTY(int FontSize READ FontSize WRITE SetFontSize)
    Q_PROPERTY(QString FontFile READ FontFile WRITE SetFontFile)
    Q_PROPERTY(int X READ X WRITE SetX)
    Q_PROPERTY(int Y READ Y WRITE SetY)
    Q_PROPERTY(quint32 FontColor READ FontColor WRITE SetFontColor)
    Q_PROPERTY(quint32 BgColor READ BgColor WRITE SetBgColor)

public:
    explicit TOverlayTextFilter(QObject* parent = nullptr) : TAVFilter(parent) {}
    QString Text() const { return text_; } // may hold CR LF line breaks
    void SetText(const QString& v) { text_ = v; }
    int FontSize() const { return font_size_; }
    void SetFontSize(int v) { font_size_ = v; }
    QString FontFile() const { return font_file_; }
    void SetFontFile(const QString& v) { font_file_ = v; }
    int X() const { return x_; }
    void SetX(int v) { x_ = v; }
    int Y() const { return y_; }
    void SetY(int v) { y_ = v; }
    TColor FontColor() const { return font_color_; }
    void SetFontColor(TColor v) { font_color_ = v; }
    TColor BgColor() const { return bg_color_; }
    void SetBgColor(TColor v) { bg_color_ = v; }

    QString GetFilterString() const override;
    QString GetCaption() const override { return QStringLiteral("Overlay Text Filter"); }
    void Assign(const TPersistent* source) override;

private:
    QString text_;
    int font_size_ = 0;
    QString font_file_;
    int x_ = 0;
    int y_ = 0;
    TColor font_color_ = 0;
    TColor bg_color_ = 0;
};

class TSubtitleFilter : public TAVFilter {
    Q_OBJECT
    Q_PROPERTY(QString SubtitleFile READ SubtitleFile WRITE SetSubtitleFile)
    Q_PROPERTY(QString FontFile READ FontFile WRITE SetFontFile)
    Q_PROPERTY(QString CodePage READ CodePage WRITE SetCodePage)
    Q_PROPERTY(quint32 FontColor READ FontColor WRITE SetFontColor)

public:
    explicit TSubtitleFilter(QObject* parent = nullptr) : TAVFilter(parent) {}
    QString SubtitleFile() const { return subtitle_file_; } // .ssa, .ass, .srt or .txt
    void SetSubtitleFile(const QString& v) { subtitle_file_ = v; }
    QString FontFile() const { return font_file_; }
    void SetFontFile(const QString& v) { font_file_ = v; }
    QString CodePage() const { return code_page_; } // character set of the file ("GBK"); may be empty
    void SetCodePage(const QString& v) { code_page_ = v; }
    TColor FontColor() const { return font_color_; }
    void SetFontColor(TColor v) { font_color_ = v; }

    QString GetFilterString() const override;
    QString GetCaption() const override { return QStringLiteral("Hard Subtitle Filter"); }
    void Assign(const TPersistent* source) override;

private:
    QString subtitle_file_;
    QString font_file_;
    QString code_page_;
    TColor font_color_ = 0;
};

class TVideoStdFilter : public TAVFilter {
    Q_OBJECT
    Q_PROPERTY(bool VerticalFilp READ VerticalFilp WRITE SetVerticalFilp)
    Q_PROPERTY(bool HorizontalFilip READ HorizontalFilip WRITE SetHorizontalFilip)
    Q_PROPERTY(bool Negate READ Negate WRITE SetNegate)
    Q_PROPERTY(bool Rotate READ Rotate WRITE SetRotate)
    Q_PROPERTY(int Degree READ Degree WRITE SetDegree)
    Q_PROPERTY(bool DrawBox READ DrawBox WRITE SetDrawBox)
    Q_PROPERTY(int BX READ BX WRITE SetBX)
    Q_PROPERTY(int BY READ BY WRITE SetBY)
    Q_PROPERTY(int BWidth READ BWidth WRITE SetBWidth)
    Q_PROPERTY(int BHeight READ BHeight WRITE SetBHeight)
    Q_PROPERTY(QString BColor READ BColor WRITE SetBColor)

public:
    explicit TVideoStdFilter(QObject* parent = nullptr) : TAVFilter(parent) {}
    bool VerticalFilp() const { return vertical_flip_; }
    void SetVerticalFilp(bool v) { vertical_flip_ = v; }
    bool HorizontalFilip() const { return horizontal_flip_; }
    void SetHorizontalFilip(bool v) { horizontal_flip_ = v; }
    bool Negate() const { return negate_; } // kept and edited; adds nothing to the fragment
    void SetNegate(bool v) { negate_ = v; }
    bool Rotate() const { return rotate_; }
    void SetRotate(bool v) { rotate_ = v; }
    int Degree() const { return degree_; }
    void SetDegree(int v) { degree_ = v; }
    bool DrawBox() const { return draw_box_; }
    void SetDrawBox(bool v) { draw_box_ = v; }
    int BX() const { return bx_; }
    void SetBX(int v) { bx_ = v; }
    int BY() const { return by_; }
    void SetBY(int v) { by_ = v; }
    int BWidth() const { return bwidth_; }
    void SetBWidth(int v) { bwidth_ = v; }
    int BHeight() const { return bheight_; }
    void SetBHeight(int v) { bheight_ = v; }
    QString BColor() const { return bcolor_; } // a colour name as the colour list shows it ("Red")
    void SetBColor(const QString& v) { bcolor_ = v; }

    QString GetFilterString() const override;
    QString GetCaption() const override { return QStringLiteral("Standar Filters"); }
    void Assign(const TPersistent* source) override;

private:
    bool vertical_flip_ = false;
    bool horizontal_flip_ = false;
    bool negate_ = false;
    bool rotate_ = false;
    int degree_ = 0;
    bool draw_box_ = false;
    int bx_ = 0;
    int by_ = 0;
    int bwidth_ = 0;
    int bheight_ = 0;
    QString bcolor_;
};

// The fragments of `filters`, top to bottom, joined with CommaJoin: the text for
// FilterOptions.VideoFilters.
QString BuildVideoFilters(const QList<const TAVFilter*>& filters);

} // namespace vc
