#include "imaging/PLPNMDecoder.h"

#include <climits>
#include <string>

#include "imaging/PLBmp.h"
#include "imaging/PLDataSource.h"
#include "imaging/PLTextException.h"

namespace
{
const int kEnd = -1;

bool IsWhite(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(int c)
{
    return c >= '0' && c <= '9';
}

// Numbers stop growing here: a width of many digits must not overflow.
const int64_t kNumberCap = INT_MAX;
} // namespace

PLPNMDecoder::PLPNMDecoder() : m_CurrentChar(kEnd)
{
}

PLPNMDecoder::~PLPNMDecoder() = default;

void PLPNMDecoder::ResetState()
{
    m_CurrentChar = kEnd;
}

void PLPNMDecoder::NextChar(PLDataSource* source)
{
    // The last number of a file may end with the file itself.
    m_CurrentChar = source->GetBytesLeft() > 0 ? *source->ReadBytes(1) : kEnd;
}

void PLPNMDecoder::SkipWhiteSpace(PLDataSource* source, bool comments)
{
    for (;;)
    {
        if (IsWhite(m_CurrentChar))
        {
            NextChar(source);
        }
        else if (comments && m_CurrentChar == '#')
        {
            while (m_CurrentChar != '\n' && m_CurrentChar != '\r' && m_CurrentChar != kEnd)
                NextChar(source);
        }
        else
        {
            return;
        }
    }
}

int64_t PLPNMDecoder::ReadNumber(PLDataSource* source)
{
    int64_t value = 0;
    while (IsDigit(m_CurrentChar))
    {
        value = value * 10 + (m_CurrentChar - '0');
        if (value > kNumberCap)
            value = kNumberCap;
        NextChar(source);
    }
    return value;
}

void PLPNMDecoder::ReadHeader(PLDataSource* source, Header& h, char textDigit, char binaryDigit,
                              const char* wrongIdentifier)
{
    const uint8_t* id = source->ReadBytes(2);
    if (id[0] != 'P' || (id[1] != textDigit && id[1] != binaryDigit))
        ThrowError(PL_ERR_FORMAT, wrongIdentifier);
    h.text = id[1] == textDigit;

    int64_t numbers[3];
    NextChar(source);
    for (int64_t& n : numbers)
    {
        SkipWhiteSpace(source, true);
        if (m_CurrentChar == kEnd)
            throw PLTextException(PL_ERR_END_OF_DATA, "End of file reached while decoding.\n");
        if (!IsDigit(m_CurrentChar))
            ThrowError(PL_ERR_FORMAT, "Unexpected character in the portable bitmap header.");
        n = ReadNumber(source);
    }
    h.width = int(numbers[0]);
    h.height = int(numbers[1]);
    h.maxValue = numbers[2] < 1 ? 255 : int(numbers[2]);

    // Binary samples start right after the character that ended the maximum;
    // text samples after the white space that follows it.
    if (h.text)
        SkipWhiteSpace(source, false);
}

uint8_t PLPNMDecoder::Scale(int64_t value, int maxValue)
{
    if (value >= maxValue)
        return 255;
    return uint8_t(value * 255 / maxValue);
}

uint8_t PLPNMDecoder::BinarySample(const uint8_t* line, int64_t i, int maxValue)
{
    if (maxValue > 255)
        return Scale((int64_t(line[2 * i]) << 8) | line[2 * i + 1], maxValue);
    return Scale(line[i], maxValue);
}

int PLPNMDecoder::BinaryLineBytes(const Header& h, int samplesPerPixel)
{
    const int64_t bytes = int64_t(h.width) * samplesPerPixel * BytesPerSample(h.maxValue);
    if (bytes > INT_MAX)
        ThrowError(PL_ERR_NO_MEMORY, "Image lines are too long.");
    return int(bytes);
}

void PLPNMDecoder::CheckData(PLDataSource* source, const Header& h, int samplesPerPixel, int bpp) const
{
    PLBmp::CheckDimensions(h.width, h.height, bpp);
    const int64_t samples = int64_t(h.width) * h.height * samplesPerPixel;
    if (!h.text)
    {
        RequireData(source, samples * BytesPerSample(h.maxValue));
        return;
    }
    // The first character of the samples has been read already.
    const int64_t held = m_CurrentChar == kEnd ? 0 : 1;
    RequireData(source, 2 * samples - 1 - held);
}

uint8_t PLPNMDecoder::ReadTextSample(PLDataSource* source, int maxValue)
{
    SkipWhiteSpace(source, false);
    if (m_CurrentChar == kEnd)
        throw PLTextException(PL_ERR_END_OF_DATA, "End of file reached while decoding.\n");
    // Anything else would end the samples: every one still to come would be 0.
    if (!IsDigit(m_CurrentChar))
        ThrowError(PL_ERR_FORMAT, "Unexpected character in the portable bitmap samples.");
    return Scale(ReadNumber(source), maxValue);
}
