// Writes the seed corpus of fuzz_psd_document with the tests' document writer:
// every colour mode and depth, every compression and every block kind.
//   make_psd_document_corpus <output folder>
#include "tests/Psd/PsdBlockWriters.h"
#include "tests/Psd/PsdWriter.h"

#include <cstdio>
#include <fstream>
#include <string>

using namespace psdtest;

namespace {

void Save(const std::string& folder, const std::string& name, const std::vector<u8>& bytes)
{
    std::ofstream(folder + "/" + name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Layer MakeLayer(const std::string& name, int compression, u16 depth, u32 channels,
                std::vector<Block> blocks = {})
{
    Layer layer;
    layer.name = name;
    layer.left = 1;
    layer.top = 1;
    layer.right = 4;
    layer.bottom = 3;
    const size_t plane = size_t(3) * 2 * (depth == 16 ? 2 : 1);
    for (u32 c = 0; c < channels; ++c) {
        std::vector<u8> bytes(plane);
        for (size_t i = 0; i < plane; ++i)
            bytes[i] = static_cast<u8>(i * 40 + c * 17);
        layer.channels.push_back(Channel(static_cast<i16>(c == channels - 1 ? -1 : c), bytes, compression));
    }
    layer.blocks = std::move(blocks);
    return layer;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_psd_document_corpus <folder>\n");
        return 1;
    }
    const std::string folder = argv[1];
    const struct {
        const char* name;
        u16 mode, depth, channels;
    } modes[] = {
        {"grey8", 1, 8, 2}, {"grey16", 1, 16, 2}, {"rgb8", 3, 8, 4},    {"rgb16", 3, 16, 4},
        {"cmyk8", 4, 8, 5}, {"lab8", 9, 8, 4},    {"indexed", 2, 8, 1}, {"bitmap", 0, 1, 1},
        {"multi", 7, 8, 4}, {"duotone", 8, 8, 1},
    };
    for (const auto& m : modes) {
        for (int compression = 0; compression < 4; ++compression) {
            Document doc;
            doc.mode = m.mode;
            doc.depth = m.depth;
            doc.channels = m.channels;
            doc.width = 5;
            doc.height = 4;
            if (m.mode == 2) {
                doc.colorModeData.assign(768, 0x40);
                doc.resources.push_back({1046, "", {0, 200}});
            }
            const size_t plane = m.depth == 1 ? 4 : size_t(20) * (m.depth / 8);
            doc.merged.assign(plane * m.channels, 0);
            for (size_t i = 0; i < doc.merged.size(); ++i)
                doc.merged[i] = static_cast<u8>(i * 13);
            doc.mergedCompression = compression;
            if (m.depth != 1)
                doc.layers.push_back(MakeLayer("layer", compression, m.depth, m.mode == 2 ? 1 : m.channels));
            doc.layersInLr16 = m.depth == 16;
            Save(folder, std::string(m.name) + "_c" + std::to_string(compression) + ".psd", Write(doc));
        }
    }

    Document blocks;
    blocks.width = 6;
    blocks.height = 4;
    blocks.merged.assign(72, 9);
    blocks.resources = {{1005, "", std::vector<u8>(16, 1)}, {1006, "", {1, 'a'}}, {1037, "", {0, 0, 0, 9}}};
    const std::vector<Block> kinds = {
        {"levl", LevelsBlock(true)},    {"curv", CurvesBlock(0x0F, 4, true)},
        {"brit", BrightnessBlock()},    {"blnc", ColorBalanceBlock()},
        {"hue2", HueSaturationBlock()}, {"selc", SelectiveColorBlock()},
        {"thrs", ThresholdBlock()},     {"nvrt", {}},
        {"post", PosterizeBlock()},     {"mixr", ChannelMixerBlock()},
        {"grdm", GradientMapBlock()},   {"phfl", PhotoFilterBlock()},
        {"SoCo", SolidColorBlock()},    {"GdFl", GradientFillBlock()},
        {"PtFl", PatternFillBlock()},   {"tySh", TypeToolBlock()},
        {"lrFX", LrfxBlock()},          {"lfx2", Lfx2Block()},
    };
    for (const Block& block : kinds) {
        Document one = blocks;
        one.layers.push_back(MakeLayer(block.key, 1, 8, 4, {block}));
        Save(folder, "block_" + block.key + ".psd", Write(one));
    }
    blocks.layers.push_back(MakeLayer("all", 2, 8, 4, kinds));
    ByteWriter patterns;
    patterns.Raw(PatternRecord(3, 2, 2, {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 9, 9, 9}}));
    patterns.Raw(PatternRecord(2, 2, 1, {{1, 2}}));
    blocks.globalBlocks.push_back({"Patt", patterns.bytes});
    Save(folder, "all_blocks.psd", Write(blocks));
    return 0;
}
