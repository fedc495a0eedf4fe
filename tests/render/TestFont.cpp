#include "tests/render/TestFont.h"

#include "tests/render/RenderTestSupport.h"

namespace rendertest {

std::string writeTestPage(const test::TempDir& dir) {
    std::string path = dir.file("page.png");
    writePng(path, 32, 16, [](int x, int) -> std::array<uint8_t, 4> {
        switch (x / 8) {
        case 0:
            return {255, 0, 0, 255};
        case 1:
            return {0, 255, 0, 255};
        case 2:
            return {0, 0, 255, 255};
        default:
            return {255, 255, 255, 255};
        }
    });
    return path;
}

std::string fntText(const std::string& pagePath, const std::string& body, int lineHeight) {
    return "info face=\"Test\" size=16 bold=0 italic=0 charset=\"\" unicode=0 stretchH=100 "
           "smooth=1 aa=1 padding=0,0,0,0 spacing=1,1\n"
           "common lineHeight=" +
           std::to_string(lineHeight) +
           " base=13 scaleW=32 scaleH=16 pages=1 packed=0\n"
           "page id=0 file=\"" +
           pagePath + "\"\n" + body;
}

std::string writeTestFont(const test::TempDir& dir, const std::string& name) {
    std::string page = writeTestPage(dir);
    std::string body = "chars count=5\n"
                       "char id=65   x=0     y=0     width=8     height=16    xoffset=0     "
                       "yoffset=0     xadvance=10    page=0  chnl=0\n"
                       "char id=66   x=8     y=0     width=8     height=16    xoffset=0     "
                       "yoffset=0     xadvance=10    page=0  chnl=0\n"
                       "char id=67   x=16    y=0     width=8     height=16    xoffset=0     "
                       "yoffset=0     xadvance=10    page=0  chnl=0\n"
                       "char id=87   x=24    y=0     width=8     height=16    xoffset=0     "
                       "yoffset=0     xadvance=10    page=0  chnl=0\n"
                       "char id=32   x=0     y=0     width=0     height=0     xoffset=0     "
                       "yoffset=0     xadvance=6     page=0  chnl=0\n"
                       "kernings count=1\n"
                       "kerning first=66  second=67  amount=2\n";
    std::string path = dir.file(name);
    test::writeText(path, fntText(page, body));
    return path;
}

} // namespace rendertest
