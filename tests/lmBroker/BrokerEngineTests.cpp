// Binding the spell engine through lmBroker's ordinals 4 and 5. The broker
// loads the engine beside itself, by full path: copies of lmBroker.dll sit
// beside the probe engines (probe\, no13\), and the tests' own folder,
// which holds the real engine, is never asked.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/lmBroker/CBrokerLibrary.h"
#include "tests/lmBroker/CProbeEngine.h"
#include "tests/lmBroker/CTempFolder.h"

namespace
{
bool EngineLoaded()
{
    return GetModuleHandleA("lmEngine.dll") != nullptr;
}

// A table filled with a recognisable pattern, to see whether it was written.
EngineFunctionTable Untouched()
{
    EngineFunctionTable table;
    memset(&table, 0xA5, sizeof(table));
    return table;
}

bool IsUntouched(const EngineFunctionTable& table)
{
    EngineFunctionTable pattern = Untouched();
    return memcmp(&table, &pattern, sizeof(table)) == 0;
}

class BrokerEngineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(EngineLoaded()) << "an engine was left loaded";
        m_pathFirst = m_temp.Write("first.d", "alpha\n");
        m_pathSecond = m_temp.Write("Second\\second.d", "beta\n");
        m_temp.Write("Second\\Lexomo.dat", "@LEXOMO\n@DICTIONARY\nN=Second\nD=second.d\nL=second.l\nH=second.h\n@END\n");
        m_temp.Write("Lexomo.dat", "@LEXOMO\n@DICTIONARY\nN=First\nD=first.d\n"
                                   "@DICTIONARY\nN=No word list\nD=absent.d\n@END\n");
        ReadConfigs(m_broker);
    }
    void ReadConfigs(CBrokerLibrary& broker)
    {
        ASSERT_EQ(0, broker.ReadDictionaryConfig(m_temp.GetPath() + "Lexomo.dat"));
        ASSERT_EQ(0, broker.ReadDictionaryConfig(m_temp.GetPath() + "Second\\Lexomo.dat"));
        ASSERT_EQ(3, broker.GetDictionaryCount());
    }

    void TearDown() override { m_broker.UnloadEngine(); }

    std::string OpenOf(const std::string& d, const std::string& l = "", const std::string& h = "")
    {
        return "Open(" + d + "|" + l + "|" + h + ");";
    }

    CTempFolder m_temp;
    // Beside the recording probe engine.
    CBrokerLibrary m_broker{ "probe" };
    std::string m_pathFirst;
    std::string m_pathSecond;
};

TEST_F(BrokerEngineTest, AnUnknownIdChangesNothing)
{
    CProbeEngine probe;
    EngineFunctionTable table = Untouched();
    EXPECT_EQ(-1, m_broker.LoadDictionaryEngine(3, &table));
    EXPECT_EQ(-1, m_broker.LoadDictionaryEngine(-1, &table));
    EXPECT_TRUE(IsUntouched(table));
    EXPECT_EQ("", probe.TakeLog());

    // A loaded engine stays loaded and running.
    ASSERT_EQ(0, m_broker.LoadDictionaryEngine(0, &table));
    probe.TakeLog();
    EngineFunctionTable other = Untouched();
    EXPECT_EQ(-1, m_broker.LoadDictionaryEngine(7, &other));
    EXPECT_TRUE(IsUntouched(other));
    EXPECT_EQ("", probe.TakeLog());
    EXPECT_EQ(0, m_broker.UnloadEngine());
    EXPECT_EQ("Shutdown;", probe.TakeLog());
}

