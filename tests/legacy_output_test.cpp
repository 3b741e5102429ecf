// The legacy command line `vantrel_cli T P [AGENT]`, pinned: every case of
// tests/legacy/legacy_output.jsonl is run and its exit status, standard
// output and result file must match the recorded ones byte for byte.
//
// One JSON object per line:
//   "args"   the command-line arguments;
//   "data"   fluids copied from the repository's data/ into the run's data/;
//   "setup"  changes to those files before the run, each one of
//            {"replace": [file, from, to]}, {"write": [file, text]},
//            {"remove": file}, {"mkdir": file} (paths below data/);
//   "exit", "stdout", "csv"  the recorded outcome (csv null: no result file).
// With VANTREL_RECORD_LEGACY=<path> the test writes the cases with the
// outcomes of the program under test to <path> instead of comparing, which is
// how the file is made and, for a deliberate change of behaviour, updated
// (review the difference before committing it).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "test_support.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const fs::path CASES = test::source() / "tests" / "legacy" / "legacy_output.jsonl";

void apply_setup(const fs::path& data, const json& step) {
    if (step.contains("replace")) {
        test::edit_file(data / step["replace"][0].get<std::string>(), step["replace"][1], step["replace"][2]);
    } else if (step.contains("write")) {
        test::write_file(data / step["write"][0].get<std::string>(), step["write"][1].get<std::string>());
    } else if (step.contains("remove")) {
        fs::remove(data / step["remove"].get<std::string>());
    } else if (step.contains("mkdir")) {
        fs::create_directories(data / step["mkdir"].get<std::string>());
    } else {
        throw std::runtime_error("setup: unknown step " + step.dump());
    }
}

// Runs one case in a fresh directory; the outcome as the file records it.
json run_case(const json& c) {
    test::temp_dir dir;
    const fs::path data = dir.path / "data";
    fs::create_directories(data);
    for (const auto& fluid : c.value("data", json::array()))
        fs::copy(test::data() / fluid.get<std::string>(), data / fluid.get<std::string>(),
                 fs::copy_options::recursive);
    for (const auto& step : c.value("setup", json::array())) apply_setup(data, step);
    const fs::path bin = dir.path / "bin";
    const fs::path exe = test::cli_copy(bin);
    const auto r = test::run_process(exe, dir.path, c["args"].get<std::vector<std::string>>());
    json out = c;
    out["exit"] = r.exit_code;
    // Paths in messages name the run's temporary directory.
    std::string text = r.out;
    const std::string root = fs::canonical(dir.path).string();
    for (std::size_t at = text.find(root); at != std::string::npos; at = text.find(root, at))
        text.replace(at, root.size(), "$ROOT");
    out["stdout"] = text;
    out["csv"] = fs::exists(bin / "vantrel_cli.csv") ? json(test::read_file(bin / "vantrel_cli.csv")) : json();
    return out;
}

std::string label(const json& c) {
    std::string s;
    for (const auto& a : c["args"]) s.append("'").append(a.get<std::string>()).append("' ");
    if (c.contains("setup")) s += c["setup"].dump();
    return s;
}

TEST(LegacyOutput, MatchesThePinnedRecord) {
    std::ifstream in(CASES);
    ASSERT_TRUE(in) << CASES;
    const char* record = std::getenv("VANTREL_RECORD_LEGACY");
    std::ofstream out;
    if (record != nullptr) out.open(record, std::ios::binary | std::ios::trunc);
    std::string line;
    int cases = 0;
    [[maybe_unused]] int read = 0;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
#ifdef VANTREL_SANITIZED
        // A run takes a quarter of a second there: every third case.
        if (record == nullptr && read++ % 3 != 0) continue;
#endif
        const json c = json::parse(line);
        const json got = run_case(c);
        ++cases;
        if (record != nullptr) {
            out << got.dump(-1, ' ', false) << "\n";
            continue;
        }
        EXPECT_EQ(got["exit"], c["exit"]) << label(c);
        EXPECT_EQ(got["stdout"], c["stdout"]) << label(c);
        EXPECT_EQ(got["csv"], c["csv"]) << label(c);
    }
    EXPECT_GT(cases, 100);
}

}  // namespace
