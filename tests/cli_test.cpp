// The program end to end: the built vantrel_cli run in a temporary directory
// with its own data/.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace fs = std::filesystem;

namespace {

TEST(Cli, NoArgumentsPrintsTheUsageAndWritesNothing) {
    test::temp_dir dir;
    const auto r = test::run_cli(dir.path / "bin", dir.path, {});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.output,
              "Use:\n"
              "vantrel_cli TEMPERATURE PRESSURE [AGENT]\n"
              "\n"
              "TEMPERATURE - temperature in degrees Celsius\n"
              "PRESSURE    - pressure in Bar\n"
              "AGENT       - agent (default 'R507A')\n"
              "\n"
              "Result of calculation save to file vantrel_cli.csv\n");
    EXPECT_FALSE(fs::exists(dir.path / "bin" / "vantrel_cli.csv"));
}

TEST(Cli, MissingFluidIsTheOnlyLineAndLeavesAnEarlierCsvAlone) {
    test::temp_dir dir;
    test::write_file(dir.path / "bin" / "vantrel_cli.csv", "earlier\n");
    const auto r = test::run_cli(dir.path / "bin", dir.path, {"20", "5", "NoSuchFluid"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.output, "Файл " + fs::canonical(dir.path).string() + "/data/NoSuchFluid/c_p.txt не найден!\n");
    EXPECT_EQ(test::read_file(dir.path / "bin" / "vantrel_cli.csv"), "earlier\n");
}

TEST(Cli, DefaultAgentIsR507A) {
    test::temp_dir dir;
    for (const std::vector<std::string>& args : {std::vector<std::string>{"20", "5"}, {"20", "5", ""}}) {
        const auto r = test::run_cli(dir.path / "bin", dir.path, args);
        EXPECT_EQ(r.exit_code, 1);
        EXPECT_EQ(r.output, "Файл " + fs::canonical(dir.path).string() + "/data/R507A/c_p.txt не найден!\n");
    }
}

}  // namespace