TEST_F(BrokerEngineTest, AGoodIdStartsTheEngineOnTheJoinedPaths)
{
    CProbeEngine probe;
    EngineFunctionTable table = Untouched();
    ASSERT_EQ(0, m_broker.LoadDictionaryEngine(0, &table));
    EXPECT_EQ("Initialize;" + OpenOf(m_pathFirst), probe.TakeLog());

    // Entry k - 1 reaches ordinal k.
    EXPECT_EQ(1, table.pfnInitialize());
    EXPECT_EQ(2, table.pfnShutdown());
    EXPECT_EQ(4, table.pfnCloseDictionary());
    EXPECT_EQ(5, table.pfnAddWord("w"));
    EXPECT_EQ(6, table.pfnRemoveWord("w"));
    EXPECT_EQ(7, table.pfnGetSuggestionCount());
    char buffer[128];
    EXPECT_EQ(8, table.pfnGetSuggestion(0, sizeof(buffer), buffer));
    EXPECT_EQ(9, table.pfnGetVersion());
    EXPECT_EQ(10, table.pfnIsWordChar('a'));
    EXPECT_EQ(11, table.pfnCheckWord("w"));
    EXPECT_EQ(12, table.pfnSetOption(1, 1));
    int position = 0;
    EXPECT_EQ(13, table.pfnFindMisspelling("w", &position, nullptr, nullptr));
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(probe.GetModule(), MAKEINTRESOURCEA(3))),
              reinterpret_cast<void*>(table.pfnOpenDictionary));
}

TEST_F(BrokerEngineTest, ASecondIdShutsTheFirstEngineDownAndStartsAfresh)
{
    CProbeEngine probe;
    EngineFunctionTable first = Untouched();
    EngineFunctionTable second = Untouched();
    ASSERT_EQ(0, m_broker.LoadDictionaryEngine(0, &first));
    ASSERT_EQ(0, m_broker.LoadDictionaryEngine(2, &second));
    const std::string folder = m_temp.GetPath() + "Second\\";
    EXPECT_EQ("Initialize;" + OpenOf(m_pathFirst) + "Shutdown;Initialize;" +
                  OpenOf(m_pathSecond, folder + "second.l", folder + "second.h"),
              probe.TakeLog());
    EXPECT_EQ(0, memcmp(&first, &second, sizeof(first)));
}

TEST_F(BrokerEngineTest, UnloadEngineShutsDownAndFreesTheEngine)
{
    {
        CProbeEngine probe;
        EXPECT_EQ(0, m_broker.UnloadEngine());  // none loaded: nothing happens
        EngineFunctionTable table = Untouched();
        ASSERT_EQ(0, m_broker.LoadDictionaryEngine(0, &table));
        probe.TakeLog();
        EXPECT_EQ(0, m_broker.UnloadEngine());
        EXPECT_EQ("Shutdown;", probe.TakeLog());
        EXPECT_EQ(0, m_broker.UnloadEngine());
        EXPECT_EQ("", probe.TakeLog());
    }
    // Only the probe's own reference held it.
    EXPECT_FALSE(EngineLoaded());
}

TEST_F(BrokerEngineTest, AnEngineWithoutItsWordListIsRefused)
{
    {
        CProbeEngine probe;
        EngineFunctionTable table = Untouched();
        EXPECT_EQ(-1, m_broker.LoadDictionaryEngine(1, &table));
        EXPECT_TRUE(IsUntouched(table));
        EXPECT_EQ("Initialize;" + OpenOf(m_temp.GetPath() + "absent.d") + "Shutdown;", probe.TakeLog());
        EXPECT_EQ(0, m_broker.UnloadEngine());
        EXPECT_EQ("", probe.TakeLog());
    }
    EXPECT_FALSE(EngineLoaded());
}

TEST_F(BrokerEngineTest, AnEngineMissingAnOrdinalIsRefusedUnstarted)
{
    {
        CProbeEngine probe(CProbeEngine::pkWithoutOrdinal13);
        CBrokerLibrary broker("no13");
        ReadConfigs(broker);
        EngineFunctionTable table = Untouched();
        EXPECT_EQ(-1, broker.LoadDictionaryEngine(0, &table));
        EXPECT_TRUE(IsUntouched(table));
        EXPECT_EQ("", probe.TakeLog());
    }
    EXPECT_FALSE(EngineLoaded());
}

