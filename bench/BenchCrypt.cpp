#include "BenchCrypt.h"

#include "core/CCryptDLLHandler.h"

#include <algorithm>
#include <chrono>

bool RunCryptBench(int nReps, std::vector<BenchCryptFigure>& figures)
{
    CCryptDLLHandler crypt;
    if (!crypt.Load())
        return false;
    bool bOk = true;
    {
        CCryptUse use(&crypt);
        const DWORD dwKeyBytes = use.IsHeld() ? crypt.m_pfnGetMaxKeyLength() : 0;
        DWORD dwPosition = use.IsHeld() ? crypt.m_pfnGetFirstHash() : 0;
        while (dwPosition != 0)
        {
            char szName[128] = "";
            QLC_CRYPT_TYPE type = {};
            type.lpszName = szName;
            type.dwNameSize = sizeof(szName);
            const DWORD dwId = dwPosition;
            if (!crypt.m_pfnGetNextHash(&dwPosition, &type))
                break;
            std::vector<double> times;
            CSecureBytes key;
            for (int i = 0; i < nReps; ++i)
            {
                const auto start = std::chrono::steady_clock::now();
                if (!crypt.DeriveKey(dwId, "benchmark", 9, key, dwKeyBytes))
                {
                    bOk = false;
                    break;
                }
                times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            }
            if (times.empty())
                continue;
            std::sort(times.begin(), times.end());
            figures.push_back({ szName, (unsigned)dwKeyBytes, times[times.size() / 2] });
        }
    }
    crypt.Unload();
    return bOk && !figures.empty();
}
