#include "model/persistence/omni_xml_reader.h"
#include "model/persistence/omni_xml_writer.h"
#include "sample_objects.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLocale>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace vc::test {

namespace {

// What a freshly made TSample stores: ordinals equal to their declared default, zero numbers,
// empty strings and the empty collection are left out; integers without a declared default and
// the string list are always there.
const char kDefaultSample[] =
    R"(<data PropFormat="node"><TSample><Plain>0</Plain><Unsigned>0</Unsigned><Flag>0</Flag>)"
    R"(<OtherMode>smFast</OtherMode><Letter>C</Letter><Lines Count="0"/><Inner><num>0</num></Inner>)"
    R"(</TSample></data>)";

void Fill(TSample& s) {
    s.SetThreads(8);
    s.SetPlain(-5);
    s.SetUnsigned(4000000000u);
    s.SetAlert(false);
    s.SetFlag(true);
    s.SetMode(TSample::smExact);
    s.SetOtherMode(TSample::smSlow);
    s.SetParts(TSample::TSampleParts(TSample::spVideo | TSample::spText));
    s.SetLetter(QChar(0x4E2D));
    s.SetWhen(QDateTime(QDate(2011, 3, 9), QTime(14, 5, 7, 42)));
    s.SetRatio(63.48);
    s.SetGain(0.44f);
    s.SetName(QString::fromUtf8("  视频 <a&b> \"q\"\ttab\r\nline  "));
    s.SetCodec("libx264");
    s.SetSize(-9223372036854775807LL - 1);
    s.SetLines({"a", "", "c"});
    s.Inner()->SetNum(25);
    s.Inner()->SetLabel("inner");
    s.Items()->Add();
    static_cast<TSampleInner*>(s.Items()->Add())->SetLabel("second");
}

void ExpectSame(const TSample& a, const TSample& b) {
    EXPECT_EQ(a.Threads(), b.Threads());
    EXPECT_EQ(a.Plain(), b.Plain());
    EXPECT_EQ(a.Unsigned(), b.Unsigned());
    EXPECT_EQ(a.Alert(), b.Alert());
    EXPECT_EQ(a.Flag(), b.Flag());
    EXPECT_EQ(a.Mode(), b.Mode());
    EXPECT_EQ(a.OtherMode(), b.OtherMode());
    EXPECT_EQ(a.Parts(), b.Parts());
    EXPECT_EQ(a.Letter(), b.Letter());
    EXPECT_EQ(a.When(), b.When());
    EXPECT_EQ(a.Ratio(), b.Ratio());
    EXPECT_EQ(a.Gain(), b.Gain());
    EXPECT_EQ(a.Name(), b.Name());
    EXPECT_EQ(a.Codec(), b.Codec());
    EXPECT_EQ(a.Size(), b.Size());
    EXPECT_EQ(a.Lines(), b.Lines());
    EXPECT_EQ(a.Inner()->num(), b.Inner()->num());
    EXPECT_EQ(a.Inner()->Label(), b.Inner()->Label());
    ASSERT_EQ(a.Items()->Count(), b.Items()->Count());
    for (int i = 0; i < a.Items()->Count(); ++i) {
        EXPECT_EQ(a.Items()->At(i)->num(), b.Items()->At(i)->num());
        EXPECT_EQ(a.Items()->At(i)->Label(), b.Items()->At(i)->Label());
    }
}

std::string Text(const TSample& s, TPropsFormat format = TPropsFormat::pfAuto) {
    return TOmniXMLWriter::SaveToText(&s, format);
}

} // namespace

TEST(OmniXmlWriter, LeavesOutDeclaredDefaultsZerosAndEmptyValues) {
    TSample s;
    EXPECT_EQ(Text(s), kDefaultSample);
    EXPECT_EQ(TOmniXMLWriter::SaveToString(&s), QString::fromUtf8(kDefaultSample));
}

