// Reference data written outside the project (test vectors and expected
// outputs), found through the CMake cache variable IRONBELL_TESTDATA, by
// default the folder ../shared/testdata beside the source tree. A clone
// without that folder skips the tests that need it, saying what is missing
// and where it was looked for; where the folder exists, a missing file in it
// fails the test.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace testdata {

inline std::string path(const std::string& relative) {
    return std::string(IRONBELL_TESTDATA) + "/" + relative;
}

inline bool folder_present() { return std::filesystem::is_directory(IRONBELL_TESTDATA); }

inline std::string missing_folder(const std::string& relative) {
    return "reference data missing: this test needs " + relative + " from the folder " + IRONBELL_TESTDATA +
           ", which does not exist (it is kept beside the source tree as ../shared/testdata, "
           "or named with -DIRONBELL_TESTDATA=...)";
}

}  // namespace testdata

// Skips the test when the reference data folder is absent, fails it when the
// folder is there without the file. Use at the top of a test body.
#define IRONBELL_NEEDS_TESTDATA(relative)                                                    \
    do {                                                                                     \
        if (!testdata::folder_present()) GTEST_SKIP() << testdata::missing_folder(relative); \
        if (!std::filesystem::exists(testdata::path(relative)))                              \
            FAIL() << "reference data missing: " << testdata::path(relative);                \
    } while (0)
