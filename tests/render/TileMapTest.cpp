// Tile maps: TMX files read and drawn, TGA tile maps, and the inputs both
// refuse.
#include "render/TMXTiledMap.h"
#include "render/TextureMgr.h"
#include "render/TileMapAtlas.h"
#include "tests/render/RenderTestSupport.h"

#include <filesystem>
#include <fstream>

using namespace rendertest;

namespace {

using Rgba = std::array<uint8_t, 4>;
constexpr Rgba kRed{255, 0, 0, 255}, kBlue{0, 0, 255, 255}, kGreen{0, 255, 0, 255};
const uint8_t kBlack[4] = {0, 0, 0, 255};

// Tiles 1, 2 across the top row, 2, 1 below: zlib, base64.
constexpr const char* kCheckerZlib = "eJxjZGBgYIJiRiAGAABMAAc=";

std::string mapXml(const std::string& layers, const std::string& extra = "") {
    return R"(<?xml version="1.0"?>
<map version="1.0" orientation="orthogonal" width="2" height="2" tilewidth="8" tileheight="8">
 <properties><property name="level" value="1"/></properties>
 <tileset firstgid="1" name="colours" tilewidth="8" tileheight="8">
  <image source="tiles.png" width="24" height="8"/>
  <tile id="1"><properties><property name="solid" value="yes"/></properties></tile>
 </tileset>)" +
           layers + extra + "</map>";
}

std::string layer(const std::string& name, const std::string& data) {
    return "<layer name=\"" + name + "\" width=\"2\" height=\"2\">" + data + "</layer>";
}

Ref<TMXMapInfo> parse(const std::string& xml, const TMXMapInfo::FileReader& read = nullptr) {
    return TMXMapInfo::formatWithXML(xml.data(), xml.size(), "maps/", read);
}

// A 24 x 8 picture of three 8 x 8 tiles: red, blue, green.
void writeTiles(const std::string& path) {
    writePng(path, 24, 8, [](int x, int) { return x < 8 ? kRed : x < 16 ? kBlue : kGreen; });
}

class TileMapTest : public NodeGLTest {};

} // namespace

TEST_F(TileMapTest, ReadsTilesetsLayersInEveryEncodingPropertiesAndObjects) {
    std::string xml =
        mapXml(layer("zlib", std::string("<data encoding=\"base64\" compression=\"zlib\">") +
                                 kCheckerZlib + "</data>") +
                   layer("gzip", "<data encoding=\"base64\" compression=\"gzip\">"
                                 "H4sIAAAAAAACA2NkYGhggAImIAYAWDewSBAAAAA=</data>") +
                   layer("plain", "<data encoding=\"base64\">AQAAAAIAAAACAAAAAQAAAA==</data>") +
                   layer("csv", "<data encoding=\"csv\">\n1,2,\n2,1\n</data>") +
                   layer("xml", "<data><tile gid=\"1\"/><tile gid=\"2\"/><tile gid=\"2\"/><tile "
                                "gid=\"1\"/></data>"),
               R"(<tileset firstgid="4" source="more.tsx"/>
           <objectgroup name="things"><properties><property name="kind" value="spawns"/></properties>
            <object name="start" type="spawn" x="2" y="3" width="4" height="5">
             <properties><property name="hp" value="3"/></properties></object>
           </objectgroup>)");
    std::string asked;
    auto info = parse(xml, [&](const std::string& path) -> std::optional<std::string> {
        asked = path;
        return std::string(R"(<tileset name="more" tilewidth="8" tileheight="8">
                                <image source="../art/more.png"/></tileset>)");
    });
    ASSERT_TRUE(info);
    EXPECT_EQ(info->mapSize, ccg(2, 2));
    EXPECT_EQ(info->properties.at("level"), "1");
    ASSERT_EQ(info->layers.size(), 5u);
    const std::vector<uint32_t> checker{1, 2, 2, 1};
    for (int i : {0, 2, 3, 4})
        EXPECT_EQ(info->layers[size_t(i)]->tiles, checker) << info->layers[size_t(i)]->name;
    EXPECT_EQ(info->layers[1]->tiles, (std::vector<uint32_t>{0x80000001u, 0, 0, 2}));
    ASSERT_EQ(info->tilesets.size(), 2u);
    EXPECT_EQ(info->tilesets[0]->sourceImage, "maps/tiles.png");
    EXPECT_EQ(asked, "maps/more.tsx");
    EXPECT_EQ(info->tilesets[1]->firstGid, 4u);
    EXPECT_EQ(info->tilesets[1]->sourceImage, "maps/../art/more.png");
    EXPECT_EQ(info->tileProperties.at(2).at("solid"), "yes");
    ASSERT_EQ(info->objectGroups.size(), 1u);
    const TMXObjectGroup& group = *info->objectGroups[0];
    EXPECT_EQ(group.propertyNamed("kind"), "spawns");
    const TMXProperties* start = group.objectNamed("start");
    ASSERT_TRUE(start);
    EXPECT_EQ(start->at("type"), "spawn");
    EXPECT_EQ(start->at("hp"), "3");
    // 16 points high: y 3 from the top with height 5 is y 8 from the bottom.
    EXPECT_EQ(start->at("x"), "2");
    EXPECT_EQ(start->at("y"), "8");
}