TEST(OmniXmlWriter, WritesEveryKindInBothFormats) {
    TSample s;
    Fill(s);
    s.SetName("n");
    EXPECT_EQ(Text(s),
              "<data PropFormat=\"node\"><TSample><Threads>8</Threads><Plain>-5</Plain>"
              "<Unsigned>4000000000</Unsigned><Alert>0</Alert><Flag>1</Flag><Mode>smExact</Mode>"
              "<OtherMode>smSlow</OtherMode><Parts>[spVideo,spText]</Parts><Letter>中</Letter>"
              "<When>2011-03-09T14:05:07.042</When><Ratio>63.48</Ratio><Gain>0.439999997615814</Gain>"
              "<Name>n</Name><Codec>libx264</Codec><Size>-9223372036854775808</Size>"
              "<Lines Count=\"3\"><l0>a</l0><l2>c</l2></Lines><Inner><Label>inner</Label></Inner>"
              "<Items><o><num>0</num></o><o><num>0</num><Label>second</Label></o></Items>"
              "</TSample></data>");
    EXPECT_EQ(Text(s, TPropsFormat::pfAttributes),
              "<data PropFormat=\"attr\"><TSample Threads=\"8\" Plain=\"-5\" Unsigned=\"4000000000\" "
              "Alert=\"0\" Flag=\"1\" Mode=\"smExact\" OtherMode=\"smSlow\" Parts=\"[spVideo,spText]\" "
              "Letter=\"中\" When=\"2011-03-09T14:05:07.042\" Ratio=\"63.48\" Gain=\"0.439999997615814\" "
              "Name=\"n\" Codec=\"libx264\" Size=\"-9223372036854775808\">"
              "<Lines Count=\"3\" l0=\"a\" l2=\"c\"/><Inner Label=\"inner\"/>"
              "<Items><o num=\"0\"/><o num=\"0\" Label=\"second\"/></Items></TSample></data>");
}

TEST(OmniXmlWriter, IndentsWithTwoSpacesAndCrLf) {
    TSampleInner inner;
    inner.SetLabel(" a\nb ");
    EXPECT_EQ(TOmniXMLWriter::SaveToText(&inner, TPropsFormat::pfNodes, TOutputFormat::ofIndent),
              "<data PropFormat=\"node\">\r\n  <TSampleInner>\r\n    <num>0</num>\r\n"
              "    <Label> a\nb </Label>\r\n  </TSampleInner>\r\n</data>\r\n");
}

TEST(OmniXmlRoundTrip, EveryKindSurvivesInBothFormatsAndOnDisk) {
    TSample original;
    Fill(original);
    for (TPropsFormat format : {TPropsFormat::pfNodes, TPropsFormat::pfAttributes}) {
        TSample copy;
        TOmniXMLReader::LoadFromText(&copy, Text(original, format));
        ExpectSame(original, copy);
    }
    TempDir dir;
    const QString file = QString::fromStdString((dir / "Sample.Xml").string());
    TOmniXMLWriter::SaveToFile(&original, file, TPropsFormat::pfNodes, TOutputFormat::ofIndent);
    TSample copy;
    TOmniXMLReader::LoadFromFile(&copy, file);
    ExpectSame(original, copy);
    EXPECT_THROW(TOmniXMLReader::LoadFromFile(&copy, file + ".missing"), Error);
}

