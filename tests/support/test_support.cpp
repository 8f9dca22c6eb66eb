#include "tests/support/test_support.h"

#include <fstream>
#include <iterator>
#include <random>

#include "dialogs/main_window.h"
#include "dialogs/program_state.h"
#include "resources/control_ids.h"

void ProgramTest::SetUp() {
    headless::reset();
    resetProgramState();
    std::random_device rd;
    tempDir = std::filesystem::temp_directory_path() /
              ("keyer-test-" + std::to_string(rd()) + "-" + std::to_string(rd()));
    std::filesystem::create_directories(tempDir);
    // Records read and written go to a history of the test's own.
    headless::setHistoryFolder((tempDir / "history").string());
}

void ProgramTest::TearDown() {
    headless::reset();
    resetProgramState();
    std::error_code ignored;
    std::filesystem::remove_all(tempDir, ignored);
}

Window ProgramTest::openMainWindow() { return headless::openDialog(nullptr, dlg::MainWindow, mainWindowProc); }

std::vector<std::uint8_t> readWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeWholeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
