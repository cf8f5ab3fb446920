#pragma once

#include <QString>
#include <QStringList>

// The key names of the keyboard lighting layout.
namespace KeyNameTables {

constexpr int kMatrixRows = 6;
constexpr int kMatrixColumns = 21;
constexpr int kMatrixSize = kMatrixRows * kMatrixColumns; // 126

// The lighting matrix: 126 positions, row by row; a position without a key
// has an empty name. The position is the key's index in the lighting frame.
const QStringList& lightingMatrix();

// The matrix names without the empty positions, in the same order: 104
// names from "ESC" to "NUMPERIOD".
const QStringList& keyNameList();

} // namespace KeyNameTables
