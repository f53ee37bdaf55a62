#include "model/filters/filter_text.h"
#include "model/filters/video_filters.h"

#include <gtest/gtest.h>

namespace vc {
namespace {

QString StdFilter(bool vflip, bool hflip, bool negate, bool rotate, int degree = 0) {
    TVideoStdFilter f;
    f.SetVerticalFilp(vflip);
    f.SetHorizontalFilip(hflip);
    f.SetNegate(negate);
    f.SetRotate(rotate);
    f.SetDegree(degree);
    return f.GetFilterString();
}

} // namespace

TEST(VideoFilters, StandardFilterPiecesAndTheJoin) {
    EXPECT_EQ(BuildVideoFilters({}), "");
    EXPECT_EQ(StdFilter(false, false, false, true, 90), "mp=rotate=90");
    EXPECT_EQ(StdFilter(true, true, false, false), "vflip,hflip");
    EXPECT_EQ(StdFilter(false, false, true, false), "");

    TVideoStdFilter negate_only;
    negate_only.SetNegate(true);
    EXPECT_EQ(BuildVideoFilters({&negate_only}), "  ");

    TVideoStdFilter both;
    both.SetVerticalFilp(true);
    both.SetHorizontalFilip(true);
    EXPECT_EQ(BuildVideoFilters({&both}), " vflip,hflip "); // its comma gets it enclosed

    TVideoStdFilter all;
    all.SetVerticalFilp(true);
    all.SetDrawBox(true);
    all.SetBX(1);
    all.SetBY(2);
    all.SetBWidth(30);
    all.SetBHeight(40);
    all.SetBColor("Red");
    all.SetRotate(true);
    all.SetDegree(45);
    EXPECT_EQ(all.GetFilterString(), "vflip,drawbox=1:2:30:40:Red,mp=rotate=45");
    EXPECT_EQ(all.GetCaption(), "Standar Filters");
}

TEST(VideoFilters, LogoFragmentAndTheWizardListExample) {
    TLogoFilter logo;
    logo.SetLogoFile("/media/logo.png");
    logo.SetX(10);
    logo.SetY(20);
    EXPECT_EQ(logo.GetFilterString(), "movie=/media/logo.png [wm];[in][wm] overlay=10:20 [out]");
    TVideoStdFilter flip;
    flip.SetVerticalFilp(true);
    EXPECT_EQ(BuildVideoFilters({&logo, &flip}),
              " movie=/media/logo.png  [wm];[in][wm]  overlay=10:20  [out] ,vflip");

    // Each backslash reaches the graph text four times over; a drive colon is escaped as well,
    // since the option parser would otherwise cut the path there.
    logo.SetLogoFile("C:\\a.png");
    EXPECT_EQ(BuildVideoFilters({&logo, &flip}),
              " movie=C\\\\:\\\\\\\\a.png  [wm];[in][wm]  overlay=10:20  [out] ,vflip");
    // Spaces and graph punctuation in a path are escaped, and the join leaves escaped spaces single.
    logo.SetLogoFile("/my logos/a,b;[c].png");
    EXPECT_EQ(logo.GetFilterString(),
              "movie=/my\\\\\\ logos/a\\,b\\;\\[c\\].png [wm];[in][wm] overlay=10:20 [out]");
    EXPECT_EQ(BuildVideoFilters({&logo}),
              " movie=/my\\\\\\ logos/a\\,b\\;\\[c\\].png  [wm];[in][wm]  overlay=10:20  [out] ");
    logo.SetLogoFile("/x/%2.png"); // a placeholder-like name is not substituted
    EXPECT_EQ(logo.GetFilterString(), "movie=/x/%2.png [wm];[in][wm] overlay=10:20 [out]");
    EXPECT_EQ(logo.GetCaption(), "Logo Filter");
}

TEST(VideoFilters, OverlayTextFragment) {
    TOverlayTextFilter text;
    text.SetText("A\r\nB");
    text.SetFontFile("C:\\Fonts\\simhei.ttf");
    text.SetX(5);
    text.SetY(6);
    text.SetFontSize(24);
    text.SetFontColor(0x000000);
    text.SetBgColor(0x0000FF); // red
    EXPECT_EQ(text.GetFilterString(),
              "drawtext=fontfile=\\'C:\\\\Fonts\\\\simhei.ttf\\':text='A\\\nB':x=5:y=6:fontsize=24:"
              "fontcolor=0x000000FF:boxcolor=0xff000000");
    EXPECT_EQ(text.GetCaption(), "Overlay Text Filter");

    // What the user typed reaches drawtext escaped at each level it passes.
    text.SetText("it's 10:30 \\ 50%");
    text.SetFontFile("/f/it's.ttf");
    EXPECT_EQ(text.GetFilterString(), "drawtext=fontfile=\\'/f/it\\'\\\\\\'\\'s.ttf\\':text='it\\'\\''s\\ "
                                      "10\\:30\\ \\\\\\\\\\ 50\\\\%':x=5:y=6:"
                                      "fontsize=24:fontcolor=0x000000FF:boxcolor=0xff000000");
}

TEST(VideoFilters, SubtitleFragment) {
    TSubtitleFilter sub;
    sub.SetSubtitleFile("C:\\subs\\a.srt");
    sub.SetFontFile("C:\\f.ttf");
    sub.SetFontColor(0x000000);
    EXPECT_EQ(sub.GetFilterString(), "ass=filename$C:\\\\subs\\\\a.srt#font$C:\\\\f.ttf#color$0x000#enc$1");
    sub.SetFontColor(0x0000FF);
    sub.SetCodePage("GBK");
    EXPECT_EQ(sub.GetFilterString(),
              "ass=filename$C:\\\\subs\\\\a.srt#font$C:\\\\f.ttf#color$0xff000000#codepage$GBK#enc$1");
    EXPECT_EQ(sub.GetCaption(), "Hard Subtitle Filter");
}

TEST(VideoFilters, HelpersAndJoinRules) {
    EXPECT_EQ(DoubleBackslashes("a\\b"), "a\\\\b");
    EXPECT_EQ(QuadrupleBackslashes("a\\b"), "a\\\\\\\\b");
    EXPECT_EQ(DoubleBackslashes("/plain"), "/plain");
    // Quoted text keeps its spaces as typed; plain blanks are doubled.
    EXPECT_EQ(CommaJoin({"a b", "x='c d'", "y"}), " a  b , x='c d' ,y");
    EXPECT_EQ(CommaJoin({"one"}), "one");
    EXPECT_EQ(CommaJoin({"", ""}), ",");
}

} // namespace vc
