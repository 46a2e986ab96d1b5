// lmEngine.dll called by ordinal through an EngineFunctionTable: the rules
// on small word lists made here, then real text against the English
// dictionary built beside the program.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "tests/lmBroker/CTempFolder.h"
#include "tests/outside/lmEngine/CEngineLibrary.h"

namespace
{
typedef std::vector<std::pair<int, std::string>> Findings;
typedef std::vector<std::string> Words;

// Every misspelling of text, walked as the program walks a piece: from 0,
// each search starting at the end of the word last found.
Findings FindAll(const EngineFunctionTable& engine, const std::string& text, IgnoreWordProc callback = nullptr,
                 void* context = nullptr)
{
    Findings found;
    int position = 0;
    for (int guard = 0; guard < 10000; ++guard)
    {
        int length = engine.pfnFindMisspelling(text.c_str(), &position, callback, context);
        if (length == 0)
            break;
        found.emplace_back(position, text.substr(position, length));
        position += length;
    }
    return found;
}

struct IgnoreList
{
    Words ignored;
    Words asked;
};

int __stdcall IgnoreListed(const char* word, void* context)
{
    IgnoreList* list = static_cast<IgnoreList*>(context);
    list->asked.push_back(word);
    for (const std::string& ignored : list->ignored)
        if (ignored == word)
            return 1;
    return 0;
}

int __stdcall AnswerTwo(const char*, void*)
{
    return 2;
}

class EngineTest : public ::testing::Test
{
protected:
    // Opens a word list written from words (one a line) with optional
    // settings and second list.
    int Open(const std::string& words, const char* settings = nullptr, const char* second = nullptr)
    {
        std::string d = m_temp.Write("words.d", words);
        std::string l = settings ? m_temp.Write("words.l", settings) : m_temp.GetPath() + "absent.l";
        std::string h = second ? m_temp.Write("words.h", second) : m_temp.GetPath() + "absent.h";
        return E().pfnOpenDictionary(d.c_str(), l.c_str(), h.c_str());
    }

    const EngineFunctionTable& E() const { return m_engine.Table(); }

    Words SuggestionsFor(const char* word)
    {
        EXPECT_EQ(0, E().pfnCheckWord(word)) << word;
        return m_engine.Suggestions();
    }

