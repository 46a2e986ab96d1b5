// One dictionary read from a Lexomo.dat file.
#pragma once

#include <string>

struct DictionaryRecord
{
    std::string name;   // key N
    std::string pathD;  // base directory + key D: the word list
    std::string pathL;  // base directory + key L
    std::string pathH;  // base directory + key H
};
