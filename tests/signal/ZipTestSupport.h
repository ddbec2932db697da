#pragma once
// Packs a test folder into a .zip archive, as tests travel.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#include <zip.h>

inline void AddToZip(zip_t* z, const std::filesystem::path& root, const std::filesystem::path& dir)
{
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        if (e.is_directory()) {
            AddToZip(z, root, e.path());
            continue;
        }
        std::ifstream in(e.path(), std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        void* copy = std::malloc(bytes.size() + 1);
        std::memcpy(copy, bytes.data(), bytes.size());
        zip_source_t* src = zip_source_buffer(z, copy, bytes.size(), 1);
        ASSERT_GE(zip_file_add(z, std::filesystem::relative(e.path(), root).c_str(), src, ZIP_FL_ENC_UTF_8), 0);
    }
}

// The archive holds the folder itself (folder/...), as database exports do.
inline void Zip(const std::string& folder, const std::string& archive)
{
    int err = 0;
    zip_t* z = zip_open(archive.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    ASSERT_NE(z, nullptr);
    AddToZip(z, std::filesystem::path(folder).parent_path(), folder);
    ASSERT_EQ(zip_close(z), 0);
}
