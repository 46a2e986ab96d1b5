// Mutated metafiles through the metafile decoder, each in a child process
// so that a crash or a hang inside the system's drawing layer is counted
// and the run goes on with the next input.
//
//   metafile_fuzz [--count N] [--seed S] [--limit MS] [--budget S] [--keep-slow MS]
//
// runs N inputs (default 300), each played within the decoder's time limit
// of MS milliseconds (default 5000). Inputs are made from seeds the program
// builds (metafiles recorded through GDI, the system's conversions of them,
// and metafiles written byte by byte with records of every kind the decoder
// meets), each changed by a few mutations chosen by a generator seeded with
// S and the input's number, so that any input can be made again. The
// outcomes are counted and printed with the slowest inputs; an input that
// crashed or hung (or, with --keep-slow, took MS or longer) is written to a
// file in the current folder. With --budget the run starts no input after S
// seconds and says how many it left out, so that it can never run for long.
// The exit status is non-zero when any input crashed or hung.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "TestFormats.h"
#include "imaging/PLBmp.h"
#include "imaging/PLWEMFDecoder.h"
#include "imaging/PLWinBmp.h"

using namespace testimg;

namespace
{
// A child that shows no progress for this long beyond the time limit (and
// the decoder's grace after it) is taken as hung: long enough for a child
// to start and build its seeds on a loaded machine.
const DWORD kHangMilliseconds = 30000;
// Rendering sizes stay small: the cost of a decode is then its records.
const int64_t kMaxBitmapBytes = 32 << 20;

void Put32(Bytes& b, uint32_t v)
{
    PutLE32(b, v);
}

uint32_t Float(float f)
{
    uint32_t u;
    std::memcpy(&u, &f, sizeof(u));
    return u;
}

// Region data of the given rectangles.
Bytes Region(std::initializer_list<RECT> rects)
{
    Bytes r;
    Put32(r, 32);
    Put32(r, 1);
    Put32(r, uint32_t(rects.size()));
    Put32(r, uint32_t(16 * rects.size()));
    RECT bound = *rects.begin();
    for (const RECT& rc : rects)
        UnionRect(&bound, &bound, &rc);
    for (LONG v : {bound.left, bound.top, bound.right, bound.bottom})
        Put32(r, uint32_t(v));
    for (const RECT& rc : rects)
        for (LONG v : {rc.left, rc.top, rc.right, rc.bottom})
            Put32(r, uint32_t(v));
    return r;
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes Words(std::initializer_list<uint32_t> words)
{
    Bytes out;
    for (uint32_t w : words)
        Put32(out, w);
    return out;
}

// An enhanced metafile of records of every kind the decoder meets.
Bytes EnhancedOfEveryKind(int variant)
{
    EmfBuilder e(8);
    const uint32_t s = uint32_t(20 + variant * 7);
    e.Add(17, {uint32_t(variant % 2 ? 8 : 1)});  // map mode
    e.Add(9, {64, 64}).Add(11, {64, 64}).Add(10, {0, 0}).Add(12, {0, 0});
    e.Add(39, {1, 0, 0x000000FF, 0}).Add(38, {2, 0, 3, 0, 0x00FF0000});
    e.Add(37, {1}).Add(37, {2}).Add(33, {});
    e.Add(42, {2, 2, s, s}).Add(43, {4, 4, s + 10, s / 2}).Add(44, {1, 1, s, s, 6, 6});
    e.Add(45, {0, 0, s, s, 0, 0, s, s / 2}).Add(46, {5, 5, s, s, 0, 0, s, 0}).Add(47, {3, 3, s, s, s, 3, 3, s});
    e.Add(55, {0, 0, s, s, s, 0, 0, s}).Add(41, {30, 30, 10, Float(0), Float(120)});
    e.Add(34, {uint32_t(-1)});
    e.Add(4, {0, 0, 60, 60, 3, 1, 1, 50, 10, 20, 60});
    e.Add(3, {0, 0, 60, 60, 3, 10, 40, 50, 40, 30, 5});
    e.Add(2, {0, 0, 60, 60, 4, 0, 0, 20, 60, 40, 0, 60, 60});
    e.Add(87, {0, 0, 60, 60, 3, (10u << 16) | 5, (50u << 16) | 50, (5u << 16) | 40});
    e.Add(8, {0, 0, 60, 60, 2, 6, 3, 3, 1, 1, 20, 1, 1, 20, 40, 40, 60, 40, 50, 60});
    e.Add(56, {0, 0, 60, 60, 3, 0, 0, 30, 30, 60, 0, 0x00020206u});  // move, line, line with close
    e.Add(35, {Float(1), Float(0.2f), Float(0), Float(1), Float(2), Float(1)});
    e.Add(36, {Float(0.9f), 0, 0, Float(0.9f), 0, 0, 2});
    e.Add(31, {3, 2, 3, 2}).Add(32, {2, 3, 2, 3});
    e.Add(30, {0, 0, 62, 62}).Add(29, {40, 40, 44, 44});

    // Bitmaps: stretched bits of 8 and 24 bits, bits to the device, a blit
    // without a bitmap, a pattern brush.
    const Bytes dib8 = MakeDib8(256);
    const Bytes dib24 = MakeDib(3, 3, 24);
    e.AddBody(81, Concat({Words({0, 0, 40, 40, 5, 5, 0, 0, 8, 8, 80, 40 + 1024, 80 + 40 + 1024, 64, 0, 0x00CC0020, 30, 30}),
                          dib8}));
    e.AddBody(81, Concat({Words({0, 0, 40, 40, 30, 2, 0, 0, 3, 3, 80, 40, 120, 36, 0, 0x00CC0020, 20, 10}), dib24}));
    e.AddBody(80, Concat({Words({0, 0, 40, 40, 2, 40, 0, 0, 3, 3, 76, 40, 116, 36, 0, 0, 3}), dib24}));
    e.Add(76, {0, 0, 10, 10, 50, 50, 8, 8, 0x00F00021, 0, 0, Float(1), 0, 0, Float(1), 0, 0, 0, 0, 0, 0, 0, 0});
    e.AddBody(94, Concat({Words({3, 0, 32, 40, 72, 36}), dib24}));
    e.Add(37, {3});

    // Text.
    Bytes text = Words({0, 0, 60, 20, 1, Float(1), Float(1), 3, 44, 4, 76, 0, 0, 0, 0, 0, 0});
    for (char c : std::string("Note"))
    {
        text.push_back(uint8_t(c));
        text.push_back(0);
    }
    e.AddBody(84, text);
    Bytes font = Words({4, uint32_t(-12), 0, 0, 0, 400, 0, 0});
    for (char c : std::string("Arial"))
    {
        font.push_back(uint8_t(c));
        font.push_back(0);
    }
    font.resize(4 + 92, 0);
    e.AddBody(82, font);
    e.Add(37, {4});
    e.AddBody(84, text);

    // Regions, clipping, a gradient, a path, a palette, a styled pen.
    const Bytes rgn = Region({{2, 2, 20, 20}, {10, 30, 40, 44}});
    e.AddBody(71, Concat({Words({0, 0, 40, 44, uint32_t(rgn.size()), 1}), rgn}));
    e.AddBody(72, Concat({Words({0, 0, 40, 44, uint32_t(rgn.size()), 1, 2, 2}), rgn}));
    e.AddBody(74, Concat({Words({0, 0, 40, 44, uint32_t(rgn.size())}), rgn}));
    e.AddBody(75, Concat({Words({uint32_t(rgn.size()), 5}), rgn}));
    e.Add(75, {0, 5});
    e.Add(118, {0, 0, 60, 60, 2, 1, 0, 0, 0, 0xFF000000u, 0xFF000000u, 60, 60, 0x0000FF00u, 0xFF00u, 0, 1});
    e.Add(59, {}).Add(27, {5, 5}).Add(54, {50, 10}).Add(54, {20, 50}).Add(60, {}).Add(62, {0, 0, 60, 60});
    e.Add(49, {5, 0x00030300, 0x00FF0000, 0x0000FF00, 0x000000FF}).Add(48, {5}).Add(52, {});
    e.Add(95, {6, 0, 0, 0, 0, 0x00012200, 4, 0, 0x0000FF00, 0, 0}).Add(37, {6});
    e.Add(15, {7, 7, 0x0000FF}).Add(53, {30, 30, 0, 1});
    e.Add(40, {6}).Add(40, {2}).Add(40, {3});
    return e.Finish();
}

// A Windows metafile of records of every kind the decoder meets.
Bytes WindowsOfEveryKind(int variant)
{
    WmfBuilder w(8);
    const unsigned s = unsigned(30 + variant * 11);
    w.Add(0x020B, {0, 0}).Add(0x020C, {100, 100});
    w.Add(0x02FA, {0, 2, 0, 0x00FF, 0}).Add(0x012D, {0});
    w.Add(0x02FC, {0, 0x0000, 0x0080, 0}).Add(0x012D, {1});
    w.Add(0x001E, {});
    w.Add(0x041B, {s, s, 5, 5}).Add(0x0418, {s / 2, s, 0, 0}).Add(0x061C, {8, 8, s, s, 2, 2});
    w.Add(0x0817, {0, s, s, 0, s, s, 0, 0}).Add(0x081A, {s, 0, 0, s, s, s, 0, 0}).Add(0x0830, {0, 0, s, s, s, s, 3, 3});
    w.Add(0x0127, {0xFFFF});
    w.Add(0x0324, {3, 10, 10, 80, 20, 40, 90}).Add(0x0325, {3, 0, 0, 50, 50, 99, 0});
    w.Add(0x0538, {2, 3, 3, 0, 0, 10, 0, 0, 10, 50, 50, 60, 50, 50, 60});
    w.Add(0x0521, {4, 'N' | ('o' << 8), 't' | ('e' << 8), 10, 10});
    w.Add(0x0A32, {20, 20, 3, 0x0004, 0, 0, 50, 50, 'a' | ('b' << 8), 'c'});
    w.Add(0x02FB, {uint16_t(-14), 0, 0, 0, 700, 0, 0, 0, 0, 'A' | ('r' << 8), 'i' | ('a' << 8), 'l'});
    w.Add(0x012D, {2}).Add(0x0521, {2, 'O' | ('K' << 8), 60, 10});
    w.Add(0x00F7, {0x300, 2, 0x00FF, 0, 0xFF00, 0}).Add(0x0234, {3}).Add(0x0035, {});
    w.Add(0x06FF, {0, 6, 0, 0, 36, 1, 2, 0, 0, 20, 20, 2, 0, 20, 0, 20, 2});
    w.Add(0x02FC, {0, 0x00FF, 0x0000, 0});
    w.Add(0x0228, {5, 4}).Add(0x0429, {2, 2, 5, 4}).Add(0x012B, {4}).Add(0x012A, {4}).Add(0x012C, {4});
    w.Add(0x0416, {90, 90, 1, 1});

    const Bytes dib = MakeDib8(variant % 2 ? 0 : 256);
    Bytes stretch;
    PutLE32(stretch, 0x00CC0020);
    for (unsigned v : {0u, 8u, 8u, 0u, 0u, 30u, 30u, 60u, 60u})
        PutLE16(stretch, v);
    w.AddBytes(0x0F43, Concat({stretch, dib}));
    Bytes stretchBlt;
    PutLE32(stretchBlt, 0x00CC0020);
    for (unsigned v : {8u, 8u, 0u, 0u, 20u, 20u, 70u, 5u})
        PutLE16(stretchBlt, v);
    w.AddBytes(0x0B41, Concat({stretchBlt, dib}));
    Bytes bitBlt;
    PutLE32(bitBlt, 0x00CC0020);
    for (unsigned v : {0u, 0u, 8u, 8u, 80u, 80u})
        PutLE16(bitBlt, v);
    w.AddBytes(0x0940, Concat({bitBlt, dib}));
    Bytes toDevice;
    for (unsigned v : {0u, 8u, 0u, 0u, 0u, 8u, 8u, 85u, 60u})
        PutLE16(toDevice, v);
    w.AddBytes(0x0D33, Concat({toDevice, dib}));
    Bytes rle = MakeDib(4, 2, 8, 1, 6);
    PutLE32(&rle[20], 6);
    std::memcpy(&rle[rle.size() - 6], "\x02\x05\x00\x00\x00\x01", 6);
    w.AddBytes(0x0F43, Concat({stretch, rle}));
    Bytes pattern;
    PutLE16(pattern, 5);
    PutLE16(pattern, 0);
    w.AddBytes(0x0142, Concat({pattern, MakeDib(8, 8, 1)})).Add(0x012D, {6});
    w.Add(0x061D, {0x0021, 0x00F0, 10, 10, 40, 40});
    w.Add(0x0214, {5, 5}).Add(0x0213, {95, 95}).Add(0x041F, {0x00FF, 0, 50, 50});
    w.Add(0x0548, {1, 0, 0, 45, 45});
    w.Add(0x0103, {8}).Add(0x020E, {50, 50}).Add(0x020D, {2, 2}).Add(0x0410, {2, 3, 2, 3}).Add(0x0412, {3, 2, 3, 2});
    w.Add(0x0418, {40, 40, 0, 0});
    Bytes escape;
    PutLE16(escape, 15);
    PutLE16(escape, 4);
    PutLE32(escape, 0x12345678);
    w.AddBytes(0x0626, escape);
    w.Add(0x01F0, {0}).Add(0x01F0, {1});
    return w.Finish();
}

std::vector<Bytes> MakeSeeds()
{
    std::vector<Bytes> seeds;
    seeds.push_back(MakeEmf(5000, 2500));
    seeds.push_back(MakeWmf(600, 400));
    seeds.push_back(MakePlaceable(MakeWmf(600, 400), 0, 0, 600, 400, 1440));
    const Bytes recorded = MakeRecordedWmf(1200, 800);
    seeds.push_back(recorded);
    seeds.push_back(MakePlaceable(recorded, 0, 0, 1200, 800, 600));
    Bytes converted;
    seeds.push_back(MakeRecordedEmf(300, 200, &converted));
    seeds.push_back(converted);
    seeds.push_back(MakePlaceable(converted, 0, 0, 300, 200, 96));
    for (int variant = 0; variant < 3; ++variant)
    {
        seeds.push_back(EnhancedOfEveryKind(variant));
        seeds.push_back(WindowsOfEveryKind(variant));
        seeds.push_back(MakePlaceable(WindowsOfEveryKind(variant), 0, 0, 100, 100, 96));
    }
    return seeds;
}

// Where the records of a seed start and how their sizes are counted.
struct Framing
{
    size_t first = 0;   // the first record (after the headers)
    bool enhanced = false;
};

Framing FramingOf(const Bytes& d)
{
    Framing f;
    if (d.size() >= 8 && GetLE32(d.data()) == 1)
    {
        f.enhanced = true;
        f.first = GetLE32(&d[4]);
        return f;
    }
    f.first = (d.size() >= 4 && GetLE32(d.data()) == 0x9AC6CDD7u) ? 22 + 18 : 18;
    return f;
}

// The records of a metafile: offset and length of each.
std::vector<std::pair<size_t, size_t>> Records(const Bytes& d)
{
    std::vector<std::pair<size_t, size_t>> out;
    const Framing f = FramingOf(d);
    for (size_t at = f.first; at + 8 <= d.size();)
    {
        const size_t bytes = f.enhanced ? GetLE32(&d[at + 4]) : size_t(GetLE32(&d[at])) * 2;
        if (bytes < 6 || bytes > d.size() - at)
            break;
        out.push_back({at, bytes});
        at += bytes;
    }
    return out;
}

const uint32_t kInteresting32[] = {0,          1,          2,          3,           4,          0xFF,
                                   0x7FFF,     0x8000,     0xFFFF,     0x10000,     0x8000FFFFu, 0x10000000,
                                   0x20000000, 0x08000000, 0xF8000000u, 0x7FFFFFFF, 0x80000000u, 0x80000001u,
                                   0xFFFFFFFFu, 0xFFFFFFFEu, 0xFFFF8001u, 100000,     1000000};
const uint16_t kInteresting16[] = {0, 1, 2, 0x7F, 0x80, 0xFF, 0x100, 0x7FFF, 0x8000, 0x8001, 0xFFFF, 0xFFFE, 1000};

// A new value for a 32-bit field: extremes, values about the limits the
// decoder draws, small ones, the old one a little changed, or any.
uint32_t Value32(std::mt19937& rng, uint32_t old)
{
    switch (rng() % 6)
    {
    case 0:
    case 1:
        return kInteresting32[rng() % (sizeof(kInteresting32) / sizeof(kInteresting32[0]))];
    case 2:
    {
        static const int32_t limits[] = {1 << 27, -(1 << 27), (1 << 27) + 1, -(1 << 27) - 1, 1 << 26, 1 << 18,
                                         (1 << 18) + 1, 1 << 20, -(1 << 20), 1 << 15, -(1 << 15), 65536};
        return uint32_t(limits[rng() % (sizeof(limits) / sizeof(limits[0]))]);
    }
    case 3:
        return uint32_t(int32_t(rng() % 4001) - 2000);
    case 4:
        return old + uint32_t(int32_t(rng() % 33) - 16);
    default:
        return rng();
    }
}

uint16_t Value16(std::mt19937& rng, uint16_t old)
{
    switch (rng() % 4)
    {
    case 0:
    case 1:
        return kInteresting16[rng() % (sizeof(kInteresting16) / sizeof(kInteresting16[0]))];
    case 2:
        return uint16_t(old + int(rng() % 17) - 8);
    default:
        return uint16_t(rng());
    }
}

Bytes Mutate(const std::vector<Bytes>& seeds, uint32_t seed, uint32_t index)
{
    std::mt19937 rng(seed * 2654435761u + index * 40503u + 17);
    Bytes d = seeds[index % seeds.size()];
    const int mutations = 1 + int(rng() % 4);
    for (int m = 0; m < mutations && d.size() > 24; ++m)
    {
        const std::vector<std::pair<size_t, size_t>> records = Records(d);
        const bool enhanced = FramingOf(d).enhanced;
        const size_t pick = records.empty() ? 0 : rng() % records.size();
        const size_t at = records.empty() ? 0 : records[pick].first;
        const size_t bytes = records.empty() ? d.size() : records[pick].second;
        switch (rng() % 9)
        {
        case 0:  // random bytes anywhere
            for (int i = 1 + int(rng() % 6); i > 0; --i)
                d[rng() % d.size()] = uint8_t(rng());
            break;
        case 1:  // a 32-bit field of a record
        case 2:
            if (bytes >= 12)
            {
                // Mostly among the first fields, where sizes, counts and
                // coordinates are.
                const size_t fields = (bytes - 8) / 4;
                const size_t field = rng() % 2 ? rng() % (fields < 12 ? fields : 12) : rng() % fields;
                uint8_t* p = &d[at + 8 + 4 * field];
                PutLE32(p, Value32(rng, GetLE32(p)));
            }
            break;
        case 3:  // a 16-bit field of a record
        {
            if (bytes < 8)
                break;
            uint8_t* p = &d[at + 6 + 2 * (rng() % ((bytes - 6) / 2))];
            const uint16_t v = Value16(rng, uint16_t(p[0] | (p[1] << 8)));
            p[0] = uint8_t(v);
            p[1] = uint8_t(v >> 8);
            break;
        }
        case 4:  // a field of the headers
        {
            const size_t offset = 2 * (rng() % (FramingOf(d).first / 2));
            if (offset + 4 <= d.size())
                PutLE32(&d[offset], Value32(rng, GetLE32(&d[offset])));
            break;
        }
        case 5:  // another record type
            if (enhanced)
                PutLE32(&d[at], 1 + rng() % 122);
            else
            {
                static const unsigned functions[] = {0x0817, 0x081A, 0x0830, 0x0418, 0x041B, 0x0F43, 0x0B41, 0x0940,
                                                     0x0D33, 0x0228, 0x0429, 0x0127, 0x012D, 0x01F0, 0x0234, 0x06FF,
                                                     0x0A32, 0x0521, 0x0538, 0x0324, 0x020C, 0x020E, 0x0142, 0x0626};
                const unsigned f = functions[rng() % (sizeof(functions) / sizeof(functions[0]))];
                d[at + 4] = uint8_t(f);
                d[at + 5] = uint8_t(f >> 8);
            }
            break;
        case 6:  // a record repeated
            if (!records.empty() && d.size() + bytes < (4u << 20))
                d.insert(d.begin() + long(at), d.begin() + long(at), d.begin() + long(at + bytes));
            break;
        case 7:  // a record left out
            if (records.size() > 2)
                d.erase(d.begin() + long(at), d.begin() + long(at + bytes));
            break;
        default:  // a record from another seed
        {
            const Bytes& other = seeds[rng() % seeds.size()];
            const std::vector<std::pair<size_t, size_t>> theirs = Records(other);
            if (!theirs.empty() && FramingOf(other).enhanced == enhanced)
            {
                const auto& r = theirs[rng() % theirs.size()];
                d.insert(d.begin() + long(at), other.begin() + long(r.first), other.begin() + long(r.first + r.second));
            }
            break;
        }
        }
        // Mostly keep the stated sizes true, so that the changes reach past
        // the framing checks.
        if (rng() % 4 != 0)
        {
            const Framing f = FramingOf(d);
            if (f.enhanced && d.size() >= 56)
                PutLE32(&d[48], uint32_t(d.size()));
            else if (!f.enhanced && d.size() >= f.first)
                PutLE32(&d[f.first - 18 + 6], uint32_t((d.size() - (f.first - 18)) / 2));
        }
    }
    return d;
}

// Outcome of one decode, as the child reports it.
enum Outcome
{
    kDecoded,
    kRefused,        // by the checks before playback
    kSystemFailed,   // the system would not load or play it
    kTimeLimit,      // abandoned at the time limit
    kOtherError,
    kCrash,
    kHang,
    kOutcomes
};

const char* const kOutcomeNames[kOutcomes] = {"decoded",
                                              "refused before playback",
                                              "refused by the system's metafile functions",
                                              "abandoned at the time limit",
                                              "other decoder errors",
                                              "crashed",
                                              "hung"};

int Classify(const ImageError& e)
{
    if (e.code == 0)
        return kDecoded;
    if (e.text.find("took too long") != std::string::npos)
        return kTimeLimit;
    if (e.text.find("Metafile functions failed") != std::string::npos)
        return kSystemFailed;
    if (e.code == 2)
        return kRefused;
    return kOtherError;
}

// What the parent asks of a run.
struct Options
{
    uint32_t count = 300;
    uint32_t seed = 1;
    unsigned limit = 5000;   // the decoder's time limit, in milliseconds
    unsigned budget = 0;     // seconds after which no input is started (0: none)
    unsigned keepSlow = 0;   // keep inputs that took this many milliseconds (0: none)
};

int RunChild(uint32_t seed, uint32_t from, uint32_t to, unsigned limit, const char* progress)
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    PLBmp::SetMaxBytes(kMaxBitmapBytes);
    PLWEMFDecoder::SetPlaybackLimit(limit);
    const std::vector<Bytes> seeds = MakeSeeds();
    FILE* out = std::fopen(progress, "a");
    if (!out)
        return 3;
    PLWEMFDecoder decoder;
    PLWinBmp bmp;
    for (uint32_t i = from; i < to; ++i)
    {
        const Bytes input = Mutate(seeds, seed, i);
        std::fprintf(out, "S %u\n", i);
        std::fflush(out);
        const ULONGLONG start = GetTickCount64();
        const ImageError e =
            CatchImageError([&] { decoder.DecodeMemory(input.data(), int(input.size()), &bmp); });
        std::fprintf(out, "R %u %d %llu\n", i, Classify(e), static_cast<unsigned long long>(GetTickCount64() - start));
        std::fflush(out);
    }
    std::fclose(out);
    // An abandoned playback may still be inside the system's drawing: the
    // process ends without waiting for it.
    TerminateProcess(GetCurrentProcess(), 0);
    return 0;
}

std::string ProgramPath()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

std::string TempFile(const char* name)
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name + std::to_string(GetCurrentProcessId());
}

