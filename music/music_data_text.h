#pragma once

#include <QString>

#include "spectrum.h"

// The text the lighting page receives with "OnRGBMusicData": Qt's indented
// JSON of one object whose member "data" holds the 257 left-channel
// amplitudes in harmonic order:
//   {
//       "data": [
//           87,
//           ...
//       ]
//   }
QString musicDataText(const Spectrum::Values& leftAmplitudes);