TEST_F(TileMapTest, RefusesMalformedMaps) {
    const std::string zlibLayer = std::string("<data encoding=\"base64\" compression=\"zlib\">");
    const struct {
        const char* why;
        std::string xml;
    } cases[] = {
        {"not XML", "<map"},
        {"no map", "<tileset/>"},
        {"bad base64", mapXml(layer("a", zlibLayer + "eJx*jZGBg</data>"))},
        {"bad zlib", mapXml(layer("a", zlibLayer + "AAAAAAAAAAAA</data>"))},
        {"too few tiles", mapXml(layer("a", zlibLayer + "eJxjZGBgYIJiAAAwAAY=</data>"))},
        {"too many tiles", mapXml(layer("a", "<data encoding=\"csv\">1,2,2,1,1</data>"))},
        {"bad CSV", mapXml(layer("a", "<data encoding=\"csv\">1,-2,2,1</data>"))},
        {"unknown compression",
         mapXml(layer("a", "<data encoding=\"base64\" compression=\"lzma\">AAAA</data>"))},
        {"huge map", R"(<map orientation="orthogonal" width="100000" height="100000"
                        tilewidth="8" tileheight="8"/>)"},
        {"too many tiles in all", R"(<map orientation="orthogonal" width="4096" height="4096"
              tilewidth="8" tileheight="8"><layer name="a"/><layer name="b"/></map>)"},
        {"no tile size", R"(<map orientation="orthogonal" width="2" height="2"/>)"},
        {"unknown orientation", R"(<map orientation="round" width="2" height="2"
                                   tilewidth="8" tileheight="8"/>)"},
        {"tile set without a picture",
         R"(<map orientation="orthogonal" width="1" height="1" tilewidth="8" tileheight="8">
              <tileset firstgid="1" name="x" tilewidth="8" tileheight="8"/></map>)"},
        {"missing tile set file",
         R"(<map orientation="orthogonal" width="1" height="1" tilewidth="8" tileheight="8">
              <tileset firstgid="1" source="gone.tsx"/></map>)"},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(parse(c.xml, [](const std::string&) { return std::nullopt; })) << c.why;
}

TEST_F(TileMapTest, ATMXMapDrawsEachLayerInOneBatchAndTilesCanChange) {
    test::TempDir dir;
    writeTiles(dir.file("tiles.png"));
    std::ofstream(dir.file("map.tmx"))
        << mapXml(layer("ground", std::string("<data encoding=\"base64\" compression=\"zlib\">") +
                                      kCheckerZlib + "</data>"));
    auto map = TMXTiledMap::tiledMapWithTMXFile(dir.file("map.tmx"));
    ASSERT_TRUE(map);
    EXPECT_EQ(map->contentSize(), Size(16, 16));
    TMXLayer* ground = map->layerNamed("ground");
    ASSERT_TRUE(ground);
    EXPECT_EQ(ground->textureAtlas()->totalQuads(), 4u);
    EXPECT_EQ(ground->tileGIDAt(ccg(1, 0)), 2u);
    ASSERT_TRUE(map->propertiesForGID(2));

    ground->setTileGID(3, ccg(1, 1)); // bottom-right: green
    ground->removeTileAt(ccg(0, 1));  // bottom-left: empty
    ground->setTileGID(7, ccg(0, 0)); // not of its tile set: refused
    auto surface = surface2D(16, 16, kBlack);
    ASSERT_TRUE(surface);
    map->visit();
    endDrawing();
    Pixels px = Pixels::of(*surface);
    // Row 0 is the top row.
    EXPECT_TRUE(near(px.at(4, 12), {255, 0, 0, 255}));
    EXPECT_TRUE(near(px.at(12, 12), {0, 0, 255, 255}));
    EXPECT_TRUE(near(px.at(4, 4), {0, 0, 0, 255}));
    EXPECT_TRUE(near(px.at(12, 4), {0, 255, 0, 255}));

    // Without its picture the map is refused.
    std::filesystem::remove(dir.file("tiles.png"));
    TextureMgr::sharedTextureMgr().removeAllTextures();
    EXPECT_FALSE(TMXTiledMap::tiledMapWithTMXFile(dir.file("map.tmx")));
}

TEST_F(TileMapTest, CellsArePlacedByTheMapsOrientation) {
    auto info = make<TMXMapInfo>();
    info->mapSize = ccg(3, 2);
    info->tileSize = Size(32, 16);
    auto tiles = make<TMXTilesetInfo>();
    tiles->tileSize = Size(32, 16);
    test::TempDir dir;
    writeTiles(dir.file("tiles.png"));
    tiles->sourceImage = dir.file("tiles.png");
    auto data = make<TMXLayerInfo>();
    data->layerSize = ccg(3, 2);
    data->tiles.assign(6, 0);
    struct Case {
        int orientation;
        bool staggerX;
        ccGridSize cell;
        Point expected;
    };
    const Case cases[] = {
        {TMXOrientationOrtho, false, ccg(0, 0), {0, 16}},
        {TMXOrientationOrtho, false, ccg(2, 1), {64, 0}},
        // Diamonds: (0, 0) at the top corner, rows going down to the left.
        {TMXOrientationIso, false, ccg(0, 0), {32, 24}},
        {TMXOrientationIso, false, ccg(2, 1), {48, 0}},
        {TMXOrientationIso, false, ccg(0, 1), {16, 16}},
        // Hexagons with sides of 8: odd rows shift right, or odd columns down.
        {TMXOrientationHex, false, ccg(0, 0), {0, 12}},
        {TMXOrientationHex, false, ccg(1, 1), {48, 0}},
        {TMXOrientationHex, true, ccg(1, 0), {20, 16}},
        {TMXOrientationHex, true, ccg(2, 1), {40, 8}},
    };
    for (const Case& c : cases) {
        info->orientation = c.orientation;
        info->hexSideLength = 8;
        info->staggerX = c.staggerX;
        auto l = TMXLayer::layerWithTilesetInfo(tiles.get(), data.get(), info.get());
        ASSERT_TRUE(l);
        EXPECT_EQ(l->positionAt(c.cell), c.expected)
            << c.orientation << " (" << c.cell.x << ", " << c.cell.y << ")";
    }
}

TEST_F(TileMapTest, ATGAMapDrawsTheTileOfEachPixelsRedValue) {
    test::TempDir dir;
    writeTiles(dir.file("tiles.png"));
    // 3 x 2, bottom row first, BGR: tiles 1, 0, 2 then 2, 1, 0.
    const uint8_t reds[] = {1, 0, 2, 2, 1, 0};
    std::vector<uint8_t> tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 2, 0, 24, 0};
    for (uint8_t r : reds)
        tga.insert(tga.end(), {0, 0, r});
    writeFile(dir.file("map.tga"), tga);
    auto map =
        TileMapAtlas::tileMapAtlasWithTileFile(dir.file("tiles.png"), dir.file("map.tga"), 8, 8);
    ASSERT_TRUE(map);
    EXPECT_EQ(map->mapSize(), ccg(3, 2));
    EXPECT_EQ(map->textureAtlas()->totalQuads(), 4u);
    EXPECT_EQ(map->tileAt(ccg(2, 0)).r, 2);
    map->setTile(ccc3(1, 0, 0), ccg(1, 0)); // the empty cell gets tile 1
    map->setTile(ccc3(0, 0, 0), ccg(0, 1)); // and one is emptied

    auto surface = surface2D(24, 16, kBlack);
    ASSERT_TRUE(surface);
    map->visit();
    endDrawing();
    Pixels px = Pixels::of(*surface);
    // Tile 1 is the sheet's second (blue), tile 2 its third (green).
    EXPECT_TRUE(near(px.at(4, 4), {0, 0, 255, 255}));
    EXPECT_TRUE(near(px.at(12, 4), {0, 0, 255, 255}));
    EXPECT_TRUE(near(px.at(20, 4), {0, 255, 0, 255}));
    EXPECT_TRUE(near(px.at(4, 12), {0, 0, 0, 255}));
    EXPECT_TRUE(near(px.at(12, 12), {0, 0, 255, 255}));
    EXPECT_TRUE(near(px.at(20, 12), {0, 0, 0, 255}));

    writeFile(dir.file("bad.tga"), {0, 0, 1, 0});
    EXPECT_FALSE(
        TileMapAtlas::tileMapAtlasWithTileFile(dir.file("tiles.png"), dir.file("bad.tga"), 8, 8));
    EXPECT_FALSE(
        TileMapAtlas::tileMapAtlasWithTileFile(dir.file("none.png"), dir.file("map.tga"), 8, 8));
}