TEST_F(BrokerEngineTest, AFailedReloadLeavesNoEngine)
{
    {
        CProbeEngine probe;
        EngineFunctionTable table = Untouched();
        ASSERT_EQ(0, m_broker.LoadDictionaryEngine(0, &table));
        EXPECT_EQ(-1, m_broker.LoadDictionaryEngine(1, &table));
        EXPECT_EQ("Initialize;" + OpenOf(m_pathFirst) + "Shutdown;Initialize;" +
                      OpenOf(m_temp.GetPath() + "absent.d") + "Shutdown;",
                  probe.TakeLog());
        EXPECT_EQ(0, m_broker.UnloadEngine());
        EXPECT_EQ("", probe.TakeLog());
    }
    EXPECT_FALSE(EngineLoaded());
}

TEST_F(BrokerEngineTest, ANullTableIsRefused)
{
    CProbeEngine probe;
    EXPECT_EQ(-1, m_broker.LoadDictionaryEngine(0, nullptr));
    EXPECT_EQ("", probe.TakeLog());
}

TEST(BrokerEngineReload, ANewBrokerStartsAnEngineLeftLoadedWithoutAShutdown)
{
    ASSERT_FALSE(EngineLoaded());
    CTempFolder temp;
    const std::string words = temp.Write("words.d", "alpha\n");
    const std::string config = temp.Write("Lexomo.dat", "@LEXOMO\n@DICTIONARY\nN=Words\nD=words.d\n@END\n");
    {
        CProbeEngine probe;
        EngineFunctionTable table = Untouched();
        {
            // As the program does: the engine outlives the broker that loaded it.
            CBrokerLibrary first("probe");
            ASSERT_EQ(0, first.ReadDictionaryConfig(config));
            ASSERT_EQ(0, first.LoadDictionaryEngine(0, &table));
        }
        EXPECT_EQ("Initialize;Open(" + words + "||);", probe.TakeLog());
        {
            CBrokerLibrary second("probe");
            ASSERT_EQ(0, second.ReadDictionaryConfig(config));
            ASSERT_EQ(0, second.LoadDictionaryEngine(0, &table));
            EXPECT_EQ("Initialize;Open(" + words + "||);", probe.TakeLog());
            EXPECT_EQ(0, second.UnloadEngine());
            EXPECT_EQ("Shutdown;", probe.TakeLog());
        }
        // Drop the reference the first broker left behind.
        FreeLibrary(probe.GetModule());
    }
    EXPECT_FALSE(EngineLoaded());
}

TEST(BrokerEngineBeside, TheEngineComesFromTheBrokersFolderNotTheSearchPath)
{
    // The tests' own folder (first on the search path) holds the real
    // engine; the broker in probe\ must take the one beside it.
    ASSERT_FALSE(EngineLoaded());
    CTempFolder temp;
    const std::string config = temp.Write("Lexomo.dat", "@LEXOMO\n@DICTIONARY\nN=Words\nD=words.d\n@END\n");
    temp.Write("words.d", "alpha\n");
    {
        CBrokerLibrary broker("probe");
        ASSERT_EQ(0, broker.ReadDictionaryConfig(config));
        EngineFunctionTable table = Untouched();
        ASSERT_EQ(0, broker.LoadDictionaryEngine(0, &table));
        char path[MAX_PATH];
        ASSERT_NE(0u, GetModuleFileNameA(GetModuleHandleA("lmEngine.dll"), path, MAX_PATH));
        EXPECT_EQ(CTempFolder::ProgramFolder() + "probe\\lmEngine.dll", std::string(path));
        EXPECT_EQ(0, broker.UnloadEngine());
    }
    EXPECT_FALSE(EngineLoaded());
}

