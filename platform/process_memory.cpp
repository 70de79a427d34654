// Freed heap pages back to the system, through the C library's allocator.
#include "platform/process_memory.h"

#include <malloc.h>

void ReturnFreedMemory() { ::malloc_trim(0); }
