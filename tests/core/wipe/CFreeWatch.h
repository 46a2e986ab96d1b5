// Looks into every block the program frees, at the moment it is freed: the
// test program's own operator new and delete take the blocks from the C
// heap, and while a watch is on, delete searches each block for the byte
// strings the watch was given before the block goes back to the heap. A
// secret that is wiped before its memory is freed is never found; one that
// is freed as it was, is. Nothing reads memory after it was freed.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class CFreeWatch
{
public:
    // Watches for each of the needles (none of them empty).
    explicit CFreeWatch(const std::vector<std::string>& needles);
    ~CFreeWatch();

    // Blocks freed while watching, and those that held a needle (with the
    // needle's number), in the order they were freed.
    size_t GetFreedCount() const;
    std::vector<std::string> GetFindings() const;
    void Stop();

private:
    CFreeWatch(const CFreeWatch&) = delete;
    CFreeWatch& operator=(const CFreeWatch&) = delete;
};

// The bytes as a needle.
std::string Needle(const void* pData, size_t nBytes);