TEST(OmniXmlReader, AbsentValuesFollowTheirKind) {
    TSample s;
    Fill(s);
    s.SetHidden(99);
    TOmniXMLReader::LoadFromText(&s, "<data><TSample/></data>");
    EXPECT_EQ(s.Threads(), 1);     // declared default
    EXPECT_EQ(s.Plain(), INT_MIN); // no declared default: the marker
    EXPECT_EQ(s.Alert(), true);    // declared default, not the previous false
    EXPECT_EQ(s.Flag(), false);    // a boolean holds the marker as 0
    EXPECT_EQ(s.Mode(), TSample::smFast);
    EXPECT_EQ(s.OtherMode(), TSample::smFast);
    EXPECT_EQ(s.Parts(), TSample::TSampleParts(TSample::spAudio));
    EXPECT_EQ(s.When(), QDateTime());
    EXPECT_EQ(s.Ratio(), 0);
    EXPECT_EQ(s.Gain(), 0);
    EXPECT_EQ(s.Name(), "");
    EXPECT_EQ(s.Size(), -9223372036854775807LL - 1); // 64-bit integers stay as they were
    EXPECT_TRUE(s.Lines().isEmpty());
    EXPECT_EQ(s.Inner()->Label(), "inner"); // no element: the nested object is not touched
    EXPECT_EQ(s.Items()->Count(), 0);       // no element: no items
    EXPECT_EQ(s.Hidden(), 99);              // not stored, so never read
}

TEST(OmniXmlReader, NamesAreCaseInsensitiveExceptCollectionItems) {
    TSample s;
    TOmniXMLReader::LoadFromText(&s,
                                 "<DATA propformat=\"NODE\"><tsample><THREADS>3</THREADS>"
                                 "<mode>SMSLOW</mode><lines count=\"2\"><L1>x</L1></lines>"
                                 "<parts>[ SPTEXT , spaudio ]</parts><inner><NUM>4</NUM></inner>"
                                 "<items><O><num>1</num></O><o><num>2</num></o></items></tsample></DATA>");
    EXPECT_EQ(s.Threads(), 3);
    EXPECT_EQ(s.Mode(), TSample::smSlow);
    EXPECT_EQ(s.Lines(), QStringList({"", "x"}));
    EXPECT_EQ(s.Parts(), TSample::TSampleParts(TSample::spText | TSample::spAudio));
    EXPECT_EQ(s.Inner()->num(), 4);
    ASSERT_EQ(s.Items()->Count(), 1);
    EXPECT_EQ(s.Items()->At(0)->num(), 2);
}

TEST(OmniXmlReader, DocumentsWithoutTheClassLeaveTheObjectUnchanged) {
    for (const char* text : {"", "not xml", "<data><TSample><Threads>4</Threads>", "<?xml version=\"1.0\"?>",
                             "<data PropFormat=\"node\"><TOther><Threads>4</Threads></TOther></data>"}) {
        TSample s;
        Fill(s);
        const std::string before = Text(s);
        TOmniXMLReader::LoadFromText(&s, text);
        EXPECT_EQ(Text(s), before) << text;
    }
}

