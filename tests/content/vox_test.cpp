// Figures from voxel files: what the file draws is what the player carves, in
// the right place and colour, and a broken file is refused by its fault.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "author/authoring.hpp"
#include "author/figure.hpp"
#include "author/vox.hpp"
#include "image/png_io.hpp"
#include "puzzle/library.hpp"
#include "support/temp_dir.hpp"

namespace sorvel::authoring {
namespace {

namespace fs = std::filesystem;

// Assembles files the way a voxel editor writes them, a chunk at a time.
std::string u32(std::uint32_t value) {
  return {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
          static_cast<char>(value >> 24)};
}

std::string chunk(const std::string& id, const std::string& content, const std::string& children = "") {
  return id + u32(static_cast<std::uint32_t>(content.size())) + u32(static_cast<std::uint32_t>(children.size())) +
         content + children;
}

std::string voxFile(const std::string& children, std::uint32_t version = 150) {
  return "VOX " + u32(version) + chunk("MAIN", "", children);
}

std::string sizeChunk(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return chunk("SIZE", u32(x) + u32(y) + u32(z)); }

std::string voxelChunk(std::initializer_list<Voxel> voxels) {
  std::string content = u32(static_cast<std::uint32_t>(voxels.size()));
  for (const Voxel& v : voxels) content += std::string{char(v.x), char(v.y), char(v.z), char(v.colour)};
  return chunk("XYZI", content);
}

// Palette index -> 0xRRGGBB; the file's first entry is index 1.
std::string paletteChunk(const std::map<int, std::uint32_t>& colours) {
  std::string content;
  for (int index = 1; index <= 256; ++index) {
    const auto found = colours.find(index);
    const std::uint32_t rgb = found == colours.end() ? 0x000000 : found->second;
    content += std::string{char(rgb >> 16), char(rgb >> 8), char(rgb), char(0xFF)};
  }
  return chunk("RGBA", content);
}

// A 3-wide, 2-deep slab in red with a blue post at its front left and a green
// knob at its back right, drawn away from the model's corner so that cropping
// shows; index 10 red, 20 blue, 30 green.
const std::map<int, std::uint32_t> kColours = {{10, 0xC8372D}, {20, 0x2F6FA8}, {30, 0x3A9A4B}};
std::string slabModel() {
  return sizeChunk(6, 5, 4) + voxelChunk({{1, 2, 1, 10}, {2, 2, 1, 10}, {3, 2, 1, 10}, {1, 3, 1, 10}, {2, 3, 1, 10},
                                          {3, 3, 1, 10}, {1, 2, 2, 20}, {1, 2, 3, 20}, {3, 3, 2, 30}}) +
         paletteChunk(kColours);
}

// Where each cube of the slab model lands: x across, y up, z towards the
// player. The file's front (its low y) is our front row, z = 1.
const std::map<std::tuple<int, int, int>, char> kSlabCubes = {
    {{0, 0, 0}, 'a'}, {{1, 0, 0}, 'a'}, {{2, 0, 0}, 'a'}, {{0, 0, 1}, 'a'}, {{1, 0, 1}, 'a'},
    {{2, 0, 1}, 'a'}, {{0, 1, 1}, 'b'}, {{0, 2, 1}, 'b'}, {{2, 1, 0}, 'c'}};

void expectSlab(const Figure& figure) {
  ASSERT_EQ(std::tie(figure.X, figure.Y, figure.Z), std::make_tuple(3, 3, 2));
  for (int y = 0; y < 3; ++y) {
    for (int z = 0; z < 2; ++z) {
      for (int x = 0; x < 3; ++x) {
        const auto found = kSlabCubes.find({x, y, z});
        EXPECT_EQ(figure.cells[figure.index(x, y, z)], found == kSlabCubes.end() ? '.' : found->second)
            << "x " << x << ", y " << y << ", z " << z;
      }
    }
  }
  EXPECT_EQ(figure.palette, (std::map<char, std::uint32_t>{{'a', 0xC8372D}, {'b', 0x2F6FA8}, {'c', 0x3A9A4B}}));
}

std::string refusal(const std::string& bytes) {
  try {
    figureFromVox(parseVox(bytes, "ardilla.vox"), "ardilla.vox");
  } catch (const VoxError& error) {
    return error.what();
  } catch (const FigureError& error) {
    return std::string("not a VoxError: ") + error.what();
  }
  return "accepted";
}

TEST(VoxFile, ModelBecomesTheFigureCroppedUprightAndFacingThePlayer) {
  const VoxModel model = parseVox(voxFile(slabModel()), "losa.vox");
  EXPECT_EQ(std::tie(model.sizeX, model.sizeY, model.sizeZ), std::make_tuple(6, 5, 4));
  EXPECT_EQ(model.voxels.size(), 9u);
  expectSlab(figureFromVox(model, "losa.vox"));

  // The scene graph, materials and layers around the model change nothing.
  const std::string scene = chunk("PACK", u32(1)) + slabModel() + chunk("nTRN", u32(0) + u32(0) + u32(1)) +
                            chunk("nSHP", u32(1) + u32(0) + u32(1)) + chunk("MATL", u32(10) + u32(0)) +
                            chunk("LAYR", u32(0) + u32(0) + u32(0xFFFFFFFF)) + chunk("NOTE", u32(0));
  expectSlab(figureFromVox(parseVox(voxFile(scene, 200), "losa.vox"), "losa.vox"));
}

TEST(VoxFile, WithoutAPaletteUsesTheFormatsDefaultColours) {
  // A post of five colours, indices as the format's default table lists them.
  const Figure figure = figureFromVox(
      parseVox(voxFile(sizeChunk(1, 1, 5) + voxelChunk({{0, 0, 0, 1}, {0, 0, 1, 2}, {0, 0, 2, 216},
                                                         {0, 0, 3, 236}, {0, 0, 4, 255}})),
               "poste.vox"),
      "poste.vox");
  EXPECT_EQ(figure.cells, "abcde");
  EXPECT_EQ(figure.palette, (std::map<char, std::uint32_t>{
                                {'a', 0xFFFFFF}, {'b', 0xFFFFCC}, {'c', 0xEE0000}, {'d', 0x0000EE}, {'e', 0x111111}}));
}

TEST(VoxFile, RefusesBrokenFilesAndFiguresNamingTheFault) {
  const std::string model = sizeChunk(2, 2, 2) + voxelChunk({{0, 0, 0, 1}, {1, 0, 0, 1}});
  const std::string good = voxFile(model);
  // The XYZI chunk claims 8 more bytes than MAIN holds, which the file has.
  std::string overrun = voxFile(sizeChunk(2, 2, 2) + voxelChunk({{0, 0, 0, 1}}));
  overrun.replace(48, 4, u32(16));
  overrun += std::string(8, '\0');
  std::string sixtyThreeColours = u32(63);
  for (int i = 0; i < 63; ++i) sixtyThreeColours += std::string{char(i % 7), char(i / 7), 0, char(i + 1)};

  const std::pair<std::string, std::string> cases[] = {
      {"\x89PNG\r\n\x1a\n", "ardilla.vox: not a .vox file"},
      {"VOX \x96", "truncated"},
      {voxFile(model, 100), "version 100 is older"},
      {good.substr(0, good.size() - 3), "truncated: the MAIN chunk at byte 8"},
      {"VOX " + u32(150) + chunk("MAIN", "", model + "\x01"), "truncated: a chunk header"},
      {"VOX " + u32(150) + chunk("MAIN", "") + u32(0xFFFFFFF0), "stray bytes"},
      {"VOX " + u32(150) + "SIZE" + u32(0xFFFFFFF8) + u32(0x08), "runs past the end of the file"},
      {overrun, "the XYZI chunk at byte 44 (16 bytes of content and 0 of children) overruns its parent MAIN, which ends at byte 64"},
      {"VOX " + u32(150) + chunk("TRAP", ""), "the first chunk is TRAP, not MAIN"},
      {voxFile(sizeChunk(2, 2, 2) + voxelChunk({{0, 2, 0, 1}})), "voxel 0 at (0, 2, 0) lies outside"},
      {voxFile(sizeChunk(2, 2, 2) + voxelChunk({{0, 0, 0, 0}})), "has colour index 0"},
      {voxFile(model + model), "holds 2 models; one figure per file"},
      {voxFile(chunk("PACK", u32(3)) + model), "PACK chunk counts 3 models"},
      {voxFile(paletteChunk({})), "holds no model"},
      {voxFile(sizeChunk(2, 2, 2)), "no XYZI"},
      {voxFile(voxelChunk({{0, 0, 0, 1}}) + sizeChunk(2, 2, 2)), "comes before the SIZE"},
      {voxFile(sizeChunk(2, 2, 2) + voxelChunk({})), "holds no voxels"},
      {voxFile(sizeChunk(2, 2, 2) + chunk("XYZI", u32(0x40000000))), "counts 1073741824 voxels, more than the 8"},
      {voxFile(sizeChunk(2, 2, 2) + chunk("XYZI", u32(3) + std::string(8, '\1'))), "holds 12 bytes of content, not 16"},
      {voxFile(sizeChunk(2, 0, 2) + voxelChunk({{0, 0, 0, 1}})), "size 2 x 0 x 2 has a side outside 1 to 256"},
      {voxFile(sizeChunk(2, 2, 2) + voxelChunk({{1, 1, 1, 1}, {1, 1, 1, 2}})), "two voxels share the place (1, 1, 1)"},
      {voxFile(model + chunk("RGBA", std::string(1020, '\0'))), "RGBA chunk at byte 68 holds 1020 bytes"},
      {voxFile(model + paletteChunk({}) + paletteChunk({})), "two RGBA chunks"},
      {voxFile(sizeChunk(20, 1, 1) + voxelChunk({{2, 0, 0, 1}, {16, 0, 0, 1}})), "15 wide, 1 tall and 1 deep"},
      {voxFile(sizeChunk(1, 1, 12) + voxelChunk({{0, 0, 0, 1}, {0, 0, 10, 1}})), "1 wide, 11 tall"},
      {voxFile(sizeChunk(7, 9, 1) + chunk("XYZI", sixtyThreeColours)), "uses 63 colours; a figure has at most 62"},
      {voxFile(sizeChunk(3, 1, 2) + voxelChunk({{0, 0, 0, 1}, {2, 0, 1, 1}})), "the voxel at (2, 0, 1) does not touch"},
  };
  for (const auto& [bytes, complaint] : cases) {
    const std::string failure = refusal(bytes);
    EXPECT_NE(failure.find(complaint), std::string::npos) << failure << "\n instead of " << complaint;
    EXPECT_EQ(failure.rfind("ardilla.vox: ", 0), 0u) << failure;
  }
  EXPECT_EQ(refusal(good), "accepted");
  // 62 colours, one for each letter, are as many as a figure may have.
  std::string sixtyTwo = u32(62) + sixtyThreeColours.substr(4, 62 * 4);
  EXPECT_EQ(refusal(voxFile(sizeChunk(7, 9, 1) + chunk("XYZI", sixtyTwo))), "accepted");
}

TEST(VoxFile, FigureSourceTakesItsCubesFromTheVoxelFileItNames) {
  const test::TempDir dir;
  fs::create_directories(dir / "dibujos");
  test::writeFile(dir / "dibujos" / "losa.vox", voxFile(slabModel()));
  const std::string keys = "id: losa\nname: La losa\nhide: 20%\ntutorial: no\n";
  test::writeFile(dir / "losa.fig", keys + "voxels: dibujos/losa.vox  # la losa\n");
  const Figure figure = loadFigure(dir / "losa.fig");
  EXPECT_EQ(figure.id, "losa");
  EXPECT_EQ(figure.name, "La losa");
  EXPECT_EQ(figure.hidePercent, 20);
  expectSlab(figure);

  const std::pair<std::string, std::string> refused[] = {
      {keys + "voxels: dibujos/otra.vox\n", "losa.fig:5: " + (dir / "dibujos" / "otra.vox").string() + ": cannot open"},
      {keys + "size: 3 3 2\nvoxels: dibujos/losa.vox\n", "takes the place of the size, colour and layer lines"},
      {keys + "voxels: dibujos/losa.vox\nlayer 0\nrrr\nrrr\n", "takes the place of the size"},
      {"id: losa\nname: La losa\n", "\"size\" is missing (or \"voxels\""},
  };
  for (const auto& [text, complaint] : refused) {
    test::writeFile(dir / "losa.fig", text);
    std::string failure = "accepted";
    try {
      loadFigure(dir / "losa.fig");
    } catch (const FigureError& error) {
      failure = error.what();
    }
    EXPECT_NE(failure.find(complaint), std::string::npos) << failure << "\n instead of " << complaint;
  }
  // Text alone has no folder to find a voxel file in.
  EXPECT_THROW(parseFigure(keys + "voxels: dibujos/losa.vox\n", "losa.fig"), FigureError);
}

TEST(VoxFile, AuthorToolWritesAChapterTheGameLoads) {
  const test::TempDir dir;
  test::writeFile(dir / "Mi Losa.vox", voxFile(slabModel()));
  const fs::path chapter = dir / "capitulo";
  const std::string command = std::string("\"") + SORVEL_AUTHOR + "\" --vox \"" + (dir / "Mi Losa.vox").string() +
                              "\" \"" + chapter.string() + "\" > \"" + (dir / "out.txt").string() + "\"";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  EXPECT_NE(test::readFile(dir / "out.txt").find("sorvel --chapter " + chapter.string()), std::string::npos);

  const Chapter loaded = Library::load(chapter);
  EXPECT_EQ(loaded.chapter.id, "mi-losa");
  ASSERT_EQ(loaded.puzzles.size(), 1u);
  const PuzzleDef& def = loaded.puzzles[0];
  EXPECT_EQ(def.id, "mi-losa");
  EXPECT_EQ(def.name.at("es"), "Mi Losa");
  EXPECT_EQ(def.dims, (std::vector<int>{3, 3, 2}));
  std::string solution(18, '0');
  for (const auto& [at, letter] : kSlabCubes) {
    const auto [x, y, z] = at;
    solution[static_cast<size_t>((y * 2 + z) * 3 + x)] = '1';
  }
  EXPECT_EQ(def.solution, solution);
  // Some clues are hidden, as the tool's default share asks.
  int hidden = 0;
  for (const auto& [axis, codes] : def.clues) hidden += static_cast<int>(std::count(codes.begin(), codes.end(), -1));
  EXPECT_GT(hidden, 0);

  // The toy's texture holds the file's colours, a swatch a letter.
  const Result<RgbaImage> texture = readPng(chapter / "toys" / "mi-losa.png");
  ASSERT_TRUE(texture) << texture.why();
  ASSERT_EQ(texture->width, 3 * texture->height);
  int swatch = 0;
  for (const std::uint32_t rgb : {0xC8372Du, 0x2F6FA8u, 0x3A9A4Bu}) {
    const std::uint8_t* pixel = &texture->pixels[static_cast<size_t>(swatch++ * texture->height) * 4];
    EXPECT_EQ((std::uint32_t{pixel[0]} << 16) | (std::uint32_t{pixel[1]} << 8) | pixel[2], rgb);
  }

  // The same figure's chapter is written again after a change; another
  // chapter in the folder is kept from being overwritten.
  test::writeFile(dir / "Mi Losa.vox", voxFile(sizeChunk(1, 1, 2) + voxelChunk({{0, 0, 0, 1}, {0, 0, 1, 2}})));
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  EXPECT_EQ(Library::load(chapter).puzzles[0].dims, (std::vector<int>{1, 2, 1}));
  test::writeFile(dir / "otra.vox", voxFile(slabModel()));
  const std::string other = std::string("\"") + SORVEL_AUTHOR + "\" --vox \"" + (dir / "otra.vox").string() +
                            "\" \"" + chapter.string() + "\" > /dev/null 2>&1";
  EXPECT_NE(std::system(other.c_str()), 0);
  EXPECT_EQ(Library::load(chapter).chapter.id, "mi-losa");
  EXPECT_FALSE(fs::exists(chapter / "puzzles" / "otra.json"));

  // A refused file leaves nothing behind.
  test::writeFile(dir / "rota.vox", voxFile(sizeChunk(2, 2, 2)));
  const std::string broken = std::string("\"") + SORVEL_AUTHOR + "\" --vox \"" + (dir / "rota.vox").string() +
                             "\" \"" + (dir / "rota").string() + "\" 2> /dev/null";
  EXPECT_NE(std::system(broken.c_str()), 0);
  EXPECT_FALSE(fs::exists(dir / "rota"));
}

TEST(VoxFile, IdsComeFromFileNamesAsPlainFileNames) {
  EXPECT_EQ(idFromFileName("Mi Ardilla (2)"), "mi-ardilla-2");
  EXPECT_EQ(idFromFileName("caña_de-pescar"), "ca-a_de-pescar");
  EXPECT_EQ(idFromFileName("¿?"), "");
  EXPECT_EQ(idFromFileName(std::string(70, 'x') + " y").size(), Library::kMaxIdBytes);
}

TEST(AuthorTool, CountsTheSharesOfCircledAndSquaredClues) {
  // Five shown clues (one plain, two circled, one squared, a plain 0), one hidden.
  const ClueStyleShares shares = clueStyleShares({.x = {5, 12, -1}, .y = {23, 13}, .z = {0}});
  EXPECT_EQ(shares.circled, 40);
  EXPECT_EQ(shares.squared, 20);
  EXPECT_EQ(clueStyleShares({.x = {12, 11, 3}, .y = {}, .z = {}}).circled, 67);
  EXPECT_EQ(clueStyleShares({.x = {-1}, .y = {}, .z = {}}).circled, 0);
}

}  // namespace
}  // namespace sorvel::authoring
