#pragma once

#include "report_descriptor.h"

#include <QString>
#include <cstdint>

// Which frames a real device on these controllers may speak, judged from
// its vendor and the shape of its vendor reports, never from the product
// id alone (at least four protocols answer on 258a:1007):
// - W1: 25a7, feature report 8 and input report 9 of 16 bytes;
// - Family A: 258a, feature report 5 of 5 bytes and a block report (4 or
//   6) of 519 bytes;
// - Family B: 258a, feature report 2 of 15 bytes and report 4 of 255;
// - anything else (keyboards among them) is listed and read, never sent to.
enum class RealFamily { W1, FamilyA, FamilyB, ListOnly };

RealFamily guessFamily(std::uint16_t vendor, const ReportDescriptor& descriptor);
QString familyName(RealFamily family);