TEST(BrokerWithRealEngine, HandsTheEngineAllThreeFiles)
{
    ASSERT_FALSE(EngineLoaded());
    CTempFolder temp;
    temp.Write("Test\\test.d", "alpha\nbeta\n");
    temp.Write("Test\\test.l", "WORDCHARS=-\n");
    temp.Write("Test\\test.h", "gamma\n");
    const std::string config =
        temp.Write("Test\\Lexomo.dat", "@LEXOMO\n@DICTIONARY\nN=Test\nD=test.d\nL=test.l\nH=test.h\n@END\n");
    {
        CBrokerLibrary broker;
        ASSERT_EQ(0, broker.ReadDictionaryConfig(config));
        EngineFunctionTable table = Untouched();
        ASSERT_EQ(0, broker.LoadDictionaryEngine(0, &table));
        char path[MAX_PATH];
        ASSERT_NE(0u, GetModuleFileNameA(GetModuleHandleA("lmEngine.dll"), path, MAX_PATH));
        EXPECT_EQ(CTempFolder::ProgramFolder() + "lmEngine.dll", std::string(path));

        const char* text = "alpha gamma alpha-beta delta";
        int position = 0;
        // "alpha-beta" is one word because of the settings file; gamma
        // comes from the second word list.
        ASSERT_EQ(10, table.pfnFindMisspelling(text, &position, nullptr, nullptr));
        EXPECT_EQ(12, position);
        position += 10;
        ASSERT_EQ(5, table.pfnFindMisspelling(text, &position, nullptr, nullptr));
        EXPECT_EQ(23, position);
        position += 5;
        EXPECT_EQ(0, table.pfnFindMisspelling(text, &position, nullptr, nullptr));
        EXPECT_EQ(0, broker.UnloadEngine());
    }
    EXPECT_FALSE(EngineLoaded());
}
// Without an lmEngine.dll anywhere on the search path. The exe's own folder
// always holds the real engine, so this runs in a copy of the test program
// in a folder of its own, with only lmBroker.dll beside it.
const char kChildVariable[] = "QLC_LMBROKER_NO_ENGINE";

TEST(BrokerWithoutEngine, LoadFailsAndHoldsNoEngine)
{
    const char* original = getenv(kChildVariable);
    if (original)
    {
        // The child: the original build folder is in the variable.
        CTempFolder temp;
        temp.Write("words.d", "alpha\n");
        const std::string config = temp.Write("Lexomo.dat", "@LEXOMO\n@DICTIONARY\nN=Words\nD=words.d\n@END\n");
        CBrokerLibrary broker;
        ASSERT_EQ(0, broker.ReadDictionaryConfig(config));
        EngineFunctionTable table = Untouched();
        EXPECT_EQ(-1, broker.LoadDictionaryEngine(0, &table));
        EXPECT_TRUE(IsUntouched(table));
        EXPECT_FALSE(EngineLoaded());

        // An engine that was loaded is shut down and freed before the
        // failing load: one beside the broker, then moved away (a loaded
        // module may be renamed, not deleted).
        const std::string beside = CTempFolder::ProgramFolder() + "lmEngine.dll";
        ASSERT_TRUE(CopyFileA((std::string(original) + "probe\\lmEngine.dll").c_str(), beside.c_str(), FALSE));
        ASSERT_EQ(0, broker.LoadDictionaryEngine(0, &table));
        ASSERT_TRUE(EngineLoaded());
        ASSERT_TRUE(MoveFileA(beside.c_str(), (CTempFolder::ProgramFolder() + "moved.dll").c_str()));
        EngineFunctionTable again = Untouched();
        EXPECT_EQ(-1, broker.LoadDictionaryEngine(0, &again));
        EXPECT_TRUE(IsUntouched(again));
        EXPECT_FALSE(EngineLoaded());
        EXPECT_EQ(0, broker.UnloadEngine());
        return;
    }

    CTempFolder temp;
    const std::string program = CTempFolder::ProgramFolder();
    char self[MAX_PATH];
    ASSERT_NE(0u, GetModuleFileNameA(nullptr, self, MAX_PATH));
    const std::string copy = temp.GetPath() + "lmBrokerTests.exe";
    ASSERT_TRUE(CopyFileA(self, copy.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((program + "lmBroker.dll").c_str(), (temp.GetPath() + "lmBroker.dll").c_str(), FALSE));

    std::string command = "\"" + copy + "\" --gtest_filter=BrokerWithoutEngine.* --gtest_color=no";
    SetEnvironmentVariableA(kChildVariable, program.c_str());
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    BOOL started = CreateProcessA(copy.c_str(), &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                                  temp.GetPath().c_str(), &startup, &process);
    SetEnvironmentVariableA(kChildVariable, nullptr);
    ASSERT_TRUE(started) << GetLastError();
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 120000));
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(0u, exitCode) << "the copy's checks failed (its output is above)";
}
}  // namespace
