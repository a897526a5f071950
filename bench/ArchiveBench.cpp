// Every file of the demo content read the way loaders read (GetFileInfo, OpenRead,
// GetSize, one Read) through a mounted "gepack" archive of the content, against the
// same files read loose, in the same run.
#include "Core/Base/MemoryStream.h"
#include "Core/Base/Stream.h"
#include "Core/File/ArchiveIndex.h"
#include "Core/File/FileInfo.h"
#include "Core/File/FileManager.h"
#include "bench/BenchRatio.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kContent = fs::path(GE_BINARY_DIR) / "content";
const std::wstring kPrefix = L"td/";

// Paths relative to the content folder, all under "td/".
std::vector<std::wstring> ContentFiles()
{
    std::vector<std::wstring> files;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(kContent / "td", error))
        if (entry.is_regular_file())
            files.push_back(fs::relative(entry.path(), kContent).generic_wstring());
    return files;
}

std::vector<u8> ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The archive of everything under "td/", written as the format lays it out: the
// index, then the files back to back in index order.
bool WriteArchive(const std::vector<std::wstring>& files, const fs::path& out)
{
    file::ArchiveIndex index;
    std::vector<std::vector<u8>> contents;
    for (const std::wstring& name : files) {
        file::ArchiveEntry entry;
        entry.size = static_cast<u32>(fs::file_size(kContent / name));
        index.entries[name.substr(kPrefix.size())] = entry;
    }
    index.AssignOffsets();
    base::MemoryStream stream(nullptr, 0);
    if (index.Write(stream) != 0)
        return false;
    for (const auto& [name, entry] : index.entries) {
        const std::vector<u8> bytes = ReadBytes(kContent / (kPrefix + name));
        if (bytes.size() != entry.size || stream.Write(bytes.data(), u32(bytes.size())) != bytes.size())
            return false;
    }
    std::ofstream(out, std::ios::binary)
        .write(reinterpret_cast<const char*>(stream.Data()), std::streamsize(stream.Position()));
    return fs::file_size(out) == stream.Position();
}

// Reads every file once; false when one is missing or short.
bool ReadAll(const std::vector<std::wstring>& files, std::vector<u8>& scratch)
{
    file::FileManager* manager = file::FileManager::Instance();
    for (const std::wstring& name : files) {
        std::unique_ptr<file::FileInfo> info(manager->GetFileInfo(name));
        if (!info)
            return false;
        std::unique_ptr<base::Stream> stream(info->container->OpenRead(info->path));
        if (!stream)
            return false;
        const u32 size = stream->GetSize();
        scratch.resize(size);
        if (stream->Read(scratch.data(), size) != size)
            return false;
        benchmark::DoNotOptimize(scratch.data());
    }
    return true;
}

void BM_ReadContent(benchmark::State& state)
{
    const std::vector<std::wstring> files = ContentFiles();
    if (files.empty()) {
        state.SkipWithError("no demo content (build the 'content' target)");
        return;
    }
    // The game's layout: a data folder holding "data.dat" beside the loose "td/"
    // tree, mounted by a relative path; a copy, so that the content stays as made.
    const fs::path work = fs::path(GE_BINARY_DIR) / "bench_archive";
    std::error_code error;
    fs::remove_all(work, error);
    fs::create_directories(work);
    fs::copy(kContent / "td", work / "td", fs::copy_options::recursive, error);
    if (error || !WriteArchive(files, work / "data.dat")) {
        state.SkipWithError("the archive could not be written");
        return;
    }
    const fs::path previous = fs::current_path();
    fs::current_path(work);
    file::FileManager* manager = file::FileManager::Instance();
    const std::wstring archivePath = L"data.dat";

    u64 bytes = 0;
    for (const std::wstring& name : files)
        bytes += fs::file_size(kContent / name);

    std::vector<u8> scratch;
    bench::RatioTimer timer;
    bool ok = true;
    for (auto _ : state) {
        timer.Iteration(
            state,
            [&] {
                manager->mounts[kPrefix] = archivePath;
                ok = ReadAll(files, scratch) && ok;
            },
            [&] {
                manager->mounts.clear();
                ok = ReadAll(files, scratch) && ok;
            });
    }
    manager->mounts.clear();
    fs::current_path(previous);
    if (!ok) {
        state.SkipWithError("a file could not be read");
        return;
    }
    timer.Report(state);
    state.counters["files"] = benchmark::Counter(double(files.size()));
    state.counters["bytes"] = benchmark::Counter(double(bytes));
}

} // namespace

BENCHMARK(BM_ReadContent)->UseManualTime()->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
