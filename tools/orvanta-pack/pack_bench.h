#pragma once

#include <QTextStream>

// Packs and unpacks a generated package of about `sizeMiB` MiB and prints
// the time each stage takes. Returns false when a stage fails.
bool runPackBench(int sizeMiB, QTextStream &out, QTextStream &err);
