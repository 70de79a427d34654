// How many files the program may hold open at once: a run over a library
// holds a lock and a log in every output folder for the whole run.
#pragma once

// Raises the limit on open files to the most the system allows this
// process (the hard limit); nothing changes when it cannot be raised.
void RaiseOpenFileLimit();
