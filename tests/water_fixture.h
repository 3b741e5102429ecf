// The water fluid of the tests (IAPWS-95, tests/fluids/water), copied into a
// temporary data directory that is the current directory of the test.
#pragma once

#include <gtest/gtest.h>

#include "eos.h"
#include "fp_check.h"
#include "read_files.h"
#include "test_support.h"

class Water : public ::testing::Test {
protected:
    test::temp_dir dir;
    test::scoped_cwd cwd{dir.path};
    const_list th_c;
    two_d_array coef;
    double z_d = 0;
    double delta = 0;
    Water() {
        fp_clear();
        test::copy_test_fluid(dir.path, "water");
        th_c = create_const({"water", "config.txt"}, "real", "config.txt");
        coef = read_eos_table(th_c);
        z_d = th_c.p_cr / (th_c.tau_div * th_c.R * th_c.rho_div);
        delta = th_c.delta_rho / th_c.rho_div;
    }
    // Rewrites one key of the water configuration.
    void set_config(const std::string& key, const std::string& value) {
        std::string text = test::read_file(dir.path / "data" / "water" / "config.txt");
        const std::size_t at = text.find("\n" + key + "=");
        const std::size_t end = text.find('\n', at + 1);
        text.replace(at + 1, end - at - 1, key + "=" + value);
        test::write_file(dir.path / "data" / "water" / "config.txt", text);
        th_c = create_const({"water", "config.txt"}, "real", "config.txt");
    }
};