    CTempFolder m_temp;
    CEngineLibrary m_engine;
};

TEST_F(EngineTest, FindsUnknownWordsInOrderWithTheirPositions)
{
    ASSERT_EQ(0, Open("the\ncat\r\nsat\n\non\nmat\n"));
    EXPECT_EQ((Findings{{4, "dog"}, {15, "mta"}}), FindAll(E(), "the dog sat on mta, the cat."));
    EXPECT_EQ(Findings(), FindAll(E(), "The cat sat on the mat."));
    EXPECT_EQ(Findings(), FindAll(E(), ""));
    EXPECT_EQ(Findings(), FindAll(E(), " ,.;-- "));
}

TEST_F(EngineTest, SearchesFromThePositionGiven)
{
    ASSERT_EQ(0, Open("cat\n"));
    const char* text = "dog cat emu";
    int position = 4;
    EXPECT_EQ(3, E().pfnFindMisspelling(text, &position, nullptr, nullptr));
    EXPECT_EQ(8, position);
    // Inside a word: the word began before the position and is passed over.
    position = 1;
    EXPECT_EQ(3, E().pfnFindMisspelling(text, &position, nullptr, nullptr));
    EXPECT_EQ(8, position);
    position = 9;
    EXPECT_EQ(0, E().pfnFindMisspelling(text, &position, nullptr, nullptr));
    EXPECT_EQ(9, position);  // untouched when nothing is found
    position = 11;
    EXPECT_EQ(0, E().pfnFindMisspelling(text, &position, nullptr, nullptr));
    position = 500;
    EXPECT_EQ(0, E().pfnFindMisspelling(text, &position, nullptr, nullptr));
    position = -3;
    EXPECT_EQ(3, E().pfnFindMisspelling(text, &position, nullptr, nullptr));
    EXPECT_EQ(0, position);
    EXPECT_EQ(0, E().pfnFindMisspelling(nullptr, &position, nullptr, nullptr));
    EXPECT_EQ(0, E().pfnFindMisspelling(text, nullptr, nullptr, nullptr));
}

TEST_F(EngineTest, AsksTheIgnoreCallbackBeforeReporting)
{
    ASSERT_EQ(0, Open("a\nthe\n"));
    IgnoreList list;
    list.ignored = {"teh"};
    EXPECT_EQ((Findings{{6, "Teh"}, {10, "adn"}}), FindAll(E(), "a teh Teh adn teh", IgnoreListed, &list));
    // Asked about misspelt words only, each time one comes up.
    EXPECT_EQ((Words{"teh", "Teh", "adn", "teh"}), list.asked);
    // Only an answer of 1 skips.
    EXPECT_EQ((Findings{{2, "teh"}}), FindAll(E(), "a teh", AnswerTwo));
}

TEST_F(EngineTest, HandlesTextFarLongerThanAPiece)
{
    ASSERT_EQ(0, Open("word\n"));
    std::string text;
    Findings expected;
    for (int i = 0; i < 1000; ++i)
    {
        if (i % 97 == 50)
        {
            std::string odd = "odd" + std::string(1 + i % 5, 'x');
            expected.emplace_back(static_cast<int>(text.size()), odd);
            text += odd + ". ";
        }
        else
            text += "word ";
    }
    ASSERT_GT(text.size(), 4000u);
    ASSERT_GT(expected.back().first, 4000);
    EXPECT_EQ(expected, FindAll(E(), text));
}

TEST_F(EngineTest, CapitalisationRules)
{
    ASSERT_EQ(0, Open("hello\nLondon\nNASA\niPod\n"));
    // A lower-case word matches its capitalised and all-capital forms.
    EXPECT_EQ(1, E().pfnCheckWord("hello"));
    EXPECT_EQ(1, E().pfnCheckWord("Hello"));
    EXPECT_EQ(1, E().pfnCheckWord("HELLO"));
    EXPECT_EQ(0, E().pfnCheckWord("hELLO"));
    EXPECT_EQ(0, E().pfnCheckWord("HeLLo"));
    // Other words match as written, and a capitalised one in capitals.
    EXPECT_EQ(1, E().pfnCheckWord("London"));
    EXPECT_EQ(1, E().pfnCheckWord("LONDON"));
    EXPECT_EQ(0, E().pfnCheckWord("london"));
    EXPECT_EQ(1, E().pfnCheckWord("NASA"));
    EXPECT_EQ(0, E().pfnCheckWord("Nasa"));
    EXPECT_EQ(0, E().pfnCheckWord("nasa"));
    EXPECT_EQ(1, E().pfnCheckWord("iPod"));
    EXPECT_EQ(0, E().pfnCheckWord("IPod"));
    EXPECT_EQ(0, E().pfnCheckWord("ipod"));
}

TEST_F(EngineTest, AccentedLettersFollowTheCodePage)
{
    ASSERT_EQ(0, Open("caf\xE9\n\xE9t\xE9\n"));
    EXPECT_EQ(1, E().pfnCheckWord("CAF\xC9"));
    EXPECT_EQ(1, E().pfnCheckWord("\xC9t\xE9"));
    EXPECT_EQ(0, E().pfnCheckWord("CAF\xE9"));
    EXPECT_EQ((Findings{{5, "cafe"}}), FindAll(E(), "caf\xE9 cafe \xC9T\xC9"));
    EXPECT_EQ(Words{"caf\xE9"}, SuggestionsFor("cafe"));
    EXPECT_EQ(Words{"CAF\xC9"}, SuggestionsFor("CAFE"));
}

TEST_F(EngineTest, WordsWithDigitsAreSkippedUnlessAskedOtherwise)
{
    ASSERT_EQ(0, Open("room\n"));
    EXPECT_EQ(Findings(), FindAll(E(), "room 101 room2 4th B52s"));
    EXPECT_EQ(1, E().pfnSetOption(eoSkipWordsWithDigits, 0));
    EXPECT_EQ((Findings{{5, "101"}, {9, "room2"}, {15, "4th"}, {19, "B52s"}}), FindAll(E(), "room 101 room2 4th B52s"));
    EXPECT_EQ(0, E().pfnSetOption(eoSkipWordsWithDigits, 1));
    EXPECT_EQ(-1, E().pfnSetOption(99, 1));
    // Initialize brings the default back.
    EXPECT_EQ(1, E().pfnSetOption(eoSkipWordsWithDigits, 0));
    E().pfnInitialize();
    EXPECT_EQ(1, E().pfnSetOption(eoSkipWordsWithDigits, 1));
}

TEST_F(EngineTest, ApostrophesBelongToWordsButNotAroundThem)
{
    ASSERT_EQ(0, Open("don't\ndogs\nbone\nhello\n"));
    EXPECT_EQ(Findings(), FindAll(E(), "'hello' don't dogs' bone ''"));
    EXPECT_EQ((Findings{{1, "dont"}, {7, "cat's"}}), FindAll(E(), "'dont' cat's'"));
}

TEST_F(EngineTest, IsWordCharAgreesWithTheTokeniser)
{
    ASSERT_EQ(0, Open("word\n"));
    E().pfnSetOption(eoSkipWordsWithDigits, 0);
    for (int c = 1; c < 256; ++c)
    {
        if (c == '\'')
            continue;  // trimmed at a word's edges, tested above
        std::string text = std::string("zq") + static_cast<char>(c) + "zq";
        Findings found = FindAll(E(), text);
        ASSERT_FALSE(found.empty()) << c;
        bool joined = found[0].second.size() == 5;
        EXPECT_EQ(joined ? 1 : 0, E().pfnIsWordChar(c)) << c;
        // Only the low 8 bits count.
        EXPECT_EQ(E().pfnIsWordChar(c), E().pfnIsWordChar(c | 0x7A3100)) << c;
        EXPECT_EQ(E().pfnIsWordChar(c), E().pfnIsWordChar(c - 256)) << c;
    }
    EXPECT_EQ(1, E().pfnIsWordChar('a'));
    EXPECT_EQ(1, E().pfnIsWordChar('Z'));
    EXPECT_EQ(1, E().pfnIsWordChar('7'));
    EXPECT_EQ(1, E().pfnIsWordChar('\''));
    EXPECT_EQ(1, E().pfnIsWordChar(0xE9));
    EXPECT_EQ(0, E().pfnIsWordChar(' '));
    EXPECT_EQ(0, E().pfnIsWordChar('-'));
    EXPECT_EQ(0, E().pfnIsWordChar('.'));
    EXPECT_EQ(0, E().pfnIsWordChar(0));
    EXPECT_EQ(0, E().pfnIsWordChar(0xD7));  // multiplication sign
}

TEST_F(EngineTest, SettingsAddWordCharacters)
{
    ASSERT_EQ(0, Open("e-mail\n", "# extra word characters\nWORDCHARS=-_\r\n"));
    EXPECT_EQ(1, E().pfnIsWordChar('-'));
    EXPECT_EQ(1, E().pfnIsWordChar('_'));
    EXPECT_EQ(0, E().pfnIsWordChar('.'));
    EXPECT_EQ((Findings{{7, "snake_case"}}), FindAll(E(), "e-mail snake_case."));
    // A dictionary opened without them loses them.
    ASSERT_EQ(0, Open("e-mail\n"));
    EXPECT_EQ(0, E().pfnIsWordChar('-'));
    EXPECT_EQ((Findings{{0, "e"}, {2, "mail"}}), FindAll(E(), "e-mail"));
}

TEST_F(EngineTest, TheSecondWordListAddsWords)
{
    ASSERT_EQ(0, Open("alpha\n", nullptr, "beta\r\ngamma"));
    EXPECT_EQ((Findings{{17, "delta"}}), FindAll(E(), "alpha beta gamma delta"));
}

TEST_F(EngineTest, OpenDictionaryReplacesTheOpenOne)
{
    ASSERT_EQ(0, Open("alpha\n"));
    EXPECT_EQ(1, E().pfnCheckWord("alpha"));
    ASSERT_EQ(0, Open("beta\n"));
    EXPECT_EQ(0, E().pfnCheckWord("alpha"));
    EXPECT_EQ(1, E().pfnCheckWord("beta"));
    // Null or empty settings and second list are fine too.
    std::string d = m_temp.Write("other.d", "gamma\n");
    ASSERT_EQ(0, E().pfnOpenDictionary(d.c_str(), nullptr, ""));
    EXPECT_EQ(1, E().pfnCheckWord("gamma"));
    EXPECT_EQ(0, E().pfnCheckWord("beta"));
}

TEST_F(EngineTest, WithoutItsWordListNoDictionaryIsOpen)
{
    ASSERT_EQ(0, Open("alpha\n"));
    std::string missing = m_temp.GetPath() + "missing.d";
    EXPECT_EQ(-1, E().pfnOpenDictionary(missing.c_str(), nullptr, nullptr));
    EXPECT_EQ(-1, E().pfnOpenDictionary(nullptr, nullptr, nullptr));
    EXPECT_EQ(-1, E().pfnOpenDictionary(m_temp.GetPath().c_str(), nullptr, nullptr));  // a folder
    EXPECT_EQ(-1, E().pfnCheckWord("alpha"));
    EXPECT_EQ(-1, E().pfnAddWord("alpha"));
    EXPECT_EQ(Findings(), FindAll(E(), "alpha beta"));
}

TEST_F(EngineTest, InitializeWithoutShutdownStartsAfresh)
{
    ASSERT_EQ(0, Open("alpha\n"));
    ASSERT_EQ(0, E().pfnCheckWord("alpah"));
    ASSERT_GT(E().pfnGetSuggestionCount(), 0);
    E().pfnInitialize();
    EXPECT_EQ(-1, E().pfnCheckWord("alpha"));
    EXPECT_EQ(0, E().pfnGetSuggestionCount());
    ASSERT_EQ(0, Open("beta\n"));
    EXPECT_EQ(1, E().pfnCheckWord("beta"));
    E().pfnShutdown();
    EXPECT_EQ(-1, E().pfnCheckWord("beta"));
}

TEST_F(EngineTest, CloseAddAndRemoveWords)
{
    ASSERT_EQ(0, Open("alpha\n"));
    EXPECT_EQ(0, E().pfnAddWord("zork"));
    EXPECT_EQ(1, E().pfnCheckWord("zork"));
    EXPECT_EQ(1, E().pfnCheckWord("Zork"));
    EXPECT_EQ(0, E().pfnRemoveWord("zork"));
    EXPECT_EQ(0, E().pfnCheckWord("zork"));
    EXPECT_EQ(-1, E().pfnRemoveWord("zork"));
    EXPECT_EQ(-1, E().pfnAddWord(""));
    EXPECT_EQ(-1, E().pfnAddWord(nullptr));
    EXPECT_EQ(0, E().pfnRemoveWord("alpha"));
    EXPECT_EQ((Findings{{0, "alpha"}}), FindAll(E(), "alpha"));
    EXPECT_EQ(0, E().pfnCloseDictionary());
    EXPECT_EQ(-1, E().pfnCheckWord("alpha"));
    EXPECT_EQ(100, E().pfnGetVersion());
}

// Added words go to the user word list beside the word list ("words.d" has
// "words.usr") and are known again whenever the dictionary is opened.
TEST_F(EngineTest, AddedWordsAreKeptBetweenRuns)
{
    ASSERT_EQ(0, Open("alpha\n"));
    EXPECT_EQ(0, E().pfnAddWord("zork"));
    EXPECT_EQ(0, E().pfnAddWord("Quillcrest"));
    EXPECT_EQ(0, E().pfnAddWord("zork"));   // once only
    EXPECT_EQ(0, E().pfnAddWord("alpha"));  // the dictionary has it already
    EXPECT_EQ("zork\nQuillcrest\n", m_temp.Read("words.usr"));
    // Words that would break the list's lines are refused.
    EXPECT_EQ(-1, E().pfnAddWord("two\nlines"));
    EXPECT_EQ(-1, E().pfnAddWord("cr\r"));

    // A new run: shut down, started again, the dictionary opened again.
    E().pfnShutdown();
    E().pfnInitialize();
    ASSERT_EQ(0, Open("alpha\n"));
    EXPECT_EQ((Findings{{15, "zorq"}}), FindAll(E(), "zork ZORK Zork zorq Quillcrest."));
    // Suggestions come from the user's words too.
    EXPECT_EQ(Words{"zork"}, SuggestionsFor("zorq"));

    // A removed user word leaves the list for good.
    EXPECT_EQ(0, E().pfnRemoveWord("zork"));
    EXPECT_EQ("Quillcrest\n", m_temp.Read("words.usr"));
    ASSERT_EQ(0, Open("alpha\n"));
    EXPECT_EQ((Findings{{0, "zork"}}), FindAll(E(), "zork Quillcrest"));

    // Another word list has a list of its own.
    std::string other = m_temp.Write("other.dic", "beta\n");
    ASSERT_EQ(0, E().pfnOpenDictionary(other.c_str(), "", ""));
    EXPECT_EQ((Findings{{0, "Quillcrest"}}), FindAll(E(), "Quillcrest"));
    EXPECT_EQ(0, E().pfnAddWord("gamma"));
    EXPECT_EQ("gamma\n", m_temp.Read("other.usr"));
}

TEST_F(EngineTest, AWordThatCannotBeKeptIsKnownForThisRunOnly)
{
    // A folder where the user word list would be.
    ASSERT_TRUE(CreateDirectoryA((m_temp.GetPath() + "words.usr").c_str(), nullptr));
    ASSERT_EQ(0, Open("alpha\n"));
    EXPECT_EQ(-1, E().pfnAddWord("zork"));
    EXPECT_EQ(1, E().pfnCheckWord("zork"));
    ASSERT_EQ(0, Open("alpha\n"));
    EXPECT_EQ(0, E().pfnCheckWord("zork"));
    RemoveDirectoryA((m_temp.GetPath() + "words.usr").c_str());
}

TEST_F(EngineTest, SuggestionsAreTheNearestWordsInOrder)
{
    ASSERT_EQ(0, Open("bad\nbed\nbid\nbud\nBud\nbd\nbead\nbread\nabode\nbxd\n"));
    ASSERT_EQ(0, E().pfnRemoveWord("bxd"));
    // Distance 1 (a transposition counts as one edit), alphabetically
    // without regard to case when no slip is likelier than another.
    EXPECT_EQ((Words{"bad", "bd", "bed", "bid", "Bud", "bud"}), SuggestionsFor("bxd"));
    // Swapped letters first.
    EXPECT_EQ((Words{"bed", "bd"}), SuggestionsFor("ebd"));
    // A left-out letter before a changed or an extra one.
    EXPECT_EQ((Words{"bread", "bad", "bead"}), SuggestionsFor("brad"));
    // None at distance 1: those at distance 2.
    EXPECT_EQ((Words{"bad", "bd", "bead", "bed", "bid", "Bud", "bud"}), SuggestionsFor("bxxd"));
    // Nothing within 2.
    EXPECT_EQ(Words(), SuggestionsFor("xylophone"));
}

TEST_F(EngineTest, CommonWordsComeFirst)
{
    const char* words = "which\nwith\nwitch\nwinch\nwish\nwick\nrich\n";
    // Without a list of common words: left-out letters, then the rest, each
    // alphabetically.
    ASSERT_EQ(0, Open(words));
    EXPECT_EQ((Words{"which", "winch", "witch", "rich", "wick", "wish", "with"}), SuggestionsFor("wich"));
    // With one (over two lines): the common words move up, a likelier slip
    // still counts.
    ASSERT_EQ(0, Open(words, "COMMON=with  rich\nCOMMON=\twhich\r\n"));
    EXPECT_EQ((Words{"which", "with", "rich", "winch", "witch", "wick", "wish"}), SuggestionsFor("wich"));
    EXPECT_EQ((Words{"With", "Wish"}), SuggestionsFor("Wizh"));
}

TEST_F(EngineTest, SuggestionsTakeTheWordsCapitalisation)
{
    ASSERT_EQ(0, Open("the\nten\nTed\npolish\nPolish\n"));
    EXPECT_EQ((Words{"the", "Ted", "ten"}), SuggestionsFor("teh"));
    EXPECT_EQ((Words{"The", "Ted", "Ten"}), SuggestionsFor("Teh"));
    EXPECT_EQ((Words{"THE", "TED", "TEN"}), SuggestionsFor("TEH"));
    // Both dictionary words look the same in capitals; listed once.
    EXPECT_EQ((Words{"POLISH"}), SuggestionsFor("POLISJ"));
    // A word that is only wrongly cased comes first, as written.
    EXPECT_EQ((Words{"Ted", "ten"}), SuggestionsFor("ted"));
}

TEST_F(EngineTest, AtMostTenSuggestions)
{
    std::string words;
    for (char c = 'a'; c <= 'p'; ++c)
        words += std::string("m") + c + "t\n";
    ASSERT_EQ(0, Open(words));
    Words expected;
    for (char c = 'a'; c <= 'j'; ++c)
        expected.push_back(std::string("m") + c + "t");
    EXPECT_EQ(expected, SuggestionsFor("mzt"));
}

TEST_F(EngineTest, SuggestionsAreCutToTheBuffer)
{
    ASSERT_EQ(0, Open("alphabet\n"));
    ASSERT_EQ((Findings{{0, "alphabetx"}}), FindAll(E(), "alphabetx"));
    ASSERT_EQ(1, E().pfnGetSuggestionCount());
    char buffer[16];
    memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(0, E().pfnGetSuggestion(0, 6, buffer));
    EXPECT_EQ(0, memcmp("alpha\0###", buffer, 9));
    memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(-1, E().pfnGetSuggestion(1, sizeof(buffer), buffer));
    EXPECT_EQ(-1, E().pfnGetSuggestion(-1, sizeof(buffer), buffer));
    EXPECT_EQ(-1, E().pfnGetSuggestion(0, 0, buffer));
    EXPECT_EQ(-1, E().pfnGetSuggestion(0, sizeof(buffer), nullptr));
    EXPECT_EQ(std::string(16, '#'), std::string(buffer, 16));
}

// The English dictionary built from the system word list beside the program.
class EnglishTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string folder = CTempFolder::ProgramFolder() + "Dictionaries\\English\\";
        std::string d = folder + "English.dic";
        std::string l = folder + "English.set";
        ASSERT_EQ(0, E().pfnOpenDictionary(d.c_str(), l.c_str(), "")) << "no English dictionary at " << d;
    }

    const EngineFunctionTable& E() const { return m_engine.Table(); }

    CEngineLibrary m_engine;
};

