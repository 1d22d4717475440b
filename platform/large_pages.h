// The native programs' allocation of large blocks (posix/large_pages.cpp):
// huge pages where the system gives them, and blocks given back kept for
// the next large request. Programs that link thicken_large_pages only.
#pragma once

// Whether large blocks given back are kept for reuse (on at start). Turning
// it off gives every kept block back to the system, so that a program that
// counts its allocations sees each large one made and freed.
void KeepLargeBlocks(bool keep);
