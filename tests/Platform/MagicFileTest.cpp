// Effect files: writing, reading, folders, atlases, emitter lookup, damaged data, the
// text description and the ptcwrite tool.
#include "MagicFixture.h"

#include "Platform/Magic/PtcReader.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

using namespace magic_test;

namespace {

// Lists every emitter below the current folder the way the engine walks a file:
// entries of a folder, descending into each sub-folder with a relative change and
// coming back with "..", while the outer listing goes on.
void Walk(MagicFile file, const std::string& prefix, std::vector<std::string>& found)
{
    MagicFindData find;
    for (const char* name = Magic_FindFirst(file, &find, MAGIC_FIND_ALL); name;
         name = Magic_FindNext(file, &find)) {
        if (find.animate) {
            found.push_back(prefix + name);
        } else {
            ASSERT_EQ(Magic_SetCurrentFolder(file, name), MAGIC_OK);
            Walk(file, prefix + name + "/", found);
            ASSERT_EQ(Magic_SetCurrentFolder(file, ".."), MAGIC_OK);
        }
    }
}

std::vector<unsigned char> ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

TEST(MagicFile, WrittenFileReadsBackTheSameDocument)
{
    const std::vector<unsigned char> bytes = WriteText();
    magic::PtcDocument read;
    std::string error;
    ASSERT_TRUE(magic::ReadPtcDocument(bytes.data(), bytes.size(), read, error)) << error;
    // Writing what was read gives the same bytes: nothing is lost or reordered.
    EXPECT_EQ(WriteDocument(read), bytes);

    ASSERT_EQ(read.atlases.size(), 2u);
    EXPECT_EQ(read.atlases[0].file, "fx/sparks atlas.png");
    ASSERT_EQ(read.atlases[0].frames.size(), 2u);
    EXPECT_EQ(read.atlases[0].frames[1].x, 16u);
    EXPECT_EQ(read.atlases[0].frames[1].width, 32u);
    ASSERT_EQ(read.root.emitters.size(), 2u);
    const magic::PtcEmitter& steady = read.root.emitters[0];
    EXPECT_EQ(steady.name, "steady");
    EXPECT_EQ(steady.seed, 7u);
    ASSERT_EQ(steady.types.size(), 1u);
    EXPECT_EQ(steady.types[0].colorStart, 0xff102030u);
    EXPECT_EQ(steady.types[0].colorEnd, 0x00405060u);
    EXPECT_EQ(steady.types[0].spread, 60.0f);
    ASSERT_EQ(read.root.folders.size(), 2u);
    EXPECT_EQ(read.root.folders[0].folders[0].emitters[0].name, "glow");
}

TEST(MagicFile, FoldersListFoldersFirstAndWalkLikeTheEngine)
{
    FileGuard f(WriteText());
    ASSERT_GT(f.file, 0) << Magic_GetLastError();

    MagicFindData find;
    std::vector<std::pair<std::string, int>> root;
    for (const char* name = Magic_FindFirst(f.file, &find, MAGIC_FIND_ALL); name;
         name = Magic_FindNext(f.file, &find))
        root.emplace_back(name, find.animate);
    EXPECT_EQ(root, (std::vector<std::pair<std::string, int>>{
                        {"ui", 0}, {"empty", 0}, {"steady", 1}, {"leadin", 1}}));

    EXPECT_STREQ(Magic_FindFirst(f.file, &find, MAGIC_FIND_EMITTERS), "steady");
    EXPECT_STREQ(Magic_FindFirst(f.file, &find, MAGIC_FIND_FOLDERS), "ui");
    EXPECT_STREQ(Magic_FindNext(f.file, &find), "empty");
    EXPECT_EQ(Magic_FindNext(f.file, &find), nullptr);
    EXPECT_EQ(Magic_FindNext(f.file, &find), nullptr) << "a finished listing stays finished";

    ASSERT_EQ(Magic_SetCurrentFolder(f.file, ""), MAGIC_OK);
    std::vector<std::string> emitters;
    Walk(f.file, "", emitters);
    EXPECT_EQ(emitters, (std::vector<std::string>{"ui/deep/glow", "ui/button", "steady", "leadin"}));
    EXPECT_STREQ(Magic_GetCurrentFolder(f.file), "") << "the walk returns to the root";

    ASSERT_EQ(Magic_SetCurrentFolder(f.file, "empty"), MAGIC_OK);
    EXPECT_EQ(Magic_FindFirst(f.file, &find, MAGIC_FIND_ALL), nullptr);
}

TEST(MagicFile, FolderPathsAndFailedChangesKeepTheCurrentFolder)
{
    FileGuard f(WriteText());
    struct Case {
        const char* path;
        bool ok;
        const char* after; // current folder afterwards, starting from "ui/"
    };
    const Case cases[] = {
        {"deep", true, "ui/deep/"},
        {"..", true, ""},
        {"/", true, ""},
        {"/ui/deep/..", true, "ui/"},
        {"./deep/", true, "ui/deep/"},
        {"missing", false, "ui/"},
        {"../..", false, "ui/"},
        {"deep/glow", false, "ui/"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(Magic_SetCurrentFolder(f.file, "/ui"), MAGIC_OK);
        EXPECT_EQ(Magic_SetCurrentFolder(f.file, c.path) == MAGIC_OK, c.ok) << c.path;
        EXPECT_STREQ(Magic_GetCurrentFolder(f.file), c.after) << c.path;
    }
}

TEST(MagicFile, StaticAtlasesAndEmitterTextures)
{
    FileGuard f(WriteText());
    ASSERT_EQ(Magic_GetStaticAtlasCount(f.file), 2);
    MagicStaticAtlas atlas{};
    ASSERT_EQ(Magic_GetStaticAtlas(f.file, 1, &atlas), MAGIC_OK);
    EXPECT_STREQ(atlas.file, "fx/smoke.png");
    EXPECT_EQ(atlas.width, 128);
    EXPECT_EQ(atlas.height, 128);
    EXPECT_EQ(atlas.frameCount, 1);
    EXPECT_EQ(Magic_GetStaticAtlas(f.file, 2, &atlas), MAGIC_ERROR);
    EXPECT_EQ(Magic_GetStaticAtlas(f.file, -1, &atlas), MAGIC_ERROR);

    EmitterGuard button(Magic_LoadEmitter(f.file, "ui/button"));
    EmitterGuard leadin(Magic_LoadEmitter(f.file, "leadin"));
    EXPECT_STREQ(Magic_GetFileName(button), "fx/button.png");
    EXPECT_TRUE(Magic_HasTextures(button));
    EXPECT_EQ(Magic_GetFileName(leadin), nullptr);
    EXPECT_FALSE(Magic_HasTextures(leadin)) << "its particles are untextured";

    const std::vector<unsigned char> plain = WriteText("emitter solo\nend\n");
    FileGuard g(plain);
    EXPECT_EQ(Magic_GetStaticAtlasCount(g.file), 0);
}

TEST(MagicFile, EmitterLookupByNameAndPath)
{
    FileGuard f(WriteText());
    EmitterGuard fromRoot(Magic_LoadEmitter(f.file, "ui/deep/glow"));
    EXPECT_GT(fromRoot.emitter, 0);
    EXPECT_STREQ(Magic_GetEmitterName(fromRoot), "glow");

    for (const char* unknown : {"nothing", "", "ui", "button", "ui/deep", "/ui/nothing"}) {
        EXPECT_EQ(Magic_LoadEmitter(f.file, unknown), 0) << unknown;
        EXPECT_NE(std::strlen(Magic_GetLastError()), 0u) << unknown;
    }
    EXPECT_EQ(Magic_LoadEmitter(f.file, nullptr), 0);

    ASSERT_EQ(Magic_SetCurrentFolder(f.file, "ui"), MAGIC_OK);
    EmitterGuard local(Magic_LoadEmitter(f.file, "button"));
    EmitterGuard absolute(Magic_LoadEmitter(f.file, "/steady"));
    EXPECT_GT(local.emitter, 0);
    EXPECT_GT(absolute.emitter, 0);
}

TEST(MagicFile, HandlesAreNeverReusedAndEmittersOutliveTheirFile)
{
    const std::vector<unsigned char> bytes = WriteText();
    MagicFile file = Magic_OpenFileInMemory(bytes.data(), bytes.size());
    const MagicEmitter first = Magic_LoadEmitter(file, "steady");
    ASSERT_GT(first, 0);
    ASSERT_EQ(Magic_CloseFile(file), MAGIC_OK);
    EXPECT_EQ(Magic_CloseFile(file), MAGIC_ERROR);
    EXPECT_EQ(Magic_GetStaticAtlasCount(file), 0);
    MagicFindData find;
    EXPECT_EQ(Magic_FindFirst(file, &find, MAGIC_FIND_ALL), nullptr);

    // The emitter keeps working without the file, and so does a copy of it.
    EXPECT_TRUE(Magic_Update(first, 100.0));
    EXPECT_GT(Magic_GetParticlesCount(first), 0);
    const MagicEmitter copy = Magic_DuplicateEmitter(first);
    EXPECT_GT(copy, first);
    EXPECT_EQ(Magic_UnloadEmitter(first), MAGIC_OK);
    // Unloading twice, as owners that both unload may do, is harmless and touches no
    // other emitter.
    EXPECT_EQ(Magic_UnloadEmitter(first), MAGIC_ERROR);
    EXPECT_EQ(Magic_GetParticlesCount(copy), 10);
    EXPECT_EQ(Magic_UnloadEmitter(copy), MAGIC_OK);
    const MagicFile again = Magic_OpenFileInMemory(bytes.data(), bytes.size());
    EXPECT_GT(again, file) << "a closed file's handle is not handed out again";
    Magic_CloseFile(again);
}

namespace {

void PutU32(std::vector<unsigned char>& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<unsigned char>(value >> shift));
}

void PatchU32(std::vector<unsigned char>& bytes, size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<unsigned char>(value >> (8 * i));
}

bool Opens(const std::vector<unsigned char>& bytes)
{
    const MagicFile file = Magic_OpenFileInMemory(bytes.data(), bytes.size());
    if (file > 0)
        Magic_CloseFile(file);
    return file > 0;
}

} // namespace

TEST(MagicFile, EveryTruncationFailsWithAReason)
{
    const std::vector<unsigned char> bytes = WriteText();
    ASSERT_TRUE(Opens(bytes));
    for (size_t size = 0; size < bytes.size(); ++size) {
        const std::vector<unsigned char> cut(bytes.begin(), bytes.begin() + size);
        EXPECT_EQ(Magic_OpenFileInMemory(cut.data(), cut.size()), 0) << "size " << size;
        EXPECT_NE(std::strlen(Magic_GetLastError()), 0u);
    }
    EXPECT_EQ(Magic_OpenFileInMemory(nullptr, 0), 0);
    EXPECT_EQ(Magic_OpenFileInMemory(nullptr, 100), 0);
}

TEST(MagicFile, EveryFlippedByteIsSafe)
{
    // Some flips still give a valid file (a colour, a seed); none may crash or hang,
    // and whatever opens must be usable.
    const std::vector<unsigned char> bytes = WriteText();
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::vector<unsigned char> bad = bytes;
        bad[i] ^= 0xFF;
        const MagicFile file = Magic_OpenFileInMemory(bad.data(), bad.size());
        if (file <= 0)
            continue;
        const MagicEmitter emitter = Magic_LoadEmitter(file, "steady");
        if (emitter > 0) {
            Magic_EmitterToInterval1(emitter, 1.0f, nullptr);
            Magic_Update(emitter, 50.0);
            Render(emitter);
            Magic_UnloadEmitter(emitter);
        }
        Magic_CloseFile(file);
    }
}

