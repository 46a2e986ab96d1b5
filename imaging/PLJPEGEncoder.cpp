#include "imaging/PLJPEGEncoder.h"

#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

#include "imaging/PLBmp.h"
#include "imaging/PLDataSink.h"
#include "imaging/PLTextException.h"

namespace
{
const size_t kBlockBytes = 8192;

// Destination manager: output leaves the library in 8192-byte blocks.
struct PLJPEGSinkDestination
{
    jpeg_destination_mgr pub;
    PLDataSink* sink;
    JOCTET* buffer;
};

void OnJPEGError(j_common_ptr cinfo)
{
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    PLPicEncoder::ThrowError(PL_ERR_UNSUPPORTED, text);
}

void OnJPEGMessage(j_common_ptr)
{
}

void PLJPEGInitDestination(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<PLJPEGSinkDestination*>(cinfo->dest);
    dest->buffer = static_cast<JOCTET*>(
        (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, kBlockBytes));
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kBlockBytes;
}

// A sink that is full raises code 11 through the library.
boolean PLJPEGEmptyOutputBuffer(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<PLJPEGSinkDestination*>(cinfo->dest);
    dest->sink->WriteBytes(int(kBlockBytes), dest->buffer);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kBlockBytes;
    return TRUE;
}

void PLJPEGTermDestination(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<PLJPEGSinkDestination*>(cinfo->dest);
    const size_t held = kBlockBytes - dest->pub.free_in_buffer;
    if (held)
        dest->sink->WriteBytes(int(held), dest->buffer);
}

unsigned Density(int dpi)
{
    return dpi < 0 ? 0 : (dpi > 65535 ? 65535 : unsigned(dpi));
}
} // namespace

struct PLJPEGEncoder::State
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    PLJPEGSinkDestination* pDest = nullptr;  // from the library's permanent pool
};

PLJPEGEncoder::PLJPEGEncoder()
    : m_pState(new State), m_Quality(0), m_bOptimizeCoding(false), m_SmoothingFactor(0), m_DensityX(0), m_DensityY(0)
{
    State& s = *m_pState;
    s.cinfo.err = jpeg_std_error(&s.jerr);
    s.jerr.error_exit = OnJPEGError;
    s.jerr.output_message = OnJPEGMessage;
    jpeg_create_compress(&s.cinfo);

    s.pDest = static_cast<PLJPEGSinkDestination*>((*s.cinfo.mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(&s.cinfo), JPOOL_PERMANENT, sizeof(PLJPEGSinkDestination)));
    s.pDest->pub.init_destination = PLJPEGInitDestination;
    s.pDest->pub.empty_output_buffer = PLJPEGEmptyOutputBuffer;
    s.pDest->pub.term_destination = PLJPEGTermDestination;
    s.pDest->sink = nullptr;
    s.pDest->buffer = nullptr;
}

PLJPEGEncoder::~PLJPEGEncoder()
{
    jpeg_destroy_compress(&m_pState->cinfo);
}

bool PLJPEGEncoder::CanEncodeDepth(int bpp) const
{
    return bpp == 24 || bpp == 32;
}

void PLJPEGEncoder::EncodeBody(PLBmp* bmp, PLDataSink* sink)
{
    State& s = *m_pState;
    jpeg_compress_struct& cinfo = s.cinfo;
    s.pDest->sink = sink;
    cinfo.dest = &s.pDest->pub;

    try
    {
        cinfo.image_width = JDIMENSION(bmp->GetWidth());
        cinfo.image_height = JDIMENSION(bmp->GetHeight());
        // The library takes the bitmap's lines as they are: B, G, R (, unused).
        if (bmp->GetBitsPerPixel() == 32)
        {
            cinfo.input_components = 4;
            cinfo.in_color_space = JCS_EXT_BGRX;
        }
        else
        {
            cinfo.input_components = 3;
            cinfo.in_color_space = JCS_EXT_BGR;
        }
        jpeg_set_defaults(&cinfo);

        const PLPoint res = bmp->GetResolution();
        cinfo.X_density = UINT16(Density(res.x));
        cinfo.Y_density = UINT16(Density(res.y));
        cinfo.dct_method = JDCT_FLOAT;
        if (m_Quality)
            jpeg_set_quality(&cinfo, m_Quality, TRUE);
        cinfo.optimize_coding = m_bOptimizeCoding ? TRUE : FALSE;
        cinfo.smoothing_factor = m_SmoothingFactor;
        if (m_DensityX || m_DensityY)
        {
            cinfo.density_unit = 1;
            cinfo.X_density = UINT16(Density(m_DensityX));
            cinfo.Y_density = UINT16(Density(m_DensityY));
        }

        jpeg_start_compress(&cinfo, TRUE);
        bmp->Lock(true, false);
        for (int y = 0; y < bmp->GetHeight(); ++y)
        {
            JSAMPROW row = bmp->GetLineArray()[y];
            jpeg_write_scanlines(&cinfo, &row, 1);
        }
        bmp->Unlock();
        jpeg_finish_compress(&cinfo);
    }
    catch (...)
    {
        // Leaves the compress structure ready for the next encode.
        jpeg_abort_compress(&cinfo);
        s.pDest->sink = nullptr;
        throw;
    }
    s.pDest->sink = nullptr;
}
