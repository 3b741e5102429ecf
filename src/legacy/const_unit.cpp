#include "legacy/const_unit.h"

const T_dim_info DIM_STD{"K", "Pa"};
const T_PHASE_STATE PH_ST{"gas", "liquid", "supercritical"};
const T_PROP_LIST PR{"t", "p", "s", "h", "x", "rho"};
const std::string UNDEFINE_ST = "не определено";
