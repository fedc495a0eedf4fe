#include "platform/Files.h"
#include "platform/PropertyList.h"
#include "tests/common/TestSupport.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>

using platform::parsePropertyList;
using platform::PlistDictionary;
using platform::PlistValue;
using platform::propertyListXml;

namespace {

std::optional<PlistValue> parse(const std::string& text) {
    return parsePropertyList(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

std::optional<PlistValue> roundTrip(const PlistValue& v) {
    auto xml = propertyListXml(v);
    return xml ? parse(*xml) : std::nullopt;
}

PlistValue everyType() {
    PlistValue::Array list{PlistValue("a"), PlistValue(int64_t(-1)), PlistValue(2.5),
                           PlistValue(PlistValue::Array{}), PlistValue(PlistDictionary{})};
    PlistDictionary inner{{"deep", PlistValue(PlistValue::Array{PlistValue(true)})}};
    return PlistValue(PlistDictionary{
        {"string", PlistValue("value")},
        {"integer", PlistValue(int64_t(1234567890123))},
        {"real", PlistValue(0.1)},
        {"yes", PlistValue(true)},
        {"no", PlistValue(false)},
        {"date", PlistValue(PlistValue::Date{256260690})},
        {"data", PlistValue(PlistValue::Data{0, 1, 2, 0xFE, 0xFF})},
        {"bigdata", PlistValue(PlistValue::Data(1000, 0xA5))},
        {"list", PlistValue(list)},
        {"inner", PlistValue(inner)},
        {"", PlistValue("")},
    });
}

std::string nestedArrays(int depth) {
    std::string s;
    for (int i = 0; i < depth; ++i)
        s += "<array>";
    for (int i = 0; i < depth; ++i)
        s += "</array>";
    return s;
}

} // namespace

TEST(PropertyList, EveryTypeRoundTripsIncludingNesting) {
    PlistValue v = everyType();
    auto back = roundTrip(v);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, v);
    // Spot checks, so that equality is not all that is trusted.
    const auto& dict = *back->dictionary();
    EXPECT_EQ(*dict.at("integer").integer(), 1234567890123);
    EXPECT_EQ(dict.at("date").date()->secondsSince2001, 256260690);
    EXPECT_EQ(*dict.at("data").data(), (PlistValue::Data{0, 1, 2, 0xFE, 0xFF}));
    EXPECT_TRUE(*dict.at("inner").dictionary()->at("deep").array()->at(0).boolean());
    EXPECT_FALSE(PlistValue(int64_t(1)) == PlistValue(1.0));
}

TEST(PropertyList, WritesTheStandardLayout) {
    PlistDictionary d{{"key", PlistValue("120")}, {"list", PlistValue(PlistValue::Array{})}};
    EXPECT_EQ(propertyListXml(PlistValue(d)),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
              "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
              "<plist version=\"1.0\">\n"
              "<dict>\n"
              "\t<key>key</key>\n"
              "\t<string>120</string>\n"
              "\t<key>list</key>\n"
              "\t<array/>\n"
              "</dict>\n"
              "</plist>\n");
    EXPECT_NE(propertyListXml(PlistValue(PlistValue::Date{256260690}))
                  ->find("<date>2009-02-13T23:31:30Z</date>"),
              std::string::npos);
}

TEST(PropertyList, TrickyStringsRoundTrip) {
    const char* strings[] = {
        "",
        "a < b && c > d \"quoted\" 'single'",
        "]]>",
        "<![CDATA[ not a section ]]>",
        "&amp; stays literal",
        "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x9A\x80",
        "tab\tnewline\nreturn\r\r\n",
        "   leading and trailing spaces   ",
        "   ",
        "\x7F \xEF\xBF\xBD",
    };
    for (const char* s : strings) {
        PlistValue v(PlistDictionary{{s, PlistValue(s)}});
        auto back = roundTrip(v);
        ASSERT_TRUE(back) << s;
        EXPECT_EQ(*back, v) << s;
    }
    // Bytes that are not UTF-8 cannot go into the file as they are; the
    // writer replaces them so that the file stays readable.
    auto repaired = roundTrip(PlistValue("bad\xFF\xC3"));
    ASSERT_TRUE(repaired);
    EXPECT_EQ(*repaired->string(), "bad\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(PropertyList, WhatXmlCannotHoldIsNotWritten) {
    // Controls other than tab, newline and return, and U+FFFE and U+FFFF,
    // are no XML characters, not even as references: a standard reader
    // would refuse the whole file.
    test::TempDir dir;
    const std::string path = dir.file("saved.plist");
    ASSERT_TRUE(platform::writeDictionary({{"key", PlistValue("old")}}, path));
    for (const std::string& bad :
         {std::string("a\0b", 3), std::string("bell\x07"), std::string("\x1F"),
          std::string("\xEF\xBF\xBE"), std::string("\xEF\xBF\xBF")}) {
        EXPECT_FALSE(propertyListXml(PlistValue(bad))) << bad;
        EXPECT_FALSE(platform::writeDictionary({{"key", PlistValue(bad)}}, path)) << bad;
        EXPECT_FALSE(platform::writeDictionary({{bad, PlistValue("value")}}, path)) << bad;
    }
    EXPECT_EQ(platform::readDictionary(path), (PlistDictionary{{"key", PlistValue("old")}}));
    // A carriage return goes as a reference, which XML allows and keeps.
    EXPECT_NE(propertyListXml(PlistValue("a\rb"))->find("a&#13;b"), std::string::npos);
    // Files from before, with controls as references, still read.
    EXPECT_EQ(*parse("<string>&#1;&#0;</string>")->string(), std::string("\x01\0", 2));
}

TEST(PropertyList, NumbersRoundTripExactly) {
    const double reals[] = {0.1,
                            1.0 / 3.0,
                            -0.0,
                            123456789.123456789,
                            5e-324,
                            std::numeric_limits<double>::max(),
                            -std::numeric_limits<double>::min(),
                            std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity()};
    for (double r : reals) {
        auto back = roundTrip(PlistValue(r));
        ASSERT_TRUE(back && back->real()) << r;
        EXPECT_EQ(std::memcmp(back->real(), &r, sizeof r), 0) << r;
    }
    auto nan = roundTrip(PlistValue(std::numeric_limits<double>::quiet_NaN()));
    ASSERT_TRUE(nan && nan->real());
    EXPECT_TRUE(std::isnan(*nan->real()));
    for (int64_t i : {std::numeric_limits<int64_t>::min(), int64_t(-1), int64_t(0),
                      std::numeric_limits<int64_t>::max()})
        EXPECT_EQ(*roundTrip(PlistValue(i))->integer(), i);
}

TEST(PropertyList, ReadsWhatOtherWritersProduce) {
    auto v =
        parse("\xEF\xBB\xBF<?xml version='1.0'?>\n"
              "<!-- a comment -->\n"
              "<!DOCTYPE plist [ <!ELEMENT plist ANY> <!ATTLIST plist version CDATA '>'> ]>\n"
              "<plist version=\"1.0\">\n"
              "<dict>\n"
              "  <key>dup</key><string>first</string>\n"
              "  <!-- between entries -->\n"
              "  <key>dup</key><string>last</string>\n"
              "  <key>ent</key><string>&lt;&gt;&amp;&quot;&apos;&#65;&#x42;&#x1F600;</string>\n"
              "  <key>cdata</key><string>x<![CDATA[<&>]]>y<!-- gone -->z</string>\n"
              "  <key/><string/>\n"
              "  <key>int</key><integer> -42 </integer>\n"
              "  <key>plus</key><integer>+7</integer>\n"
              "  <key>real</key><real>.5e1</real>\n"
              "  <key>t</key><true></true>\n"
              "  <key>date</key><date>2001-01-01T00:00:00Z</date>\n"
              "  <key>leap</key><date>2004-02-29T12:00:00Z</date>\n"
              "  <key>data</key><data>\n\tAAEC\n\tAw==\n</data>\n"
              "  <key>nopad</key><data>AAE</data>\n"
              "  <key>empty</key><dict/>\n"
              "</dict >\n"
              "</plist>\n<!-- trailing -->\n");
    ASSERT_TRUE(v && v->dictionary());
    const auto& d = *v->dictionary();
    EXPECT_EQ(*d.at("dup").string(), "last");
    EXPECT_EQ(*d.at("ent").string(), "<>&\"'AB\xF0\x9F\x98\x80");
    EXPECT_EQ(*d.at("cdata").string(), "x<&>yz");
    EXPECT_EQ(*d.at("").string(), "");
    EXPECT_EQ(*d.at("int").integer(), -42);
    EXPECT_EQ(*d.at("plus").integer(), 7);
    EXPECT_EQ(*d.at("real").real(), 5.0);
    EXPECT_TRUE(*d.at("t").boolean());
    EXPECT_EQ(d.at("date").date()->secondsSince2001, 0);
    EXPECT_EQ(d.at("leap").date()->secondsSince2001, (365 * 3 + 31 + 28) * 86400.0 + 43200);
    EXPECT_EQ(*d.at("data").data(), (PlistValue::Data{0, 1, 2, 3}));
    EXPECT_EQ(*d.at("nopad").data(), (PlistValue::Data{0, 1}));
    EXPECT_TRUE(d.at("empty").dictionary()->empty());

    auto bare = parse("<array><string>a</string><false/></array>");
    ASSERT_TRUE(bare && bare->array());
    EXPECT_EQ(bare->array()->size(), 2u);
    EXPECT_TRUE(parse(nestedArrays(256)));
}

TEST(PropertyList, MalformedInputIsRefused) {
    const std::string cases[] = {
        "",
        "   ",
        "<plist version=\"1.0\"></plist>",
        "<plist/>",
        "<plist><string>a</string>",
        "<plist><string>a</string></plist> trailing",
        "<plist><string>a</string><string>b</string></plist>",
        "<string>a</string><string>b</string>",
        "<string>a</strin>",
        "<string>a<b/></string>",
        "<String>a</String>",
        "<unknown/>",
        "<key>a</key>",
        "<dict><key>a</key></dict>",
        "<dict><string>a</string></dict>",
        "<dict><key>a</key><key>b</key><string/></dict>",
        "<dict>text<key>a</key><string/></dict>",
        "<array>text</array>",
        "<array><string>a</string>",
        "<integer>9223372036854775808</integer>",
        "<integer>-9223372036854775809</integer>",
        "<integer>99999999999999999999999</integer>",
        "<integer>12a</integer>",
        "<integer>0x10</integer>",
        "<integer>-</integer>",
        "<integer/>",
        "<integer></integer>",
        "<real>1e</real>",
        "<real>1.2.3</real>",
        "<real>0x1p3</real>",
        "<real/>",
        "<true>yes</true>",
        "<date>2009-02-29T00:00:00Z</date>",
        "<date>2009-13-01T00:00:00Z</date>",
        "<date>2009-01-01T24:00:00Z</date>",
        "<date>2009-01-01T00:60:00Z</date>",
        "<date>2009-01-01 00:00:00Z</date>",
        "<date>2009-01-01T00:00:00</date>",
        "<date>+009-01-01T00:00:00Z</date>",
        "<data>A</data>",
        "<data>AB=C</data>",
        "<data>AB===</data>",
        "<data>A*BC</data>",
        "<string>&foo;</string>",
        "<string>&#xD800;</string>",
        "<string>&#x110000;</string>",
        "<string>&#99999999999999999999;</string>",
        "<string>&#;</string>",
        "<string>&#x;</string>",
        "<string>&#12a;</string>",
        "<string>& amp;</string>",
        "<string>&amp</string>",
        "<string>a < b</string>",
        "<string>\xC3\x28</string>",
        "<string>\xED\xA0\x80</string>",
        "<string>\xC0\xAF</string>",
        std::string("<string>a\0b</string>", 20),
        "<!-- unterminated <string/>",
        "<?xml version='1.0' <string/>",
        "<!DOCTYPE plist [ <string/>",
        "<string attr=unquoted>a</string>",
        "<string attr=\"<\">a</string>",
        "<string",
        "</string>",
        "bplist00",
        nestedArrays(257),
    };
    for (const std::string& c : cases)
        EXPECT_FALSE(parse(c)) << c;
    EXPECT_FALSE(parsePropertyList(nullptr, 0));
}

TEST(PropertyList, NumberValueReadsTheLeadingNumber) {
    struct Case {
        const char* text;
        double value;
    } cases[] = {{"42", 42},
                 {"  -3.5abc", -3.5},
                 {"+7", 7},
                 {"abc", 0},
                 {"", 0},
                 {"1e3", 1000},
                 {"1e", 1},
                 {".5", 0.5},
                 {"5.", 5},
                 {"-", 0},
                 {"0x10", 0},
                 {"12:30", 12},
                 {"\n\t9 lives", 9},
                 {"1.5e-1x", 0.15},
                 {"inf", 0},
                 {"nan", 0},
                 {"120.500000", 120.5}};
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(PlistValue(c.text).numberValue(), c.value) << c.text;
    EXPECT_EQ(PlistValue("1e999").numberValue(), std::numeric_limits<double>::infinity());
    EXPECT_EQ(PlistValue(int64_t(-12)).numberValue(), -12);
    EXPECT_EQ(PlistValue(2.25).numberValue(), 2.25);
    EXPECT_EQ(PlistValue(true).numberValue(), 0);
    EXPECT_EQ(PlistValue(PlistValue::Array{}).numberValue(), 0);
}

// ---------------------------------------------------------------------------
// Files

TEST(PropertyListFiles, DictionaryRoundTripsThroughAFile) {
    test::TempDir dir;
    PlistDictionary d = *everyType().dictionary();
    ASSERT_TRUE(platform::writeDictionary(d, dir.file("saved.plist")));
    auto back = platform::readDictionary(dir.file("saved.plist"));
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, d);
    // Rewriting replaces the whole dictionary; nothing is merged.
    ASSERT_TRUE(platform::writeDictionary({{"key", PlistValue("ok")}}, dir.file("saved.plist")));
    EXPECT_EQ(platform::readDictionary(dir.file("saved.plist")),
              (PlistDictionary{{"key", PlistValue("ok")}}));
}

TEST(PropertyListFiles, DamagedMissingAndForeignFilesReadAsNoDictionary) {
    test::TempDir dir;
    test::LogCapture log;
    EXPECT_FALSE(platform::readDictionary(dir.file("missing")));
    EXPECT_TRUE(log.lines().empty());

    test::writeText(dir.file("empty"), "");
    test::writeText(dir.file("array"), "<plist version=\"1.0\"><array/></plist>");
    test::writeText(dir.file("string"), "<plist version=\"1.0\"><string>x</string></plist>");
    test::writeText(dir.file("huge"), "<plist version=\"1.0\"><dict><key>key</key>"
                                      "<integer>123456789012345678901234567890</integer>"
                                      "</dict></plist>");
    PlistDictionary d{{"key", PlistValue("12345")}};
    ASSERT_TRUE(platform::writeDictionary(d, dir.file("cut")));
    std::string whole = test::readText(dir.file("cut"));
    test::writeText(dir.file("cut"), whole.substr(0, whole.size() / 2));
    std::string flipped = whole;
    flipped[flipped.find("<string>") + 1] = 'x';
    test::writeText(dir.file("flipped"), flipped);
    std::filesystem::create_directory(dir.file("directory"));
    // The compact binary form ({ "key": "ok" }) is not read: saved files are XML.
    test::writeText(dir.file("binary"),
                    std::string("bplist00\xD1\x01\x02\x53key\x52ok\x08\x0B\x0F\0\0\0\0\0\0"
                                "\x01\x01\0\0\0\0\0\0\0\x03\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\x12",
                                53));

    for (const char* name :
         {"empty", "array", "string", "huge", "cut", "flipped", "directory", "binary"})
        EXPECT_FALSE(platform::readDictionary(dir.file(name))) << name;
    // Each damaged file is reported once, however often it is read.
    EXPECT_EQ(log.lines().size(), 8u);
    EXPECT_FALSE(platform::readDictionary(dir.file("cut")));
    EXPECT_EQ(log.lines().size(), 8u);
}

TEST(PropertyListFiles, FailedWriteKeepsTheOldFile) {
    test::TempDir dir;
    EXPECT_FALSE(platform::writeDictionary({}, dir.file("no/such/dir/file")));
    std::filesystem::create_directory(dir.file("taken"));
    test::writeText(dir.file("taken/inside"), "x");
    EXPECT_FALSE(platform::writeDictionary({{"a", PlistValue("b")}}, dir.file("taken")));
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("taken")));
    // No temporary file is left behind.
    size_t entries = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 1u);

    // What the reader would refuse is not written over a good file.
    ASSERT_TRUE(platform::writeDictionary({{"a", PlistValue("b")}}, dir.file("deep")));
    PlistValue deep("leaf");
    for (int i = 0; i < 300; ++i)
        deep = PlistValue(PlistValue::Array{deep});
    EXPECT_FALSE(platform::writeDictionary({{"deep", deep}}, dir.file("deep")));
    EXPECT_EQ(platform::readDictionary(dir.file("deep")),
              (PlistDictionary{{"a", PlistValue("b")}}));
}

