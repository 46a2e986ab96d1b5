// The library's export table and the test-only copy that lacks an ordinal.
#include "tests/outside/qlccrypt/CQlcCryptFixture.h"

namespace {

const IMAGE_EXPORT_DIRECTORY *ExportDirectory(HMODULE hModule)
{
    const BYTE *base = reinterpret_cast<const BYTE *>(hModule);
    const IMAGE_DOS_HEADER *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
    const IMAGE_NT_HEADERS *nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY &dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (dir.VirtualAddress == 0)
        return nullptr;
    return reinterpret_cast<const IMAGE_EXPORT_DIRECTORY *>(base + dir.VirtualAddress);
}

} // namespace

// Ordinals 1 to 22 exist, nothing else, and no export has a name.
TEST(QlcCryptExports, OrdinalsOnlyOneToTwentyTwo)
{
    HMODULE h = LoadLibraryA(QlcCryptLibraryPath().c_str());
    ASSERT_NE(nullptr, h);
    const IMAGE_EXPORT_DIRECTORY *exp = ExportDirectory(h);
    ASSERT_NE(nullptr, exp);
    EXPECT_EQ(1u, exp->Base);
    EXPECT_EQ(DWORD(QLC_ORD_COUNT), exp->NumberOfFunctions);
    EXPECT_EQ(0u, exp->NumberOfNames) << "exports must be by ordinal only";
    for (int ord = 1; ord <= QLC_ORD_COUNT; ++ord)
        EXPECT_NE(nullptr, GetProcAddress(h, MAKEINTRESOURCEA(ord))) << "ordinal " << ord;
    EXPECT_EQ(nullptr, GetProcAddress(h, MAKEINTRESOURCEA(QLC_ORD_COUNT + 1)));
    EXPECT_EQ(nullptr, GetProcAddress(h, MAKEINTRESOURCEA(0)));
    EXPECT_EQ(nullptr, GetProcAddress(h, "QlcDeriveKey"));
    EXPECT_EQ(nullptr, GetProcAddress(h, "QlcDeriveKey@20"));
    FreeLibrary(h);
}

// Every ordinal has its own entry point (no two ordinals share code by
// accident of the .def), except the reserved stubs, which may.
TEST(QlcCryptExports, CalledOrdinalsAreDistinctFunctions)
{
    HMODULE h = LoadLibraryA(QlcCryptLibraryPath().c_str());
    ASSERT_NE(nullptr, h);
    const int called[] = {1, 5, 6, 7, 8, 9, 10, 11, 12, 15, 16, 17, 18, 19, 22};
    for (int a : called)
        for (int b : called)
            if (a < b) {
                EXPECT_NE(GetProcAddress(h, MAKEINTRESOURCEA(a)), GetProcAddress(h, MAKEINTRESOURCEA(b)))
                    << "ordinals " << a << " and " << b;
            }
    FreeLibrary(h);
}

TEST_F(CQlcCryptFixture, ReservedOrdinalsReturnZero)
{
    EXPECT_EQ(0u, m_api.m_pfnReserved2());
    EXPECT_EQ(0u, m_api.m_pfnReserved3());
    EXPECT_EQ(0u, m_api.m_pfnReserved4());
    EXPECT_EQ(0u, m_api.m_pfnReserved13());
    EXPECT_EQ(0u, m_api.m_pfnReserved14());
    EXPECT_EQ(0u, m_api.m_pfnReserved20());
    EXPECT_EQ(0u, m_api.m_pfnReserved21());
}

// The test-only copy lacks exactly ordinal 22 (looked up last by the
// program), so a binding that checks every lookup must refuse it.
TEST(QlcCryptExports, ModuleMissingAnOrdinalIsRefused)
{
    const std::string path = QlcCryptMissingOrdinalLibraryPath();
    HMODULE h = LoadLibraryA(path.c_str());
    ASSERT_NE(nullptr, h) << path;
    for (int ord = 1; ord < QLC_ORD_COUNT; ++ord)
        EXPECT_NE(nullptr, GetProcAddress(h, MAKEINTRESOURCEA(ord))) << "ordinal " << ord;
    EXPECT_EQ(nullptr, GetProcAddress(h, MAKEINTRESOURCEA(QLC_ORD_MAKECHECKBLOCK)));
    FreeLibrary(h);

    // The program's binding refuses it and binds the whole library after.
    CCryptDLLHandler api;
    EXPECT_FALSE(api.Load(path.c_str()));
    EXPECT_FALSE(api.IsLoaded());
    EXPECT_EQ(QLC_ORD_MAKECHECKBLOCK, api.GetMissingOrdinal());
    EXPECT_EQ(nullptr, api.m_pfnProcessBuffer) << "a refused module leaves no pointers behind";
    EXPECT_TRUE(api.Load(QlcCryptLibraryPath().c_str()));
    EXPECT_EQ(0, api.GetMissingOrdinal());

    // Loaded by its full path, the copy is a module of its own even while
    // the real library (same file name) is loaded.
    HMODULE hBound = nullptr;
    ASSERT_TRUE(GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                   reinterpret_cast<LPCSTR>(api.m_pfnProcessBuffer), &hBound));
    HMODULE hCopy = LoadLibraryA(path.c_str());
    ASSERT_NE(nullptr, hCopy);
    EXPECT_NE(hBound, hCopy);
    EXPECT_EQ(nullptr, GetProcAddress(hCopy, MAKEINTRESOURCEA(QLC_ORD_MAKECHECKBLOCK)));
    FreeLibrary(hCopy);
}

TEST(QlcCryptExports, MissingFileIsRefused)
{
    CCryptDLLHandler api;
    EXPECT_FALSE(api.Load((QlcCryptExeFolder() + "no-such-qlccrypt.dll").c_str()));
    EXPECT_FALSE(api.IsLoaded());
}
