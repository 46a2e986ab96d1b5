// Key derivation: opening an encrypted node derives its key twice (the
// password check, then the read), so its cost is felt on every opening.
#pragma once

#include <string>
#include <vector>

struct BenchCryptFigure
{
    std::string strHash;
    unsigned nKeyBytes = 0;
    double dSeconds = 0; // median time of one derivation of the longest key
};

// Loads the encryption library beside the benchmark as the program does and
// times each hash it lists; FALSE when the library cannot be loaded or a
// derivation fails.
bool RunCryptBench(int nReps, std::vector<BenchCryptFigure>& figures);
