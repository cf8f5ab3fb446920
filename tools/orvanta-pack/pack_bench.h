#pragma once

#include <QTextStream>

// Packs and signs a generated page site of about `sizeMiB` MiB, then times
// checking and unpacking it, each run a process of its own, beside
// "xz --format=lzma -dc -T1" on the same LZMA stream, and the signature
// check alone beside "b2sum" on the same package, with the peak memory of
// each. Returns false when a stage fails.
bool runPackBench(int sizeMiB, QTextStream &out, QTextStream &err);

// "orvanta-pack --measure PROGRAM ARGS...": runs the program with its
// output thrown away and prints its wall time in seconds and its peak
// resident memory in KiB. Called before anything else is set up, so the
// measured program starts from a small process. Returns the exit status.
int runMeasured(char **argv);

// "orvanta-pack --decode PACKAGE": decodes the package's LZMA stream into
// nothing, in the pieces the unpacking uses (no digest, no payload): the
// decoding step of the bench, in a process of its own like the others.
int runDecodeOnly(const char *path);

// "orvanta-pack --check-signature PACKAGE PUBLIC-KEY-FILE": checks the
// package's signature with that key alone (no unpacking): the signature
// step of the bench. 0 when it holds.
int runSignatureOnly(const char *package, const char *publicKeyFile);
