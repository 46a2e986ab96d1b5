// Reading Lexomo.dat files and listing dictionaries through lmBroker's
// ordinals 1 to 3.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/lmBroker/CBrokerLibrary.h"
#include "tests/lmBroker/CProbeEngine.h"
#include "tests/lmBroker/CTempFolder.h"

namespace
{
class BrokerConfigTest : public ::testing::Test
{
protected:
    // Writes a configuration file into the temporary folder and reads it.
    int Read(const std::string& relative, const std::string& content)
    {
        return m_broker.ReadDictionaryConfig(m_temp.Write(relative, content));
    }

    // The paths D|L|H that the broker hands the engine for dictionary id,
    // as the probe engine saw them.
    std::string Paths(int id)
    {
        CProbeEngine probe;
        EngineFunctionTable table = {};
        m_broker.LoadDictionaryEngine(id, &table);
        m_broker.UnloadEngine();
        std::string log = probe.TakeLog();
        size_t open = log.find("Open(");
        if (open == std::string::npos)
            return "(not opened) " + log;
        size_t close = log.find(')', open);
        return log.substr(open + 5, close - open - 5);
    }

    CTempFolder m_temp;
    // Beside the probe engine, which it loads.
    CBrokerLibrary m_broker{ "probe" };
};

TEST_F(BrokerConfigTest, NothingIsListedBeforeTheFirstRead)
{
    EXPECT_EQ(0, m_broker.GetDictionaryCount());
    char name[8] = "keep";
    EXPECT_EQ(0, m_broker.GetDictionaryName(0, sizeof(name), name));
    EXPECT_STREQ("keep", name);
}

TEST_F(BrokerConfigTest, WrongFirstLineOrMissingFileChangesNothing)
{
    ASSERT_EQ(0, Read("good.dat", "@LEXOMO\n@DICTIONARY\nN=Good\n@END\n"));
    ASSERT_EQ(1, m_broker.GetDictionaryCount());

    EXPECT_EQ(-1, Read("lower.dat", "@lexomo\n@DICTIONARY\nN=Lower\n@END\n"));
    EXPECT_EQ(-1, Read("space.dat", "@LEXOMO \n@DICTIONARY\nN=Space\n@END\n"));
    EXPECT_EQ(-1, Read("late.dat", "; comment first\n@LEXOMO\n@DICTIONARY\nN=Late\n@END\n"));
    EXPECT_EQ(-1, Read("empty.dat", ""));
    EXPECT_EQ(-1, Read("long.dat", "@LEXOMO" + std::string(200, ' ') + "\n@DICTIONARY\nN=Long\n@END\n"));
    EXPECT_EQ(-1, m_broker.ReadDictionaryConfig(m_temp.GetPath() + "missing\\Lexomo.dat"));
    EXPECT_EQ(-1, m_broker.ReadDictionaryConfig(m_temp.GetPath()));  // a folder
    EXPECT_EQ(1, m_broker.GetDictionaryCount());

    // The next dictionary still gets the next id.
    ASSERT_EQ(0, Read("next.dat", "@LEXOMO\n@DICTIONARY\nN=Next\n@END\n"));
    EXPECT_EQ(2, m_broker.GetDictionaryCount());
    EXPECT_EQ("Next", m_broker.GetDictionaryName(1));
}

TEST_F(BrokerConfigTest, SectionsClosedByAnAtLineAreListedInFileOrder)
{
    ASSERT_EQ(0, Read("Lexomo.dat",
                      "@LEXOMO\r\n"
                      "; two dictionaries\r\n"
                      "@DICTIONARY\r\n"
                      "N=English (UK)\r\n"
                      "D=en.d\r\n"
                      "L=en.l\r\n"
                      "H=en.h\r\n"
                      "\r\n"
                      "@DICTIONARY\r\n"
                      "N=English (US)\r\n"
                      "D=us.d\r\n"
                      "@END\r\n"));
    ASSERT_EQ(2, m_broker.GetDictionaryCount());
    EXPECT_EQ("English (UK)", m_broker.GetDictionaryName(0));
    EXPECT_EQ("English (US)", m_broker.GetDictionaryName(1));
    const std::string base = m_temp.GetPath();
    EXPECT_EQ(base + "en.d|" + base + "en.l|" + base + "en.h", Paths(0));
    EXPECT_EQ(base + "us.d||", Paths(1));
}

TEST_F(BrokerConfigTest, ASectionLeftOpenAtTheEndIsNotListed)
{
    ASSERT_EQ(0, Read("Lexomo.dat",
                      "@LEXOMO\n@DICTIONARY\nN=Closed\n@DICTIONARY\nN=Open\nD=o.d\nL=o.l\nH=o.h\n"));
    EXPECT_EQ(1, m_broker.GetDictionaryCount());
    EXPECT_EQ("Closed", m_broker.GetDictionaryName(0));
}

TEST_F(BrokerConfigTest, AnyAtLineClosesButOnlyExactSectionNamesOpen)
{
    ASSERT_EQ(0, Read("Lexomo.dat",
                      "@LEXOMO\n"
                      "@DICTIONARY\nN=One\n"
                      "@dictionary\nN=Lower-case section\n"   // closes One, opens nothing
                      "@DICTIONARY \nN=Trailing space\n"      // closes nothing further
                      "@DICTIONARY\n@DICTIONARY\nN=Three\n"  // an empty section is still kept
                      "@SETTINGS\nN=Settings name\n@END\n"));
    ASSERT_EQ(3, m_broker.GetDictionaryCount());
    EXPECT_EQ("One", m_broker.GetDictionaryName(0));
    EXPECT_EQ("", m_broker.GetDictionaryName(1));
    EXPECT_EQ("Three", m_broker.GetDictionaryName(2));
}

TEST_F(BrokerConfigTest, BaseDirectoryIsJoinedVerbatim)
{
    ASSERT_EQ(0, Read("Lexomo.dat",
                      "@LEXOMO\n"
                      "@DICTIONARY\nN=Before\nD=x\n@END\n"
                      "@SETTINGS\nB=D:\\Dicts\\\n@END\n"
                      "@DICTIONARY\nN=Slash\nD=x\nL=y\nH=z\n@END\n"
                      "@SETTINGS\nBase=D:\\Plain\n@END\n"
                      "@DICTIONARY\nN=Plain\nD=x\n"
                      "B=C:\\Ignored\\\n"  // B outside the settings section
                      "L=y\n@END\n"));
    ASSERT_EQ(3, m_broker.GetDictionaryCount());
    EXPECT_EQ(m_temp.GetPath() + "x||", Paths(0));
    EXPECT_EQ("D:\\Dicts\\x|D:\\Dicts\\y|D:\\Dicts\\z", Paths(1));
    EXPECT_EQ("D:\\Plainx|D:\\Plainy|", Paths(2));
}

TEST_F(BrokerConfigTest, EachFileStartsFromItsOwnFolder)
{
    ASSERT_EQ(0, Read("A\\Lexomo.dat", "@LEXOMO\n@SETTINGS\nB=E:\\\n@DICTIONARY\nN=A\nD=a.d\n@END\n"));
    ASSERT_EQ(0, Read("B\\Lexomo.dat", "@LEXOMO\n@DICTIONARY\nN=B\nD=b.d\n@END\n"));
    EXPECT_EQ("E:\\a.d||", Paths(0));
    EXPECT_EQ(m_temp.GetPath() + "B\\b.d||", Paths(1));
}

TEST_F(BrokerConfigTest, KeyLinesTakeTheFirstCharacterAndEverythingAfterTheFirstEquals)
{
    ASSERT_EQ(0, Read("Lexomo.dat",
                      "@LEXOMO\n"
                      "N=Outside any section\n"
                      "@DICTIONARY\n"
                      "N=Deutsch=DE\n"
                      "Dictionary file = de.d \n"
                      "n=lower-case key\n"
                      "d=lower.d\n"
                      "No equals sign here\n"
                      "L=first.l\n"
                      "L=second.l\n"
                      "X=unknown key\n"
                      "@END\n"));
    ASSERT_EQ(1, m_broker.GetDictionaryCount());
    EXPECT_EQ("Deutsch=DE", m_broker.GetDictionaryName(0));
    const std::string base = m_temp.GetPath();
    EXPECT_EQ(base + " de.d |" + base + "second.l|", Paths(0));
}

TEST_F(BrokerConfigTest, LineEndsFollowTextMode)
{
    // LF and CR LF end lines; a lone CR stays in the line.
    ASSERT_EQ(0, Read("Lexomo.dat", "@LEXOMO\r\n@DICTIONARY\nN=Cr\rInside\r\n@END"));
    ASSERT_EQ(1, m_broker.GetDictionaryCount());
    EXPECT_EQ("Cr\rInside", m_broker.GetDictionaryName(0));
}

TEST_F(BrokerConfigTest, OverLongLinesAreSkippedWhole)
{
    const std::string at126 = "N=" + std::string(124, 'k');
    ASSERT_EQ(0, Read("Lexomo.dat",
                      "@LEXOMO\n"
                      "@DICTIONARY\n"
                      "N=Kept\n"
                      // Split into pieces, this line would close the section.
                      ";" + std::string(199, '@') + "\n"
                      // ... and this one would set keys.
                      "X=" + std::string(130, 'x') + "N=Leaked\n"
                      "D=" + std::string(120, 'y') + "N=Leaked too D=leak.d\r\n"
                      "D=after.d\n"
                      "@END\n"
                      "@DICTIONARY\n" +
                      at126 + "\n"
                      "@END\n"
                      "@DICTIONARY\n" +
                      at126 + "k\n"
                      "@END\n"));
    ASSERT_EQ(3, m_broker.GetDictionaryCount());
    EXPECT_EQ("Kept", m_broker.GetDictionaryName(0));
    EXPECT_EQ(m_temp.GetPath() + "after.d||", Paths(0));
    // 126 characters is the longest line read; the name then fills 124 of
    // the program's 128 bytes.
    EXPECT_EQ(at126.substr(2), m_broker.GetDictionaryName(1));
    EXPECT_EQ("", m_broker.GetDictionaryName(2));
}

TEST_F(BrokerConfigTest, ALongLastLineWithoutLineEndStillEnds)
{
    ASSERT_EQ(0, Read("Lexomo.dat", "@LEXOMO\n@DICTIONARY\nN=Last\n@END\n" + std::string(5000, 'z')));
    EXPECT_EQ(1, m_broker.GetDictionaryCount());
}

TEST_F(BrokerConfigTest, CtrlZEndsTheText)
{
    ASSERT_EQ(0, Read("Lexomo.dat",
                      "@LEXOMO\r\n@DICTIONARY\r\nN=Before\r\n@END\x1A"
                      "\r\n@DICTIONARY\r\nN=After\r\n@END\r\n"));
    ASSERT_EQ(1, m_broker.GetDictionaryCount());
    EXPECT_EQ("Before", m_broker.GetDictionaryName(0));

    // The section open at the Ctrl-Z is not closed by what follows it.
    ASSERT_EQ(0, Read("open.dat", "@LEXOMO\n@DICTIONARY\nN=Open\n\x1A@END\n"));
    EXPECT_EQ(1, m_broker.GetDictionaryCount());
}

TEST_F(BrokerConfigTest, FoldersReadInTurnNumberTheirDictionariesInReadingOrder)
{
    const char* folders[] = {"Deutsch", "English", "Francais"};
    int expected = 0;
    for (const char* folder : folders)
    {
        std::string content = "@LEXOMO\n";
        int inFolder = folder[0] == 'E' ? 2 : 1;
        for (int i = 0; i < inFolder; ++i)
            content += "@DICTIONARY\nN=" + std::string(folder) + std::to_string(i) + "\nD=words.d\n";
        content += "@END\n";
        ASSERT_EQ(0, Read(std::string(folder) + "\\Lexomo.dat", content));
        expected += inFolder;
        EXPECT_EQ(expected, m_broker.GetDictionaryCount());
    }
    ASSERT_EQ(4, m_broker.GetDictionaryCount());
    EXPECT_EQ("Deutsch0", m_broker.GetDictionaryName(0));
    EXPECT_EQ("English0", m_broker.GetDictionaryName(1));
    EXPECT_EQ("English1", m_broker.GetDictionaryName(2));
    EXPECT_EQ("Francais0", m_broker.GetDictionaryName(3));
    EXPECT_EQ(m_temp.GetPath() + "English\\words.d||", Paths(2));

    // The same file read again is listed again, under new ids.
    ASSERT_EQ(0, m_broker.ReadDictionaryConfig(m_temp.GetPath() + "Deutsch\\Lexomo.dat"));
    ASSERT_EQ(5, m_broker.GetDictionaryCount());
    EXPECT_EQ("Deutsch0", m_broker.GetDictionaryName(4));
}

TEST_F(BrokerConfigTest, NamesAreCutToTheBuffer)
{
    ASSERT_EQ(0, Read("Lexomo.dat", "@LEXOMO\n@DICTIONARY\nN=English (UK)\n@END\n"));
    char buffer[16];

    memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(0, m_broker.GetDictionaryName(0, 5, buffer));
    EXPECT_EQ(0, memcmp("Engl\0###", buffer, 8));

    memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(0, m_broker.GetDictionaryName(0, 13, buffer));
    EXPECT_EQ(0, memcmp("English (UK)\0###", buffer, 16));

    memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(0, m_broker.GetDictionaryName(0, 12, buffer));
    EXPECT_EQ(0, memcmp("English (UK\0####", buffer, 16));

    memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(0, m_broker.GetDictionaryName(0, 1, buffer));
    EXPECT_EQ(0, memcmp("\0###", buffer, 4));

    // No room, no buffer or no such dictionary: nothing is written.
    memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(0, m_broker.GetDictionaryName(0, 0, buffer));
    EXPECT_EQ(0, m_broker.GetDictionaryName(0, -5, buffer));
    EXPECT_EQ(0, m_broker.GetDictionaryName(1, sizeof(buffer), buffer));
    EXPECT_EQ(0, m_broker.GetDictionaryName(-1, sizeof(buffer), buffer));
    EXPECT_EQ(0, m_broker.GetDictionaryName(0, sizeof(buffer), nullptr));
    EXPECT_EQ(std::string(16, '#'), std::string(buffer, 16));
}

TEST(BrokerReload, ALoadedAgainBrokerStartsWithAnEmptyList)
{
    CTempFolder temp;
    std::string path = temp.Write("Lexomo.dat", "@LEXOMO\n@DICTIONARY\nN=One\n@END\n");
    {
        CBrokerLibrary broker;
        ASSERT_EQ(0, broker.ReadDictionaryConfig(path));
        ASSERT_EQ(0, broker.ReadDictionaryConfig(path));
        EXPECT_EQ(2, broker.GetDictionaryCount());
    }
    CBrokerLibrary broker;
    EXPECT_EQ(0, broker.GetDictionaryCount());
    ASSERT_EQ(0, broker.ReadDictionaryConfig(path));
    EXPECT_EQ("One", broker.GetDictionaryName(0));
}

TEST(BrokerExports, AreReachableByOrdinalOnly)
{
    CBrokerLibrary broker;
    HMODULE module = broker.GetModule();
    for (int ordinal = 1; ordinal <= 5; ++ordinal)
        EXPECT_NE(nullptr, GetProcAddress(module, MAKEINTRESOURCEA(ordinal))) << ordinal;
    EXPECT_EQ(nullptr, GetProcAddress(module, MAKEINTRESOURCEA(6)));
    const char* names[] = {"ReadDictionaryConfig", "GetDictionaryCount", "GetDictionaryName",
                           "LoadDictionaryEngine", "UnloadEngine", "_ReadDictionaryConfig@4",
                           "ReadDictionaryConfig@4", "_GetDictionaryName@12", "DllMain"};
    for (const char* name : names)
        EXPECT_EQ(nullptr, GetProcAddress(module, name)) << name;
}
}  // namespace