TEST(MagicFile, DamagedHeadersCountsAndValuesAreRefused)
{
    // One emitter at the root and nothing else, so offsets are easy to name:
    // 0 signature, 4 version, 8 atlas count, 12 folder count, 16 emitter count,
    // 20 name length, 24 "e", 25 texture name length, 29 seed, 33 update time,
    // 37 duration, 41 interval 1, 45 interpolation, 46 loop mode.
    const std::vector<unsigned char> single = WriteText("emitter e\nend\n");
    ASSERT_TRUE(Opens(single));
    struct Case {
        const char* what;
        std::function<void(std::vector<unsigned char>&)> damage;
    };
    const float nan = std::nanf("");
    uint32_t nanBits;
    std::memcpy(&nanBits, &nan, 4);
    const Case cases[] = {
        {"signature", [](auto& b) { b[0] = 'X'; }},
        {"version", [](auto& b) { PatchU32(b, 4, 2); }},
        {"atlas count", [](auto& b) { PatchU32(b, 8, 0xFFFFFFFFu); }},
        {"folder count", [](auto& b) { PatchU32(b, 12, 0x10000000u); }},
        {"emitter count", [](auto& b) { PatchU32(b, 16, 2); }},
        {"name length past the end", [](auto& b) { PatchU32(b, 20, 1000); }},
        {"name length huge", [](auto& b) { PatchU32(b, 20, 0xFFFFFFF0u); }},
        {"empty name",
         [](auto& b) {
             PatchU32(b, 20, 0);
             b.erase(b.begin() + 24);
         }},
        {"zero byte in name", [](auto& b) { b[24] = 0; }},
        {"slash as name", [](auto& b) { b[24] = '/'; }},
        {"update time NaN", [=](auto& b) { PatchU32(b, 33, nanBits); }},
        {"update time zero", [](auto& b) { PatchU32(b, 33, 0); }},
        {"interval 1 after the end", [](auto& b) { PatchU32(b, 41, 0x7F000000u); }},
        {"interpolation flag", [](auto& b) { b[45] = 2; }},
        {"loop mode", [](auto& b) { b[46] = 3; }},
        {"trailing byte", [](auto& b) { b.push_back(0); }},
    };
    for (const Case& c : cases) {
        std::vector<unsigned char> bad = single;
        c.damage(bad);
        EXPECT_FALSE(Opens(bad)) << c.what;
        EXPECT_NE(std::strlen(Magic_GetLastError()), 0u) << c.what;
    }
}

