// The measuring side of the benchmark: one process per notebook size, so that
// each size's peak memory is its own. Each figure is written to a result file
// the moment it is known ("key value" lines), so a step stopped at its time
// cap still leaves the figures before it.
#pragma once

#include "BenchNotebooks.h"

struct BenchOptions
{
    int nReps = 3;           // runs per step; the report takes the median
    double dCapSeconds = 300; // a step running longer is stopped and reported as "more than"
};

// Makes the notebook of a case (process entry of "--make").
int RunMakeStep(const BenchCase& benchCase, LPCSTR lpszNotebook);

// Times the steps on a notebook (process entry of "--measure"): copying it
// (with a flush to disk), reading it with the core, saving it after one edit,
// then, with the program's windows up, opening it to a filled tree, filling
// the tree again, refreshing it with folders open and closing it.
// Non-zero when a step did not do its work.
int RunMeasureSteps(const BenchCase& benchCase, LPCSTR lpszNotebook, LPCSTR lpszWorkDir, LPCSTR lpszResults,
                    const BenchOptions& options);
