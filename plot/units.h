#pragma once

// Lengths: millimetres in the interface, inches towards the host, plotter
// units (HPGL and the cutter) 40 to the millimetre, 1016 to the inch.
namespace Units {

constexpr double mmPerInch = 25.4;
constexpr double plotterUnitsPerMm = 40.0;
constexpr double plotterUnitsPerInch = mmPerInch * plotterUnitsPerMm;

} // namespace Units
