// textconv_probe.dll: a test converter that counts its calls. By default it
// refuses every file (the converter passed over for the next one); the tests
// switch it to misbehave in the ways the program must survive.
#include "outside/textconv/TextConvApi.h"

#include <cstring>

namespace {

enum
{
    modeReject = 0,         // IsFormatCorrect32 says no
    modeOversizedCount = 1, // claims more bytes than the buffer holds, then reports success
    modeFailAfterOutput = 2 // writes 40,000 bytes, then fails
};

long s_nMode = modeReject;
long s_counts[6];      // init, uninit, format, foreign, rtf-to-foreign, last callback result

void Count(int nWhich)
{
    ++s_counts[nWhich];
}

} // namespace

extern "C" {

void WINAPI ProbeSetMode(long nMode)
{
    s_nMode = nMode;
    memset(s_counts, 0, sizeof(s_counts));
}

long WINAPI ProbeGetCount(long nWhich)
{
    return nWhich >= 0 && nWhich < 6 ? s_counts[nWhich] : -1;
}

long WINAPI InitConverter32(HANDLE /*hWnd*/, char* /*szModule*/)
{
    Count(0);
    return 1;
}

void WINAPI UninitConverter(void)
{
    Count(1);
}

long WINAPI IsFormatCorrect32(HANDLE /*ghszFile*/, HANDLE /*ghszClass*/)
{
    Count(2);
    return s_nMode == modeReject ? 0 : 1;
}

long WINAPI ForeignToRtf32(HANDLE /*ghszFile*/, void* /*pstgForeign*/, HANDLE ghBuff, HANDLE /*ghszClass*/,
                           HANDLE /*ghszSubset*/, PFN_TEXTCONV_RTFOUT lpfnOut)
{
    Count(3);
    if (s_nMode == modeOversizedCount)
    {
        memset(ghBuff, 'O', TEXTCONV_BUFFER_SIZE);
        s_counts[5] = lpfnOut(TEXTCONV_BUFFER_SIZE + 1, 100);
        return TEXTCONV_OK; // a careless converter ignores the refusal
    }
    if (s_nMode == modeFailAfterOutput)
    {
        memset(ghBuff, 'X', TEXTCONV_BUFFER_SIZE);
        for (long nLeft = 40000; nLeft > 0; nLeft -= TEXTCONV_BUFFER_SIZE)
            s_counts[5] = lpfnOut(nLeft > TEXTCONV_BUFFER_SIZE ? TEXTCONV_BUFFER_SIZE : nLeft, 50);
        return TEXTCONV_E_WRITE;
    }
    return TEXTCONV_E_FORMAT;
}

long WINAPI RtfToForeign32(HANDLE /*ghszFile*/, void* /*pstgForeign*/, HANDLE /*ghBuff*/, HANDLE /*ghszClass*/,
                           PFN_TEXTCONV_RTFIN /*lpfnIn*/)
{
    Count(4);
    return TEXTCONV_E_FORMAT;
}

} // extern "C"
