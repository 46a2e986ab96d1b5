#pragma once

#include <cstdint>

#include "imaging/PLPicDecoder.h"

// What the portable greymap and pixmap decoders share: the header grammar
// ("P", a digit, then width, height and maximum sample value separated by
// white space and "#" comments) and text numbers. Samples are one byte, or
// two bytes big-endian when the maximum is above 255; they are scaled to
// 0..255 and values above the maximum become 255.
class PLPNMDecoder : public PLPicDecoder
{
public:
    PLPNMDecoder();
    ~PLPNMDecoder() override;

    struct Header
    {
        bool text = false;   // samples as decimal numbers
        int width = 0;
        int height = 0;
        int maxValue = 0;
    };

protected:
    void ResetState() override;

    // Reads the header; the identifier's digit must be textDigit (text
    // samples) or binaryDigit, else code 2 with the given message.
    void ReadHeader(PLDataSource* source, Header& header, char textDigit, char binaryDigit,
                    const char* wrongIdentifier);

    // Refuses, before the bitmap of the given depth is made, a size it could
    // not hold and data too short for the samples: binary samples have a
    // fixed size, text ones take a digit and a separator at least.
    void CheckData(PLDataSource* source, const Header& header, int samplesPerPixel, int bpp) const;

    // One text sample, already scaled; a character that cannot start one is
    // damage (code 2).
    uint8_t ReadTextSample(PLDataSource* source, int maxValue);
    // Sample i of a binary line.
    static uint8_t BinarySample(const uint8_t* line, int64_t i, int maxValue);
    static int BytesPerSample(int maxValue) { return maxValue > 255 ? 2 : 1; }
    static uint8_t Scale(int64_t value, int maxValue);
    // Bytes of a binary line of width x samplesPerPixel samples (code 10
    // when a line would not fit in memory).
    static int BinaryLineBytes(const Header& header, int samplesPerPixel);

private:
    void NextChar(PLDataSource* source);
    void SkipWhiteSpace(PLDataSource* source, bool comments);
    int64_t ReadNumber(PLDataSource* source);

    int m_CurrentChar;  // the character read and not yet interpreted; -1 at the end
};