TEST_F(EnglishTest, FindsTheMisspellingsOfRealText)
{
    const std::string text =
        "I recieve teh mesage tommorow, but it's definately\r\n"
        "too late: the comittee has already left for London.";
    EXPECT_EQ((Findings{{2, "recieve"}, {10, "teh"}, {14, "mesage"}, {21, "tommorow"}, {40, "definately"},
                        {66, "comittee"}}),
              FindAll(E(), text));
}

TEST_F(EnglishTest, SuggestsTheIntendedWords)
{
    struct
    {
        const char* wrong;
        Words expected;
    } mistakes[] = {{"recieve", {"receive", "relieve"}},
                    {"mesage", {"message", "menage"}},
                    {"tommorow", {"tomorrow"}},  // nothing at distance 1
                    {"definately", {"definitely"}},
                    {"Wendesday", {"Wednesday"}},
                    {"Thier", {"Their", "Thief", "Thieu", "Tier"}},
                    {"BEACUSE", {"BECAUSE"}},
                    {"jumpd", {"jumped", "jump", "jumps", "jumpy"}}};
    for (const auto& mistake : mistakes)
    {
        int position = 0;
        ASSERT_GT(E().pfnFindMisspelling(mistake.wrong, &position, nullptr, nullptr), 0) << mistake.wrong;
        EXPECT_EQ(mistake.expected, m_engine.Suggestions()) << mistake.wrong;
    }
}

