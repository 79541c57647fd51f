// A comma locale for tests of the decimal separator: de_DE compiled by localedef into a
// temporary directory, since test machines carry only C locales. A process uses it with
// LOCPATH set to Dir() and LC_ALL to kName.
#pragma once

#include <filesystem>

#include "tests/run_process.h"
#include "tests/temp_directory.h"

namespace rivo::testing {

class CommaLocale {
  public:
    static constexpr const char* kName = "de_DE.UTF-8";

    CommaLocale() {
        RunProcess("/usr/bin/localedef", {"-i", "de_DE", "-f", "UTF-8", (Dir() / kName).string()});
    }

    // Whether localedef could build it (it needs the package locales).
    bool Built() const { return std::filesystem::exists(Dir() / kName / "LC_NUMERIC"); }
    const std::filesystem::path& Dir() const { return dir_.path(); }

  private:
    TempDirectory dir_;
};

}  // namespace rivo::testing
