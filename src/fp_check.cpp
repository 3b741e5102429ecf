#include "fp_check.h"

#include "engine/fpu.h"

void fp_clear() { vantrel::detail::clear_fp(); }

void fp_check() { vantrel::detail::check_fp(); }
