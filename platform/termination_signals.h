// Catching the signals that ask the program to stop (SIGINT, SIGTERM,
// SIGHUP), so that it can end its worker processes and write its logs before
// it ends. A wait for a pipe returns early when one arrives.
#pragma once

// From now on those signals only note that they came.
void CatchTerminationSignals();
// The number of the first such signal caught, 0 when none came.
int CaughtTerminationSignal();