TEST(OmniXmlReader, BadValuesRaiseTheirMessages) {
    struct Case {
        const char* document;
        const char* message;
    };
    const Case cases[] = {
        {R"(<data PropFormat="Auto"><TSample/></data>)", "Auto PropFormat not allowed here."},
        {"<data><TSample><Threads>4x</Threads></TSample></data>", "Invalid integer value (4x)."},
        {"<data><TSample><Threads>2147483648</Threads></TSample></data>",
         "Invalid integer value (2147483648)."},
        {"<data><TSample><Unsigned>-1</Unsigned></TSample></data>", "Invalid integer value (-1)."},
        {"<data><TSample><Alert>true</Alert></TSample></data>", "Invalid boolean value (true)."},
        {"<data><TSample><Mode>smMedium</Mode></TSample></data>", "Invalid property element: smMedium"},
        {"<data><TSample><Parts>[spAudio,spNone]</Parts></TSample></data>",
         "Invalid property element: spNone"},
        {"<data><TSample><When>2011-13-01</When></TSample></data>", "Error in datetime property When"},
        {"<data><TSample><Size>1.5</Size></TSample></data>", "Invalid int64 value (1.5)."},
        {"<data><TSample><Lines Count=\"99999999\"/></TSample></data>",
         "String list Lines declares too many lines."},
    };
    for (const Case& c : cases) {
        TSample s;
        try {
            TOmniXMLReader::LoadFromText(&s, c.document);
            ADD_FAILURE() << "no error for " << c.document;
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
    // Values before the bad one keep their new values; the rest keep their old ones.
    TSample s;
    s.SetName("old");
    EXPECT_THROW(
        TOmniXMLReader::LoadFromText(
            &s, "<data><TSample><Threads>5</Threads><Alert>2</Alert><Name>new</Name></TSample></data>"),
        EOmniXMLPersistent);
    EXPECT_EQ(s.Threads(), 5);
    EXPECT_EQ(s.Name(), "old");
}

TEST(OmniXmlReader, UnparsableFloatsAndOddListsAreForgiven) {
    TSample s;
    s.SetRatio(5);
    TOmniXMLReader::LoadFromText(&s, "<data><TSample><Ratio>1,5</Ratio><Lines Count=\"x\"><l0>a</l0></Lines>"
                                     "</TSample></data>");
    EXPECT_EQ(s.Ratio(), 0);
    EXPECT_TRUE(s.Lines().isEmpty());
    // Values beyond Count, repeated or oddly named are ignored; the first of a name wins.
    TOmniXMLReader::LoadFromText(&s, "<data><TSample><Lines Count=\"3\"><l0>a</l0><l0>b</l0><l01>c</l01>"
                                     "<l3>d</l3><l-1>e</l-1><l2></l2></Lines></TSample></data>");
    EXPECT_EQ(s.Lines(), QStringList({"a", "", ""}));
}

TEST(OmniXmlReader, ReadsOtherEncodingsFromFiles) {
    TempDir dir;
    const QString file = QString::fromStdString((dir / "utf16.xml").string());
    const QString text = QString::fromUtf8("<data><TSample><Name>中文</Name></TSample></data>");
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write("\xFF\xFE", 2);
    out.write(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    out.close();
    TSample s;
    TOmniXMLReader::LoadFromFile(&s, file);
    EXPECT_EQ(s.Name(), QString::fromUtf8("中文"));
}

TEST(OmniXmlCollection, AtTheTopTheRootIsTheCollection) {
    TSampleItems items;
    items.Add();
    static_cast<TSampleInner*>(items.Add())->SetNum(7);
    const std::string text = TOmniXMLWriter::SaveToText(&items);
    EXPECT_EQ(text,
              R"(<TSampleItems PropFormat="node"><o><num>0</num></o><o><num>7</num></o></TSampleItems>)");
    TSampleItems copy;
    TOmniXMLReader::LoadFromText(&copy, text);
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.At(1)->num(), 7);
}

// A desktop with a comma as decimal separator writes and reads the same documents.
TEST(OmniXmlLocale, CommaLocaleChangesNothing) {
    TempDir dir;
    const std::string locales = dir.path().string();
    // The machine may have no German locale installed: build one for this test.
    const ProcessResult made =
        RunProcess("localedef", {"-i", "de_DE", "-f", "UTF-8", locales + "/de_DE.UTF-8"});
    ASSERT_TRUE(made.exit_code == 0 || made.exit_code == 1) << made.err; // 1: warnings only
    setenv("LOCPATH", locales.c_str(), 1);
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 0.5);
    EXPECT_STREQ(probe, "0,5"); // the locale is really in force

    TSample original;
    Fill(original);
    original.SetRatio(1234.5678);
    const std::string text = Text(original);
    EXPECT_NE(text.find("<Ratio>1234.5678</Ratio>"), std::string::npos);
    EXPECT_NE(text.find("<Gain>0.439999997615814</Gain>"), std::string::npos);
    TSample copy;
    TOmniXMLReader::LoadFromText(&copy, text);
    ExpectSame(original, copy);

    std::setlocale(LC_ALL, "C");
    QLocale::setDefault(QLocale::c());
    unsetenv("LOCPATH");
}

} // namespace vc::test