TEST(PropertyListFiles, ReaderBesideAWriterOnlySeesWholeFiles) {
    test::TempDir dir;
    const std::string path = dir.file("scoreData.plist");
    PlistDictionary small{{"key", PlistValue("1")}};
    PlistDictionary big;
    for (int i = 0; i < 3000; ++i)
        big["entry" + std::to_string(i)] = PlistValue(std::string(40, char('a' + i % 26)));
    ASSERT_TRUE(platform::writeDictionary(big, path));

    std::atomic<bool> writing = true;
    std::atomic<int> reads = 0, bad = 0, sawSmall = 0, sawBig = 0;
    std::thread reader([&] {
        // At least a few reads even when the writer finishes first.
        while (writing || reads < 20) {
            auto d = platform::readDictionary(path);
            if (d && *d == small)
                ++sawSmall;
            else if (d && *d == big)
                ++sawBig;
            else
                ++bad;
            ++reads;
        }
    });
    for (int i = 0; i < 60; ++i)
        ASSERT_TRUE(platform::writeDictionary(i % 2 ? big : small, path));
    writing = false;
    reader.join();
    EXPECT_EQ(bad, 0);
    EXPECT_EQ(sawSmall + sawBig, reads);
    EXPECT_EQ(platform::readDictionary(path), big);
}
