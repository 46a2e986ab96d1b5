#pragma once

#include <cstdint>

#include "imaging/PLPicDecoder.h"
#include "imaging/PLPixel32.h"
#include "imaging/PLPoint.h"

class PLJPEGDecoder;

// Macintosh PICT pictures, versions 1 and 2, as raster images: the opcode
// stream is walked, drawing opcodes are skipped and the first bitmap, pixmap
// or direct-bits record is decoded; embedded JPEG data goes to the JPEG
// decoder. All numbers in the file are big-endian.
class PLPictDecoder : public PLPicDecoder
{
public:
    // The JPEG decoder is not owned; without one, pictures holding JPEG data
    // raise code 6.
    explicit PLPictDecoder(PLJPEGDecoder* jpegDecoder = nullptr);
    ~PLPictDecoder() override;

    struct Rect
    {
        int top = 0, left = 0, bottom = 0, right = 0;
    };

    struct PixMap
    {
        int rowBytes = 0;  // the record's value, flags included
        Rect bounds;
        int version = 0;
        int packType = 0;
        uint32_t packSize = 0;
        uint32_t hRes = 0, vRes = 0;
        int pixelType = 0;
        int pixelSize = 0;
        int cmpCount = 0;
        int cmpSize = 0;
        uint32_t planeBytes = 0, pmTable = 0, pmReserved = 0;
    };

protected:
    void DecodeBody(PLDataSource* source, PLBmp* bmp) override;
    void ResetState() override;

private:
    void ReadVersion(PLDataSource* source);
    uint16_t ReadOpcode(PLDataSource* source);
    // Handles one opcode; true when the picture has been decoded.
    bool HandleOpcode(PLDataSource* source, PLBmp* bmp, uint16_t opcode);
    void ReadHeaderOpcode(PLDataSource* source);
    void SkipPixPat(PLDataSource* source);
    void ReadBitmapRecord(PLDataSource* source, PLBmp* bmp, bool region, bool packed);
    void ReadDirectBits(PLDataSource* source, PLBmp* bmp);
    void ReadJpeg(PLDataSource* source, PLBmp* bmp);

    static Rect ReadRect(PLDataSource* source);
    static void ReadPixMapHeader(PLDataSource* source, PixMap& pm);
    static void ReadColourTable(PLDataSource* source, PLPixel32* palette);
    static void SkipRegion(PLDataSource* source);
    static void SkipSized(PLDataSource* source, int size);
    static void CheckPackType(const PixMap& pm);
    static void SkipRows(PLDataSource* source, int rowBytes, int rows);
    // Unpacks the rows of a pixmap (or a 1-bit bitmap) into the bitmap.
    static void UnpackRows(PLDataSource* source, PLBmp* bmp, const PixMap& pm, int rowBytes, bool packed);

    PLJPEGDecoder* m_pJPEGDecoder;
    int m_Version;
    int m_Base;           // source position of the file's first byte
    PLPoint m_Resolution;
};
