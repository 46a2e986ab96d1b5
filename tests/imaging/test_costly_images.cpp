// Small files that made the system's drawing or a library allocate
// gigabytes or run for seconds: each is decoded in a process of its own
// (qlcimagecost), which reports the decoder's outcome and the most address
// space the process ever held. Each must be refused before it costs
// anything, or decoded, at no more than its image needs: its peak may pass
// that of a small sound picture of its kind only by a bounded margin. No
// clock is read: a decode that ran too long shows in its outcome, against a
// time limit far beyond what a sound picture needs on a busy machine.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <png.h>

#include "TestFormats.h"
#include "imaging/PLAnyBmp.h"
#include "imaging/PLAnyPicDecoder.h"
#include "imaging/PLWinBmp.h"

using namespace testimg;

namespace
{
// What a costly file may take beyond the sound picture of its kind.
const unsigned long long kMarginBytes = 64ull << 20;
// Renderings stay small: the cost of a metafile is then its records.
const long long kMaxBitmapBytes = 16ll << 20;
// The time a playback may take (milliseconds).
const unsigned kPlaybackLimit = 30000;

struct Cost
{
    int code = -1;
    std::string text;
    unsigned long long peak = 0;
    bool ran = false;
};

std::string Folder()
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "qlccostly-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\";
}

std::string HelperPath()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1) + "qlcimagecost.exe";
}

// Writes the file under the name given (its extension tells its kind) and
// decodes it in a process of its own.
Cost Measure(const Bytes& data, const std::string& name)
{
    Cost cost;
    const std::string folder = Folder();
    const std::string file = folder + name;
    const std::string result = folder + name + ".result";
    FILE* f = std::fopen(file.c_str(), "wb");
    if (!f)
        return cost;
    std::fwrite(data.data(), 1, data.size(), f);
    std::fclose(f);
    DeleteFileA(result.c_str());

    const std::string helper = HelperPath();
    std::string command = "\"" + helper + "\" \"" + file + "\" \"" + result + "\" --max-bytes " +
                          std::to_string(kMaxBitmapBytes) + " --limit " + std::to_string(kPlaybackLimit);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child = {};
    if (!CreateProcessA(helper.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child))
    {
        ADD_FAILURE() << "cannot start " << helper;
        return cost;
    }
    // A deadline for the helper only, so that a hang fails instead of
    // stopping the run; the outcome is what counts.
    const bool ended = WaitForSingleObject(child.hProcess, 300000) == WAIT_OBJECT_0;
    if (!ended)
        TerminateProcess(child.hProcess, 99);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    EXPECT_TRUE(ended) << name << ": the decoding process did not end within 300 s";

    std::ifstream in(result.c_str());
    std::string line;
    while (std::getline(in, line))
    {
        std::istringstream words(line);
        std::string key;
        words >> key;
        if (key == "code")
            words >> cost.code;
        else if (key == "peak")
            words >> cost.peak;
        else if (key == "text")
            std::getline(words, cost.text);
    }
    cost.ran = cost.peak != 0;
    in.close();
    DeleteFileA(file.c_str());
    DeleteFileA(result.c_str());
    RemoveDirectoryA(folder.c_str());
    return cost;
}

// Refused, or decoded, and never abandoned at the time limit; at most the
// margin above the sound picture's peak.
void ExpectBounded(const Cost& cost, const Cost& sound, const std::string& what)
{
    ASSERT_TRUE(cost.ran) << what << ": no result";
    ASSERT_TRUE(sound.ran) << what << ": no result for the sound picture";
    EXPECT_EQ(std::string::npos, cost.text.find("took too long")) << what << ":" << cost.text;
    EXPECT_LT(cost.peak, sound.peak + kMarginBytes)
        << what << ": " << (cost.peak - sound.peak) / (1 << 20) << " MB above the sound picture (code " << cost.code
        << cost.text << ")";
}

// --- metafiles ---------------------------------------------------------------------

// An enhanced metafile padded with a comment record to the given size.
Bytes PaddedTo(EmfBuilder& e, size_t size)
{
    const size_t end = 20;  // the end record
    Bytes probe = e.Finish(false);
    if (probe.size() + end + 12 <= size)
    {
        Bytes comment;
        PutLE32(comment, uint32_t(size - probe.size() - end - 12));
        comment.resize(size - probe.size() - end - 8, 0);
        e.AddBody(70, comment);
    }
    return e.Finish();
}

Bytes SoundEnhanced()
{
    EmfBuilder e(2);
    e.Add(39, {1, 0, 0x000000FF, 0}).Add(37, {1}).Add(42, {2, 2, 60, 60});
    return e.Finish();
}
} // namespace

TEST(CostlyImages, APaletteResizedToBillionsOfEntries)
{
    // 444 bytes: a palette made, then resized to 0xE1F261E0 entries.
    EmfBuilder e(2);
    e.Add(49, {1, 0x300 | (2u << 16), 0x000000FF, 0x0000FF00});
    e.Add(48, {1});
    e.Add(51, {1, 0xE1F261E0u});
    e.Add(42, {2, 2, 60, 60});
    const Bytes emf = PaddedTo(e, 444);
    ASSERT_EQ(444u, emf.size());
    const Cost sound = Measure(SoundEnhanced(), "sound.emf");
    const Cost cost = Measure(emf, "palette.emf");
    ExpectBounded(cost, sound, "palette resize");
    EXPECT_EQ(2, cost.code) << cost.text;
}

