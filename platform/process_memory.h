// The program's own memory as the system sees it.
#pragma once

// Gives the memory that the program has freed back to the system, so that
// the pages left behind by work that is over (planning a large library, say)
// are no longer part of the process: every worker forked afterwards maps,
// and unmaps on exit, only what is still in use.
void ReturnFreedMemory();
