// The fixture of the tests that run rivo-cli to write files: no window system in reach, and a
// scratch directory of the test's own.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/temp_directory.h"

namespace rivo::testing {

class CliFileTest : public ::testing::Test {
  protected:
    // The commands must not need a display.
    void SetUp() override {
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("QT_QPA_PLATFORM");
    }

    // A path in the scratch directory; File("") is the directory itself.
    std::string File(const std::string& name) const { return (temp_.path() / name).string(); }

    // The names in the scratch directory, sorted.
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(temp_.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

  private:
    TempDirectory temp_;
};

}  // namespace rivo::testing