// The usual typing slips: the word meant is offered first.
TEST_F(EnglishTest, TheObviousCorrectionComesFirst)
{
    struct
    {
        const char* wrong;
        const char* meant;
    } slips[] = {{"teh", "the"},         {"Teh", "The"},       {"recieve", "receive"}, {"adress", "address"},
                 {"wich", "which"},      {"thier", "their"},   {"becuase", "because"}, {"wiht", "with"},
                 {"freind", "friend"},   {"beleive", "believe"}, {"tihs", "this"},     {"woudl", "would"},
                 {"goverment", "government"}, {"abotu", "about"}};
    for (const auto& slip : slips)
    {
        int position = 0;
        ASSERT_GT(E().pfnFindMisspelling(slip.wrong, &position, nullptr, nullptr), 0) << slip.wrong;
        Words suggestions = m_engine.Suggestions();
        ASSERT_FALSE(suggestions.empty()) << slip.wrong;
        EXPECT_EQ(slip.meant, suggestions[0]) << slip.wrong;
    }
    // Ten at most, the rest of distance 1 after the likeliest.
    int position = 0;
    ASSERT_EQ(3, E().pfnFindMisspelling("teh", &position, nullptr, nullptr));
    Words suggestions = m_engine.Suggestions();
    EXPECT_EQ(10u, suggestions.size());
    EXPECT_EQ("the", suggestions[0]);
}

