// Readers of data from outside the program (XML, JSON), the device
// identifier, and handing URLs to the desktop.
#include "platform/Device.h"
#include "platform/Json.h"
#include "platform/SystemOpener.h"
#include "platform/XmlDocument.h"
#include "tests/common/TestSupport.h"

#include <sys/stat.h>

using namespace platform;

TEST(XmlDocumentTest, ReadsElementsTextAndAttributes) {
    auto doc = XmlDocument::parse(
        "<?xml version=\"1.0\"?><ad type=\"imageAd\"><clickurl>http://x/?a=1&amp;b=2</clickurl>"
        "<refresh>30</refresh><htmlString><![CDATA[<b>hi</b>]]></htmlString></ad>");
    ASSERT_TRUE(doc);
    XmlElement root = doc->root();
    EXPECT_EQ(root.name(), "ad");
    EXPECT_EQ(root.attribute("type"), "imageAd");
    EXPECT_EQ(root.childText("clickurl"), "http://x/?a=1&b=2");
    EXPECT_EQ(root.childText("htmlString"), "<b>hi</b>");
    EXPECT_FALSE(root.child("missing").exists());
    EXPECT_EQ(root.child("missing").child("deeper").text(), "");
}

TEST(XmlDocumentTest, RefusesMalformedDocumentsAndAnyDocumentType) {
    const char* bad[] = {
        "",
        "<ad><unclosed></ad>",
        "just text",
        // Entity expansion ("billion laughs") and an external entity.
        "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\">"
        "<!ENTITY lol2 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">]>"
        "<ad type=\"textAd\">&lol2;</ad>",
        "<?xml version=\"1.0\"?><!DOCTYPE ad [<!ENTITY xxe SYSTEM \"file:///etc/passwd\">]>"
        "<ad type=\"textAd\"><htmlString>&xxe;</htmlString></ad>",
    };
    for (const char* text : bad) EXPECT_FALSE(XmlDocument::parse(text)) << text;
    std::string huge = "<a>" + std::string(2 << 20, 'x') + "</a>";
    EXPECT_FALSE(XmlDocument::parse(huge));
}

TEST(JsonTest, ParsesObjectsAndRefusesBadOrDeepInput) {
    auto v = parseJson(R"({"headline":"Hi","n":3})");
    ASSERT_TRUE(v);
    EXPECT_EQ(jsonString(*v, "headline"), "Hi");
    EXPECT_EQ(jsonString(*v, "n", "none"), "none");
    EXPECT_EQ(jsonString(Json::array(), "x"), "");
    EXPECT_FALSE(parseJson("{\"a\":"));
    EXPECT_FALSE(parseJson(std::string(100, '[') + std::string(100, ']')));
    EXPECT_TRUE(parseJson(std::string(10, '[') + std::string(10, ']')));
}

TEST(DeviceTest, IdentifierIsStableAndHidesTheMachineId) {
    std::string id = deviceIdentifier();
    EXPECT_EQ(id.size(), 32u);
    EXPECT_EQ(id.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_EQ(deviceIdentifierFrom("0123456789abcdef0123456789abcdef"),
              deviceIdentifierFrom("0123456789abcdef0123456789abcdef"));
    EXPECT_NE(deviceIdentifierFrom("0123456789abcdef0123456789abcdef"),
              deviceIdentifierFrom("0123456789abcdef0123456789abcdee"));
    // Not a plain digest of the machine id.
    EXPECT_NE(deviceIdentifierFrom("m"), md5Hex("m", false));
    EXPECT_EQ(md5Hex("", true), "D41D8CD98F00B204E9800998ECF8427E");
    EXPECT_EQ(md5Hex("abc", false), "900150983cd24fb0d6963f7d28e17f72");
}

TEST(SystemOpenerTest, HandsAllowedUrlsOverAsOneArgumentAndRefusesOthers) {
    test::TempDir dir;
    std::string script = dir.file("opener.sh");
    std::string out = dir.file("args");
    // Each opener appends its whole line in one write, so two running at once cannot interleave.
    test::writeText(script, "#!/bin/sh\nline=\nfor a in \"$@\"; do line=\"$line[$a]\"; done\n"
                            "printf '%s\\n' \"$line\" >> " + out + "\n");
    chmod(script.c_str(), 0755);
    std::string previous = setSystemOpener(script);

    const std::string nasty = "http://x.example/?q=$(touch " + dir.file("pwned") + ");a|b&c`d` 'e\"";
    EXPECT_TRUE(openURLWithSystem(nasty));
    EXPECT_TRUE(openURLWithSystem("tel:+15551234"));
    test::LogCapture log;
    for (const char* refused : {"javascript:alert(1)", "file:///etc/passwd", "data:text/html,x",
                                "myapp://open", "-x", "no scheme"})
        EXPECT_FALSE(openURLWithSystem(refused)) << refused;
    EXPECT_EQ(log.lines().size(), 6u);
    EXPECT_TRUE(log.contains("Refused to open a URL with the scheme 'javascript'"));
    waitForSystemOpeners();
    setSystemOpener(previous);

    // One line per opener, in whichever order they ran.
    std::string lines = test::readText(out);
    EXPECT_EQ(lines.size(), nasty.size() + 3 + 16);
    EXPECT_NE(lines.find("[" + nasty + "]\n"), std::string::npos) << lines;
    EXPECT_NE(lines.find("[tel:+15551234]\n"), std::string::npos) << lines;
    EXPECT_FALSE(std::filesystem::exists(dir.file("pwned")));
}