// One input's result as the child reported it.
struct Result
{
    uint32_t index = 0;
    int outcome = 0;
    unsigned long long ms = 0;
};

// Reads the lines the child added since the last call.
void ReadProgress(const std::string& path, size_t& offset, long& started, std::vector<Result>& results,
                  uint32_t& done)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return;
    std::fseek(f, long(offset), SEEK_SET);
    char line[96];
    while (std::fgets(line, sizeof(line), f))
    {
        const size_t length = std::strlen(line);
        if (!length || line[length - 1] != '\n')
            break;  // not complete yet
        offset += length;
        unsigned index = 0;
        int outcome = 0;
        unsigned long long ms = 0;
        if (std::sscanf(line, "S %u", &index) == 1)
            started = long(index);
        else if (std::sscanf(line, "R %u %d %llu", &index, &outcome, &ms) == 3 && outcome >= 0 && outcome < kOutcomes)
        {
            results.push_back({index, outcome, ms});
            done = index + 1;
            started = -1;
        }
    }
    std::fclose(f);
}

void Keep(const std::vector<Bytes>& seeds, uint32_t seed, uint32_t index, const char* what)
{
    char name[64];
    std::snprintf(name, sizeof(name), "metafile_fuzz_%s_%u_%u.bin", what, seed, index);
    const Bytes input = Mutate(seeds, seed, index);
    FILE* f = std::fopen(name, "wb");
    if (f)
    {
        std::fwrite(input.data(), 1, input.size(), f);
        std::fclose(f);
    }
    std::printf("input %u %s: kept as %s\n", index, what, name);
    std::fflush(stdout);
}