// The records fuzzing found: shapes, lines drawn with pens, letters,
// transforms, polygons and texts that the system's drawing spends seconds
// and gigabytes on.
TEST(CostlyImages, ShapesPensLettersAndTransformsOfHugeSizes)
{
    const uint32_t big = 1u << 20, bigger = 1u << 24;
    auto minus = [](uint32_t v) { return uint32_t(-int32_t(v)); };
    auto pen = [](EmfBuilder& e, uint32_t width) { e.Add(38, {1, 0, width, 0, 0x000000FF}).Add(37, {1}); };
    const uint32_t scale1000 = 0x447A0000u;  // 1000.0f
    std::map<std::string, Bytes> files;
    {
        EmfBuilder e(2);
        e.Add(42, {minus(big), minus(big), big, big});
        files["ellipse.emf"] = e.Finish();
    }
    {
        EmfBuilder e(2);
        e.Add(44, {minus(bigger), minus(bigger), bigger, bigger, bigger, bigger});
        files["rounded rectangle.emf"] = e.Finish();
    }
    {
        EmfBuilder e(2);
        pen(e, big);
        e.Add(27, {10, 10}).Add(54, {50, 50});
        files["wide pen line.emf"] = e.Finish();
    }
    {
        EmfBuilder e(2);
        pen(e, big);
        e.Add(43, {10, 10, 50, 50});
        files["wide pen rectangle.emf"] = e.Finish();
    }
    {
        EmfBuilder e(2);
        pen(e, bigger);
        e.Add(42, {10, 10, 50, 50});
        files["wide pen ellipse.emf"] = e.Finish();
    }
    {
        EmfBuilder e(2);
        pen(e, bigger);
        e.Add(59, {}).Add(27, {10, 10}).Add(54, {50, 50}).Add(60, {}).Add(66, {}).Add(62, {0, 0, 0, 0});
        files["path widened.emf"] = e.Finish();
    }
    {
        EmfBuilder e(2);
        e.AddBody(82, EmfFont(1, -20000)).Add(37, {1}).AddBody(84, EmfText(10, 10, "Note"));
        files["huge letters.emf"] = e.Finish();
    }
    {
        EmfBuilder e(2);
        e.AddBody(82, EmfFont(1, -20000, 450)).Add(37, {1}).AddBody(84, EmfText(10, 10, "Note"));
        files["huge turned letters.emf"] = e.Finish();
    }
    {
        EmfBuilder e(2);
        e.Add(35, {scale1000, 0, 0, scale1000, 0, 0});
        e.AddBody(82, EmfFont(1, -12)).Add(37, {1}).AddBody(84, EmfText(0, 0, "Note"));
        files["letters scaled.emf"] = e.Finish();
    }
    {
        EmfBuilder e(2);
        e.Add(35, {scale1000, 0, 0, scale1000, 0, 0}).Add(42, {0, 0, 100000, 100000});
        files["ellipse scaled.emf"] = e.Finish();
    }
    {
        EmfBuilder e(2);
        e.Add(35, {scale1000, 0, 0, scale1000, 0, 0});
        pen(e, 100);
        e.Add(27, {0, 0}).Add(54, {0, 20});
        files["pen scaled.emf"] = e.Finish();
    }

    {
        // Back and forth across the picture, 100,000 times.
        Bytes body;
        for (uint32_t w : {0u, 0u, 60u, 60u, 100000u})
            PutLE32(body, w);
        for (uint32_t i = 0; i < 100000; ++i)
        {
            PutLE32(body, i * 7 % 60);
            PutLE32(body, i * 13 % 60);
        }
        EmfBuilder e(2);
        e.Add(39, {1, 0, 0x000000FF, 0}).Add(37, {1}).AddBody(3, body);
        files["polygon of many points.emf"] = e.Finish();
    }
    {
        EmfBuilder e(2);
        e.AddBody(84, EmfText(0, 10, std::string(100000, 'x')));
        files["text of many characters.emf"] = e.Finish();
    }

    const Cost sound = Measure(SoundEnhanced(), "sound.emf");
    ASSERT_EQ(0, sound.code) << sound.text;
    for (const auto& file : files)
    {
        const Cost cost = Measure(file.second, file.first);
        ExpectBounded(cost, sound, file.first);
        // The records are left out: the picture decodes.
        EXPECT_EQ(0, cost.code) << file.first << ":" << cost.text;
    }
}

// --- PNG ------------------------------------------------------------------------------

TEST(CostlyImages, APngWhoseTextChunkDeclaresGigabytes)
{
    const Bytes sound = MakePng(1, 1, PNG_COLOR_TYPE_RGB, 8, [](int, int, int c) { return unsigned(40 * c); });
    // The signature and the header, then a text chunk of 1.97 GB that the
    // file ends in: 245 bytes.
    Bytes png(sound.begin(), sound.begin() + 8 + 25);
    PutBE32(png, 0x756B5B00u);
    for (char c : std::string("tEXt"))
        png.push_back(uint8_t(c));
    for (char c : std::string("Comment"))
        png.push_back(uint8_t(c));
    png.push_back(0);
    while (png.size() < 245)
        png.push_back(uint8_t('x'));
    ASSERT_EQ(245u, png.size());

    const Cost soundCost = Measure(sound, "sound.png");
    ASSERT_EQ(0, soundCost.code) << soundCost.text;
    const Cost cost = Measure(png, "text.png");
    ExpectBounded(cost, soundCost, "text chunk");
    EXPECT_NE(0, cost.code);
}
