// How many threads the program's parallel work may use.
#pragma once

// By default as many as the machine has cores; TRELLAM_THREADS=N in the
// environment sets another number, and setWorkerThreads (the command line's
// --threads) overrides both. Results never depend on the number.
int workerThreads();
// `count` threads from now on; 0 returns to the default.
void setWorkerThreads(int count);
