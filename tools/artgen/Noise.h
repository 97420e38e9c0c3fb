// Value noise and fractal sums of it, optionally periodic so that pictures tile.
#pragma once
#include <cstdint>

uint32_t HashInts(int32_t x, int32_t y, uint32_t nSeed);
double HashUnit(int32_t x, int32_t y, uint32_t nSeed);  // [0,1)

// Smooth value noise on a lattice of cells dCell pixels wide. nPeriodX/nPeriodY (in pixels, 0 = none)
// make it repeat; they must be whole multiples of the cell size.
double ValueNoise(double x, double y, double dCell, int nPeriodX, int nPeriodY, uint32_t nSeed);

// Fractal sum of nOctaves noises, each half the cell size and half the weight of the one before,
// normalised to [0,1).
double FractalNoise(double x, double y, double dCell, int nOctaves, int nPeriodX, int nPeriodY, uint32_t nSeed);
