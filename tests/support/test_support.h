// What every scenario test starts from: a fresh program state, a fresh
// headless manager, and a private temporary folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/headless/headless.h"

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The main window, opened and initialised as at program start.
    Window openMainWindow();

    std::filesystem::path tempDir;  // the record history is its history/ folder
};

std::vector<std::uint8_t> readWholeFile(const std::filesystem::path& path);
void writeWholeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
