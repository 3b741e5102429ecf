// Physical constants of the computations, with their sources.
#pragma once

namespace vantrel::detail {

// Universal gas constant, J/(kmol K) (CODATA 2006; the value the fluid
// library's equations were fitted with). R and the molar mass of a fluid
// complete each other through it.
inline constexpr double R_UNIVERSAL = 8314.472;

// Normal atmospheric pressure, Pa: the pressure of the entropy's reference
// state for the tabulated heat capacity.
inline constexpr double ATMOSPHERE = 101325;

// Relative half-width of the refused neighbourhood of the critical point.
inline constexpr double CRITICAL_BAND = 5e-05;

// Saturation states are computed up to this relative distance below the
// critical temperature and pressure.
inline constexpr double SATURATION_LIMIT = 1e-06;

}  // namespace vantrel::detail
