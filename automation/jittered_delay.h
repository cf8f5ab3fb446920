#pragma once

// A pause with a little jitter, so that played input does not tick like a
// clock. Below 3 ms the pause is taken as given. Otherwise a generator
// seeded with the seconds since midnight draws 0 to 2 ms, which are taken
// off when the milliseconds since midnight are odd and added when they are
// even.
int jitteredDelay(int milliseconds, int millisecondsSinceMidnight);

// The same with the current local time.
int jitteredDelay(int milliseconds);
