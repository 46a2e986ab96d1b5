#include "outside/lmEngine/CCharClass.h"

namespace
{
// Upper-case letters of Windows-1252 that have a lower-case partner, and
// the partner.
struct CaseTables
{
    unsigned char lower[256];
    unsigned char upper[256];
    bool isLower[256];
    bool isUpper[256];

    CaseTables()
    {
        for (int c = 0; c < 256; ++c)
        {
            lower[c] = upper[c] = static_cast<unsigned char>(c);
            isLower[c] = isUpper[c] = false;
        }
        for (int c = 'A'; c <= 'Z'; ++c)
            Pair(c, c + 32);
        for (int c = 0xC0; c <= 0xDE; ++c)
            if (c != 0xD7)  // multiplication sign
                Pair(c, c + 32);
        Pair(0x8A, 0x9A);  // S caron
        Pair(0x8C, 0x9C);  // OE
        Pair(0x8E, 0x9E);  // Z caron
        Pair(0x9F, 0xFF);  // Y diaeresis
        // Lower-case letters without a capital in the code page.
        isLower[0x83] = true;  // f hook
        isLower[0xAA] = true;  // feminine ordinal
        isLower[0xB5] = true;  // micro sign
        isLower[0xBA] = true;  // masculine ordinal
        isLower[0xDF] = true;  // sharp s
    }

    void Pair(int up, int low)
    {
        lower[up] = static_cast<unsigned char>(low);
        upper[low] = static_cast<unsigned char>(up);
        isUpper[up] = true;
        isLower[low] = true;
    }
};

const CaseTables& Tables()
{
    static const CaseTables tables;
    return tables;
}
}  // namespace

bool CCharClass::IsLetter(unsigned char c)
{
    return IsUpper(c) || IsLower(c);
}

bool CCharClass::IsUpper(unsigned char c)
{
    return Tables().isUpper[c];
}

bool CCharClass::IsLower(unsigned char c)
{
    return Tables().isLower[c];
}

unsigned char CCharClass::ToLower(unsigned char c)
{
    return Tables().lower[c];
}

unsigned char CCharClass::ToUpper(unsigned char c)
{
    return Tables().upper[c];
}

std::string CCharClass::ToLower(const std::string& s)
{
    std::string result(s);
    for (char& c : result)
        c = static_cast<char>(ToLower(static_cast<unsigned char>(c)));
    return result;
}

std::string CCharClass::ToUpper(const std::string& s)
{
    std::string result(s);
    for (char& c : result)
        c = static_cast<char>(ToUpper(static_cast<unsigned char>(c)));
    return result;
}

std::string CCharClass::Capitalise(const std::string& s)
{
    std::string result(s);
    if (!result.empty())
        result[0] = static_cast<char>(ToUpper(static_cast<unsigned char>(result[0])));
    return result;
}

bool CCharClass::IsAllCapitals(const std::string& s)
{
    int capitals = 0;
    for (char c : s)
    {
        if (IsLower(static_cast<unsigned char>(c)))
            return false;
        if (IsUpper(static_cast<unsigned char>(c)))
            ++capitals;
    }
    return capitals >= 2;
}

bool CCharClass::IsCapitalised(const std::string& s)
{
    if (s.empty() || !IsUpper(static_cast<unsigned char>(s[0])))
        return false;
    for (size_t i = 1; i < s.size(); ++i)
        if (IsUpper(static_cast<unsigned char>(s[i])))
            return false;
    return true;
}
