#pragma once

#include <cstdint>
#include <vector>

#include "imaging/PLPicDecoder.h"
#include "imaging/PLPixel32.h"
#include "imaging/PLPoint.h"

// Photoshop files (version 1, 8 bits per channel): greyscale, indexed and
// RGB images with run-length encoded channels. The merged image at the end
// of the file is decoded; layers can also be read one by one.
class PLPSDDecoder : public PLPicDecoder
{
public:
    PLPSDDecoder();
    ~PLPSDDecoder() override;

    // Layer-by-layer reading over a source the caller keeps open: the layer
    // count, then each layer's offset and pixels in file order, and at any
    // point the merged image.
    int OpenLayers(PLDataSource* source);
    PLPoint GetNextLayerOffset() const;
    void ReadNextLayer(PLBmp* bmp);
    void ReadMergedImage(PLDataSource* source, PLBmp* bmp);

    PLPoint GetResolution() const { return m_Resolution; }

    struct FileHeader
    {
        int version = 0;
        int channels = 0;
        int height = 0;
        int width = 0;
        int depth = 0;
        int mode = 0;
    };

    struct LayerChannel
    {
        int id = 0;
        const uint8_t* data = nullptr;  // inside the source's data
        int length = 0;
    };

    struct Layer
    {
        int top = 0, left = 0, bottom = 0, right = 0;
        std::vector<LayerChannel> channels;
    };

protected:
    void DecodeBody(PLDataSource* source, PLBmp* bmp) override;
    void ResetState() override;

private:
    void ReadHeader(PLDataSource* source);
    void ReadColourModeData(PLDataSource* source);
    void ReadImageResources(PLDataSource* source);
    void ReadLayerHeaders(PLDataSource* source);
    // Refuses a colour mode or channel count no bitmap is made for.
    void CheckMode(int channels) const;
    void CreateBitmap(PLBmp* bmp, int width, int height, int channels);
    static void CheckCompression(int compression);
    // The compression code and the packed row lengths of channels x height
    // rows, refused unless every packed row they count is there: all this
    // comes before the bitmap is made.
    static const uint8_t* ReadRowTable(PLDataSource* source, int channels, int height);
    void PlaceRow(PLBmp* bmp, int channel, int y, const uint8_t* row) const;

    FileHeader m_Header;
    PLPixel32 m_Palette[256];
    PLPoint m_Resolution;
    bool m_bLayerSection;          // the layer and mask section has a length
    std::vector<Layer> m_Layers;
    size_t m_NextLayer;
};