TEST_F(EnglishTest, CapitalisedAndCapitalWordsAreKnown)
{
    EXPECT_EQ(Findings(), FindAll(E(), "Hello WORLD. The QUICK brown fox; LONDON and London, NASA."));
    EXPECT_EQ((Findings{{0, "london"}, {7, "hELLO"}}), FindAll(E(), "london hELLO"));
    int position = 0;
    ASSERT_EQ(6, E().pfnFindMisspelling("london", &position, nullptr, nullptr));
    Words suggestions = m_engine.Suggestions();
    ASSERT_FALSE(suggestions.empty());
    EXPECT_EQ("London", suggestions[0]);
}

TEST_F(EnglishTest, ALongNoteWithTheIgnoreList)
{
    std::string text;
    Findings expected;
    for (int i = 0; i < 60; ++i)
    {
        text += "The quick brown fox jumps over the lazy dog. ";
        if (i % 20 == 19)
        {
            expected.emplace_back(static_cast<int>(text.size()) + 4, "jumpd");
            text += "The jumpd fox recieved nothing. ";
        }
    }
    ASSERT_GT(text.size(), 2500u);
    IgnoreList list;
    list.ignored = {"recieved"};
    EXPECT_EQ(expected, FindAll(E(), text, IgnoreListed, &list));
    EXPECT_EQ((Words{"jumpd", "recieved", "jumpd", "recieved", "jumpd", "recieved"}), list.asked);
}
}  // namespace
