// Layered RLE documents decoded by the engine's reader against ImageMagick's
// convert decoding the same file to nothing (`convert doc.psd null:`), one pair after
// the other in each repetition. Documents: a 2048 x 2048 one with 8 layers made by
// convert (kept in the build folder once made) and every document of the demo
// content. Both sides run with the benchmark's own per-user and runtime folders
// (BenchEnv.cpp). The ratio is the median of the repetitions' ratios (convert's
// time / the engine's).
#include "Core/Psd/PsdDocument.h"
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

fs::path WorkFolder()
{
    return fs::path(GE_BINARY_DIR) / "bench_psd";
}

bool Run(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}

std::string Quoted(const fs::path& path)
{
    std::string quoted = "'";
    quoted += path.string();
    quoted += '\'';
    return quoted;
}

// 8 layers of the kinds game art has: smooth fills, shapes on transparency, a
// pattern and one busy layer; the first image is the composite.
fs::path LargeDocument()
{
    const fs::path dir = WorkFolder();
    const fs::path doc = dir / "large_8_layers.psd";
    if (fs::exists(doc))
        return doc;
    fs::create_directories(dir);
    const std::string s = "-size 2048x2048 ";
    const std::string shapes = "xc:none -fill 'rgba(255,200,0,0.8)' -draw 'circle 700,700 700,1200' "
                               "-fill 'rgba(0,128,255,0.6)' -draw 'rectangle 1100,300 1900,1500' ";
    const std::string command =
        "cd " + Quoted(dir) + " && convert " + "\\( " + s +
        "gradient:'#203040'-'#c0a080' -set label Composite \\) " + "\\( " + s +
        "gradient:'#102030'-'#e0c0a0' -set label Sky \\) " + "\\( " + s +
        "radial-gradient:'rgba(255,255,255,0.9)'-'rgba(0,0,0,0)' -set label Glow \\) " + "\\( " + s + shapes +
        "-set label Shapes \\) " + "\\( " + s + "pattern:checkerboard -set label Checker \\) " +
        "\\( -seed 7 " + s + "plasma:fractal -set label Plasma \\) " + "\\( " + s +
        "xc:none -stroke '#ff0000' -strokewidth 9 -draw 'line 0,0 2047,2047' "
        "-draw 'line 2047,0 0,2047' -set label Lines \\) " +
        "\\( " + s + "gradient:'rgba(0,255,0,0)'-'rgba(0,255,0,1)' -set label Fade \\) " + "\\( " + s +
        "xc:none -fill '#ffffff' -draw 'roundrectangle 200,1600 1800,1950 40,40' -set label Panel "
        "\\) " +
        "-colorspace sRGB -type TrueColorAlpha -depth 8 -compress RLE large_8_layers.psd > /dev/null 2>&1";
    if (!Run(command))
        return {};
    return doc;
}

std::vector<fs::path> ContentDocuments()
{
    std::vector<fs::path> docs;
    const fs::path content = fs::path(GE_BINARY_DIR) / "content";
    std::error_code error;
    if (!fs::is_directory(content, error))
        return docs;
    for (const auto& entry : fs::recursive_directory_iterator(content, error))
        if (entry.is_regular_file() && entry.path().extension() == ".psd")
            docs.push_back(entry.path());
    return docs;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0.0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

template <class F> double Seconds(F&& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Set when any document fails to decode on either side; main then fails.
bool gFailed = false;

void DecodeDocument(benchmark::State& state, const fs::path& doc)
{
    const std::string convert = "convert " + Quoted(doc) + " null: > /dev/null 2>&1";
    const std::string path = doc.string();

    std::vector<double> engine, baseline, ratios;
    bool ok = true;
    int layers = 0;
    for (auto _ : state) {
        const auto decode = [&] {
            PsdContext* ctx = nullptr;
            ok = LoadPsdDocument(&ctx, path.c_str()) == 0 && ok;
            if (ctx) {
                layers = ctx->layerCount;
                benchmark::DoNotOptimize(ctx->layerRecords.data());
            }
            FreePsdDocument(ctx);
        };
        // Side by side, the one that goes first alternating so that neither always
        // meets the caches the other has warmed.
        double ours = 0.0, theirs = 0.0;
        if (engine.size() % 2) {
            theirs = Seconds([&] { ok = Run(convert) && ok; });
            ours = Seconds(decode);
        } else {
            ours = Seconds(decode);
            theirs = Seconds([&] { ok = Run(convert) && ok; });
        }
        engine.push_back(ours);
        baseline.push_back(theirs);
        ratios.push_back(theirs / ours);
        state.SetIterationTime(ours);
    }
    if (!ok) {
        std::fprintf(stderr, "%s: a decode failed (engine or convert)\n", path.c_str());
        gFailed = true;
        state.SkipWithError("a document failed to decode");
        return;
    }
    state.counters["engine_ms"] = benchmark::Counter(Median(engine) * 1e3);
    state.counters["baseline_ms"] = benchmark::Counter(Median(baseline) * 1e3);
    state.counters["ratio"] = benchmark::Counter(Median(ratios));
    state.counters["layers"] = benchmark::Counter(layers);
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (!Run("command -v convert > /dev/null 2>&1")) {
        std::fprintf(stderr,
                     "bench_psd: ImageMagick's convert is not installed (scripts/setup.sh installs it)\n");
        return 1;
    }
    std::vector<fs::path> docs;
    const fs::path large = LargeDocument();
    if (large.empty()) {
        std::fprintf(stderr, "bench_psd: convert could not make the 2048 x 2048 document\n");
        return 1;
    }
    docs.push_back(large);
    for (const fs::path& doc : ContentDocuments())
        docs.push_back(doc);
    for (const fs::path& doc : docs) {
        const std::string name = "BM_PsdDecode/" + doc.filename().string();
        benchmark::RegisterBenchmark(name.c_str(),
                                     [doc](benchmark::State& state) { DecodeDocument(state, doc); })
            ->UseManualTime()
            ->Iterations(5)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return gFailed ? 1 : 0;
}
