#include "legacy/fp_check.h"

#include "engine/base/fpu.h"

void fp_clear() { vantrel::detail::clear_fp(); }

void fp_check() { vantrel::detail::check_fp(); }
