// Letters and case of the Windows-1252 code page, fixed here so the engine
// behaves the same whatever code page the machine runs with.
#pragma once

#include <string>

class CCharClass
{
public:
    static bool IsLetter(unsigned char c);
    static bool IsUpper(unsigned char c);
    static bool IsLower(unsigned char c);
    static bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
    static unsigned char ToLower(unsigned char c);
    static unsigned char ToUpper(unsigned char c);

    static std::string ToLower(const std::string& s);
    static std::string ToUpper(const std::string& s);
    // First character upper-case, the rest left alone.
    static std::string Capitalise(const std::string& s);

    // Upper-case letters only (at least two of them; a single capital
    // counts as capitalised).
    static bool IsAllCapitals(const std::string& s);
    // An upper-case first letter and no other upper-case letter.
    static bool IsCapitalised(const std::string& s);
};
