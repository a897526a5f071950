#pragma once
// A fresh current folder per test, files written straight to disk, and archives
// made with the engine's own writer.
#include "Core/Base/MemoryStream.h"
#include "Core/File/Archiver.h"
#include "Core/File/FileManager.h"
#include "Platform/Win32/Windows.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous = std::filesystem::current_path();
        char pattern[] = "/tmp/ge-files-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        ASSERT_TRUE(SetCurrentDirectoryW(folder.wstring().c_str()));
        ResetManager();
    }
    void TearDown() override
    {
        ResetManager();
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(folder);
    }

    static void ResetManager()
    {
        file::FileManager* manager = file::FileManager::Instance();
        manager->mounts.clear();
        manager->archives.clear();
        manager->dataFolder.clear();
    }

    static void Put(const std::string& path, const std::string& bytes)
    {
        const std::filesystem::path full(path);
        if (full.has_parent_path())
            std::filesystem::create_directories(full.parent_path());
        std::ofstream(full, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    static std::string Get(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::filesystem::path previous;
    std::filesystem::path folder;
};

// The bytes of a pack file holding `files`, laid out by file::ArchiveIndex.
inline std::string PackBytes(const std::map<std::wstring, std::string>& files)
{
    file::ArchiveIndex index;
    for (const auto& [name, bytes] : files)
        index.entries[name] = file::ArchiveEntry{static_cast<u32>(bytes.size()), 0, 0, 0};
    index.AssignOffsets();
    base::MemoryStream out(nullptr, 0);
    EXPECT_EQ(index.Write(out), 0u);
    EXPECT_EQ(out.GetSize(), index.GetWrittenSize());
    for (const auto& [name, entry] : index.entries) {
        const std::string& bytes = files.at(name);
        base::MemoryStream source(bytes.data(), static_cast<u32>(bytes.size()));
        EXPECT_TRUE(out.CopyFrom(source, 0xFFFFFFFFu));
    }
    return std::string(reinterpret_cast<const char*>(out.Data()), out.GetSize());
}

inline std::string U32Bytes(u32 value)
{
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>(value >> (8 * i));
    return bytes;
}

// One raw index entry, for hand-made (and damaged) pack files.
inline std::string EntryBytes(const std::string& asciiName, u32 size, u32 offset)
{
    std::string bytes = U32Bytes(static_cast<u32>(asciiName.size()));
    for (char c : asciiName) {
        bytes += c;
        bytes += '\0';
    }
    return bytes + U32Bytes(size) + U32Bytes(offset) + std::string(1, '\0') + U32Bytes(0);
}

inline std::string HeaderBytes(u32 count)
{
    return U32Bytes(6) + "gepack" + U32Bytes(count);
}