TEST(MagicFile, DeepNestingIsRefusedWithoutRecursingOn)
{
    // 100000 folders each holding the next: far more than any file may nest.
    std::vector<unsigned char> bytes = {'G', 'E', 'P', 'F'};
    PutU32(bytes, 1);
    PutU32(bytes, 0);
    const int depth = 100000;
    for (int i = 0; i < depth; ++i) {
        PutU32(bytes, 1);
        PutU32(bytes, 1);
        bytes.push_back('a');
    }
    for (int i = 0; i <= depth; ++i) {
        PutU32(bytes, 0);
        PutU32(bytes, 0);
    }
    EXPECT_FALSE(Opens(bytes));
    EXPECT_NE(std::string(Magic_GetLastError()).find("deep"), std::string::npos) << Magic_GetLastError();
}

TEST(MagicFile, DocumentsBreakingTheRulesAreNotWritten)
{
    struct Case {
        const char* what;
        std::function<void(magic::PtcDocument&)> change;
    };
    auto emitter = [](magic::PtcDocument& d) -> magic::PtcEmitter& { return d.root.emitters[0]; };
    auto type = [=](magic::PtcDocument& d) -> magic::PtcParticleType& { return emitter(d).types[0]; };
    const Case cases[] = {
        {"duplicate emitter", [=](auto& d) { d.root.emitters[1].name = "steady"; }},
        {"folder and emitter share a name", [=](auto& d) { d.root.folders[1].name = "steady"; }},
        {"dot dot as a folder name", [=](auto& d) { d.root.folders[1].name = ".."; }},
        {"atlas without a file", [=](auto& d) { d.atlases[0].file.clear(); }},
        {"atlas too large", [=](auto& d) { d.atlases[0].width = 16385; }},
        {"frame outside its atlas", [=](auto& d) { d.atlases[0].frames[1].x = 40; }},
        {"atlas index", [=](auto& d) { type(d).atlas = 2; }},
        {"frame index", [=](auto& d) { type(d).frame = 2; }},
        {"untextured with a frame", [=](auto& d) { type(d).atlas = magic::kNoAtlas; }},
        {"no life", [=](auto& d) { type(d).lifeMin = 0; }},
        {"life range reversed", [=](auto& d) { type(d).lifeMax = 100; }},
        {"no particles allowed", [=](auto& d) { type(d).maxParticles = 0; }},
        {"infinite rate", [=](auto& d) { type(d).rate = INFINITY; }},
        {"negative size", [=](auto& d) { type(d).sizeEnd = -1; }},
        {"spread beyond a turn", [=](auto& d) { type(d).spread = 361; }},
        {"too many types", [=](auto& d) { emitter(d).types.resize(65, magic::PtcParticleType{}); }},
        {"too many particles in all",
         [=](auto& d) {
             type(d).maxParticles = 10000;
             emitter(d).types.push_back(type(d));
             emitter(d).types.push_back(type(d));
         }},
        {"lead-in too long",
         [=](auto& d) {
             emitter(d).interval1 = 1000;
             emitter(d).updateTime = 0.05f;
         }},
        {"name too long", [=](auto& d) { emitter(d).name.assign(1025, 'x'); }},
    };
    for (const Case& c : cases) {
        magic::PtcDocument document = ParseDocument();
        c.change(document);
        std::vector<unsigned char> bytes;
        std::string error;
        EXPECT_FALSE(magic::WritePtcDocument(document, bytes, error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
        EXPECT_TRUE(bytes.empty()) << c.what;
    }
}

TEST(MagicText, DefaultsQuotesAndComments)
{
    const magic::PtcDocument document = ParseDocument(R"(# only defaults
emitter "two words"   # a quoted name
  particles
  end
end
emitter "with \"quote\""
end)");
    ASSERT_EQ(document.root.emitters.size(), 2u);
    EXPECT_EQ(document.root.emitters[0].name, "two words");
    EXPECT_EQ(document.root.emitters[1].name, "with \"quote\"");
    const magic::PtcParticleType defaults;
    ASSERT_EQ(document.root.emitters[0].types.size(), 1u);
    EXPECT_EQ(document.root.emitters[0].types[0].atlas, magic::kNoAtlas);
    EXPECT_EQ(document.root.emitters[0].types[0].rate, defaults.rate);
    EXPECT_EQ(document.root.emitters[0].loopMode, 0);
}

TEST(MagicText, ErrorsNameTheLine)
{
    std::string deep;
    for (int i = 0; i < 33; ++i)
        deep += "folder a\n";
    struct Case {
        const char* text;
        const char* expected; // start of the message
    };
    const Case cases[] = {
        {"emitter a\n  bogus 1\nend\n", "line 2: unknown statement 'bogus'"},
        {"emitter a\nend\nend\n", "line 3: 'end' without"},
        {"emitter a\n", "the description ends inside"},
        {"frame 0 0 1 1\n", "line 1: 'frame' before"},
        {"emitter a\n  seed -1\nend\n", "line 2: '-1' is not a whole number"},
        {"emitter a\n  duration 1e\nend\n", "line 2: '1e' is not a number"},
        {"emitter a\n  loop 3\nend\n", "line 2: '3' is out of range"},
        {"emitter a\n  spawn_box 1\nend\n", "line 2: 'spawn_box' takes 2 values"},
        {"emitter \"a\n", "line 1: unterminated quote"},
        {"emitter a\n  particles\n    color ff00zz00 0\n  end\nend\n", "line 3: 'ff00zz00'"},
        {"emitter a\n  particles\n    atlas 0\n  end\nend\n", "emitter 'a' particle type 0: atlas index"},
        {deep.c_str(), "line 33: folders nested too deeply"},
    };
    for (const Case& c : cases) {
        magic::PtcDocument document;
        std::string error;
        EXPECT_FALSE(magic::ParsePtcText(c.text, document, error)) << c.text;
        EXPECT_EQ(error.rfind(c.expected, 0), 0u) << "got: " << error;
    }
}

TEST(MagicText, PtcwriteToolWritesTheSameBytesAsTheLibrary)
{
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("ptcwrite_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string tool = std::string(GE_BINARY_DIR) + "/bin/ptcwrite";
    const std::string description = (dir / "effects.txt").string();
    const std::string output = (dir / "effects.ptc").string();
    std::ofstream(description) << kEffects;

    ASSERT_EQ(std::system((tool + " '" + description + "' '" + output + "'").c_str()), 0);
    EXPECT_EQ(ReadFileBytes(output), WriteText());

    // Standard input works as well.
    const std::string fromStdin = (dir / "stdin.ptc").string();
    ASSERT_EQ(std::system((tool + " - '" + fromStdin + "' < '" + description + "'").c_str()), 0);
    EXPECT_EQ(ReadFileBytes(fromStdin), WriteText());

    // A bad description fails and leaves the existing output alone.
    std::ofstream(description) << "emitter broken\n";
    EXPECT_NE(std::system((tool + " '" + description + "' '" + output + "' 2>/dev/null").c_str()), 0);
    EXPECT_EQ(ReadFileBytes(output), WriteText());
    EXPECT_FALSE(std::filesystem::exists(output + ".tmp"));
    std::filesystem::remove_all(dir);
}