int RunParent(const Options& options)
{
    const uint32_t seed = options.seed, count = options.count;
    const std::vector<Bytes> seeds = MakeSeeds();
    std::vector<int> outcomes(kOutcomes, 0);
    std::vector<Result> results;
    const std::string progress = TempFile("metafile_fuzz_progress_");
    const std::string program = ProgramPath();
    // Beyond the limit, the decoder waits a second for the playback to stop.
    const DWORD hang = DWORD(options.limit) + 1000 + kHangMilliseconds;
    const ULONGLONG runStart = GetTickCount64();
    const ULONGLONG deadline = options.budget ? runStart + ULONGLONG(options.budget) * 1000 : ~0ull;
    bool outOfBudget = false;
    uint32_t next = 0;
    while (next < count && !outOfBudget)
    {
        DeleteFileA(progress.c_str());
        std::string command = "\"" + program + "\" --child " + std::to_string(seed) + " " + std::to_string(next) + " " +
                              std::to_string(count) + " " + std::to_string(options.limit) + " \"" + progress + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION child = {};
        std::vector<char> line(command.begin(), command.end());
        line.push_back(0);
        if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child))
        {
            std::printf("cannot start the child process\n");
            return 2;
        }
        size_t offset = 0;
        long started = -1;
        uint32_t done = next;
        DWORD quiet = 0;
        for (;;)
        {
            const DWORD waited = WaitForSingleObject(child.hProcess, 200);
            const uint32_t before = done;
            const long startedBefore = started;
            ReadProgress(progress, offset, started, results, done);
            quiet = (done != before || started != startedBefore) ? 0 : quiet + 200;
            if (waited == WAIT_OBJECT_0)
                break;
            if (quiet >= hang)
            {
                TerminateProcess(child.hProcess, 99);
                WaitForSingleObject(child.hProcess, INFINITE);
                ReadProgress(progress, offset, started, results, done);
                const uint32_t hung = started >= 0 ? uint32_t(started) : done;
                ++outcomes[kHang];
                Keep(seeds, seed, hung, "hang");
                done = hung + 1;
                started = -1;
                break;
            }
            if (GetTickCount64() >= deadline && started < 0)
            {
                // Between two inputs: none is started after the budget.
                TerminateProcess(child.hProcess, 98);
                WaitForSingleObject(child.hProcess, INFINITE);
                ReadProgress(progress, offset, started, results, done);
                outOfBudget = true;
                break;
            }
        }
        DWORD code = 0;
        GetExitCodeProcess(child.hProcess, &code);
        CloseHandle(child.hProcess);
        CloseHandle(child.hThread);
        if (started >= 0 && !outOfBudget)
        {
            // Died in the middle of an input.
            ++outcomes[kCrash];
            Keep(seeds, seed, uint32_t(started), "crash");
            std::printf("  (exit code 0x%08lX)\n", static_cast<unsigned long>(code));
            done = uint32_t(started) + 1;
        }
        else if (done == next && code != 0 && !outOfBudget)
        {
            std::printf("the child process failed before its first input (exit code 0x%08lX)\n",
                        static_cast<unsigned long>(code));
            DeleteFileA(progress.c_str());
            return 2;
        }
        next = done;
    }
    DeleteFileA(progress.c_str());

    for (const Result& r : results)
    {
        ++outcomes[size_t(r.outcome)];
        if (options.keepSlow && r.ms >= options.keepSlow)
            Keep(seeds, seed, r.index, "slow");
    }
    std::printf("metafile fuzz: %u of %u inputs from %u seeds, seed %u, time limit %u ms, %.1f s\n", next, count,
                unsigned(seeds.size()), seed, options.limit, double(GetTickCount64() - runStart) / 1000.0);
    if (outOfBudget)
        std::printf("  the budget of %u s was spent: %u inputs were not run\n", options.budget, count - next);
    for (int i = 0; i < kOutcomes; ++i)
        std::printf("  %-46s %d\n", kOutcomeNames[i], outcomes[size_t(i)]);
    std::vector<Result> slowest = results;
    std::sort(slowest.begin(), slowest.end(), [](const Result& a, const Result& b) { return a.ms > b.ms; });
    if (slowest.size() > 5)
        slowest.resize(5);
    for (const Result& r : slowest)
        std::printf("  slow: input %u, %llu ms (%s)\n", r.index, r.ms, kOutcomeNames[r.outcome]);
    return outcomes[kCrash] + outcomes[kHang] ? 1 : 0;
}
} // namespace

int main(int argc, char** argv)
{
    try
    {
        if (argc == 7 && std::strcmp(argv[1], "--child") == 0)
            return RunChild(uint32_t(std::strtoul(argv[2], nullptr, 10)), uint32_t(std::strtoul(argv[3], nullptr, 10)),
                            uint32_t(std::strtoul(argv[4], nullptr, 10)), unsigned(std::strtoul(argv[5], nullptr, 10)),
                            argv[6]);
        Options options;
        for (int i = 1; i + 1 < argc; i += 2)
        {
            const unsigned long value = std::strtoul(argv[i + 1], nullptr, 10);
            if (std::strcmp(argv[i], "--count") == 0)
                options.count = uint32_t(value);
            else if (std::strcmp(argv[i], "--seed") == 0)
                options.seed = uint32_t(value);
            else if (std::strcmp(argv[i], "--limit") == 0)
                options.limit = unsigned(value);
            else if (std::strcmp(argv[i], "--budget") == 0)
                options.budget = unsigned(value);
            else if (std::strcmp(argv[i], "--keep-slow") == 0)
                options.keepSlow = unsigned(value);
        }
        return RunParent(options);
    }
    catch (...)
    {
        std::printf("metafile fuzz: unexpected exception\n");
        return 2;
    }
}
