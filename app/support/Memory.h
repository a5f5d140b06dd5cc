#pragma once

// Hands memory the allocator keeps but no longer uses back to the system: after start-up
// the buffers of reading and writing a large store would otherwise stay resident.
void releaseFreedMemory();
