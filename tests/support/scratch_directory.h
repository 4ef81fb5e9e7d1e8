#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace wobbet::testing {

// Each test gets its own directory holding the knowledge file, removed afterwards.
class ScratchDirectoryTest : public ::testing::Test {
protected:
    std::filesystem::path directory;
    std::string knowledgePath;

    void SetUp() override {
        directory = std::filesystem::temp_directory_path() /
                    ("wobbet-" + std::to_string(std::random_device()()));
        ASSERT_TRUE(std::filesystem::create_directory(directory));
        knowledgePath = (directory / "Wobbet.dat").string();
    }

    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(directory, ignored);
    }

    static std::string ReadBytes(const std::filesystem::path& name) {
        std::ifstream in(name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    static void WriteBytes(const std::filesystem::path& name, std::string_view bytes) {
        std::ofstream(name, std::ios::binary | std::ios::trunc)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    // Everything in the directory but the knowledge file: leftovers of a save.
    std::vector<std::string> OtherFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(directory)) {
            if (entry.path().filename() != "Wobbet.dat") {
                names.push_back(entry.path().filename().string());
            }
        }
        return names;
    }
};

}  // namespace wobbet::testing
