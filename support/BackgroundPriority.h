#pragma once

// Gives the calling thread a lower share of the processor than the window's thread (a higher nice
// value), so work done in the background never makes the window wait. Each thread is lowered once;
// the threads of a pool keep it for their life.
void LowerCurrentThreadPriority();
