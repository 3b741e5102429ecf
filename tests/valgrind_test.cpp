// The program under valgrind, which does not keep the floating-point status
// flags: the faults they would report go unnoticed there, so every number
// about to be printed is also checked to be finite. No run may print a
// number that is not.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace fs = std::filesystem;

namespace {

TEST(Valgrind, NoRunPrintsANumberThatIsNotFinite) {
    test::temp_dir dir;
    const fs::path exe = test::cli_copy(dir.path / "bin");
    const std::vector<std::vector<std::string>> cases = {
        {"1e308", "5"},  {"-1e308", "5"}, {"20", "1e308"},      {"1e-320", "1e-320"}, {"-273.15", "5"},
        {"20", "0"},     {"20", "-5"},    {"1e5", "1e5"},       {"1e308", "5", "R718"}, {"20", "1e308", "R744"},
        {"1e300", "1e300", "R404A"},
    };
    for (const auto& args : cases) {
        std::vector<std::string> command = {"-q", "--tool=none", exe.string()};
        command.insert(command.end(), args.begin(), args.end());
        const auto r = test::run_process("/usr/bin/valgrind", test::source(), command);
        const std::string what = args[0] + " " + args[1];
        EXPECT_TRUE(r.exit_code == 0 || r.exit_code == 1) << what << ": " << r.err;
        EXPECT_EQ(r.out.find("inf"), std::string::npos) << what << ": " << r.out;
        EXPECT_EQ(r.out.find("nan"), std::string::npos) << what << ": " << r.out;
        if (r.exit_code == 0) {
            EXPECT_EQ(test::lines(r.out).size(), 4u) << what;
        }
    }
}

}  // namespace
