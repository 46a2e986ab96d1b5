#include "imaging/PLJPEGDecoder.h"

#include <climits>
#include <cstdio>
#include <string>

#include <jpeglib.h>
#include <jerror.h>

#include "imaging/PLBmp.h"
#include "imaging/PLDataSource.h"
#include "imaging/PLTextException.h"

// Progressive files with more scans than this are hostile: each scan costs a
// pass over the whole coefficient buffer.
static const int kMaxScans = 500;

// Library structures that live as long as the decoder and are reused for
// every file.
struct PLJPEGDecoder::State
{
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr jerr;
    jpeg_progress_mgr progress;
    jpeg_source_mgr* pSource = nullptr;  // from the library's permanent pool
    PLDataSource* pDataSource = nullptr;
};

namespace
{
const JOCTET kFakeEOI[2] = {0xFF, JPEG_EOI};

void OnJPEGError(j_common_ptr cinfo)
{
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    PLPicDecoder::ThrowError(PL_ERR_UNSUPPORTED, text);
}

// Warnings (corrupt data, premature end) are not shown anywhere.
void OnJPEGMessage(j_common_ptr)
{
}

void PLJPEGInitSource(j_decompress_ptr)
{
}

void PLJPEGTermSource(j_decompress_ptr)
{
}

// Called only when the data is exhausted: supply an end-of-image marker so
// that a truncated file decodes with what it holds.
boolean PLJPEGFillInputBuffer(j_decompress_ptr cinfo)
{
    WARNMS(cinfo, JWRN_JPEG_EOF);
    cinfo->src->next_input_byte = kFakeEOI;
    cinfo->src->bytes_in_buffer = 2;
    return TRUE;
}

void PLJPEGSkipInputData(j_decompress_ptr cinfo, long count)
{
    if (count <= 0)
        return;
    jpeg_source_mgr* src = cinfo->src;
    if (size_t(count) < src->bytes_in_buffer)
    {
        src->next_input_byte += count;
        src->bytes_in_buffer -= size_t(count);
        return;
    }
    PLJPEGFillInputBuffer(cinfo);
}

void OnProgress(j_common_ptr cinfo)
{
    if (cinfo->is_decompressor &&
        reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans)
        PLPicDecoder::ThrowError(PL_ERR_UNSUPPORTED, "Too many scans in JPEG data.");

    auto* state = static_cast<PLJPEGDecoder::State*>(cinfo->client_data);
    jpeg_progress_mgr* p = cinfo->progress;
    if (!state || !state->pDataSource || p->total_passes <= 0 || p->pass_limit <= 0)
        return;
    double part = (p->completed_passes + double(p->pass_counter) / p->pass_limit) / p->total_passes;
    state->pDataSource->NotifyProgress(part);
}

uint8_t Cmyk(int colour, int black, bool inverted)
{
    // Adobe writes CMYK inverted (255 = no ink).
    if (inverted)
        return uint8_t(colour * black / 255);
    return uint8_t((255 - colour) * (255 - black) / 255);
}
} // namespace

PLJPEGDecoder::PLJPEGDecoder() : m_pState(new State), m_bFastUpsampling(true)
{
    State& s = *m_pState;
    s.cinfo.err = jpeg_std_error(&s.jerr);
    s.jerr.error_exit = OnJPEGError;
    s.jerr.output_message = OnJPEGMessage;
    jpeg_create_decompress(&s.cinfo);
    s.cinfo.client_data = &s;

    s.pSource = static_cast<jpeg_source_mgr*>((*s.cinfo.mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(&s.cinfo), JPOOL_PERMANENT, sizeof(jpeg_source_mgr)));
    s.pSource->init_source = PLJPEGInitSource;
    s.pSource->fill_input_buffer = PLJPEGFillInputBuffer;
    s.pSource->skip_input_data = PLJPEGSkipInputData;
    s.pSource->resync_to_restart = jpeg_resync_to_restart;
    s.pSource->term_source = PLJPEGTermSource;

    s.progress.progress_monitor = OnProgress;
}

PLJPEGDecoder::~PLJPEGDecoder()
{
    jpeg_destroy_decompress(&m_pState->cinfo);
}

void PLJPEGDecoder::DecodeBody(PLDataSource* source, PLBmp* bmp)
{
    State& s = *m_pState;
    jpeg_decompress_struct& cinfo = s.cinfo;

    // Everything the previous file left behind is reset here.
    jpeg_abort_decompress(&cinfo);
    s.pDataSource = source;
    s.pSource->next_input_byte = source->GetRemainingData();
    s.pSource->bytes_in_buffer = size_t(source->GetBytesLeft());
    cinfo.src = s.pSource;
    s.progress.pass_counter = 0;
    s.progress.pass_limit = 0;
    s.progress.completed_passes = 0;
    s.progress.total_passes = 0;
    cinfo.progress = &s.progress;
    // Coefficient buffers beyond the bitmap limit are refused by the library
    // (no backing store) instead of being allocated.
    cinfo.mem->max_memory_to_use = long(PLBmp::GetMaxBytes() > LONG_MAX ? LONG_MAX : PLBmp::GetMaxBytes());

    try
    {
        jpeg_read_header(&cinfo, TRUE);
        if (m_bFastUpsampling)
            cinfo.do_fancy_upsampling = FALSE;
        cinfo.dct_method = JDCT_FLOAT;

        int bpp = 32;
        switch (cinfo.jpeg_color_space)
        {
        case JCS_GRAYSCALE:
            cinfo.out_color_space = JCS_GRAYSCALE;
            bpp = 8;
            break;
        case JCS_CMYK:
        case JCS_YCCK:
            cinfo.out_color_space = JCS_CMYK;
            break;
        default:
            cinfo.out_color_space = JCS_EXT_BGRX;
            break;
        }
        PLBmp::CheckDimensions(cinfo.image_width, cinfo.image_height, bpp);

        jpeg_start_decompress(&cinfo);
        const int width = int(cinfo.output_width);
        const int height = int(cinfo.output_height);
        bmp->Create(width, height, uint16_t(bpp), false, PLPoint());
        if (int64_t(cinfo.output_components) * width > (cinfo.out_color_space == JCS_CMYK ? int64_t(width) * 4 : bmp->LineBytes()))
            ThrowError(PL_ERR_FORMAT, "JPEG lines do not fit the bitmap.");

        bmp->Lock(false, true);
        if (cinfo.out_color_space == JCS_CMYK)
        {
            const bool inverted = cinfo.saw_Adobe_marker != 0;
            std::string buffer(size_t(width) * 4, '\0');
            JSAMPROW row = reinterpret_cast<JSAMPROW>(&buffer[0]);
            while (cinfo.output_scanline < cinfo.output_height)
            {
                const int y = int(cinfo.output_scanline);
                if (jpeg_read_scanlines(&cinfo, &row, 1) != 1)
                    ThrowError(PL_ERR_FORMAT, "JPEG data stopped.");
                PLPixel32* out = bmp->GetLineArray32()[y];
                for (int x = 0; x < width; ++x)
                {
                    const uint8_t* c = row + 4 * x;
                    out[x] = PLPixel32(Cmyk(c[0], c[3], inverted), Cmyk(c[1], c[3], inverted),
                                       Cmyk(c[2], c[3], inverted), 255);
                }
            }
        }
        else
        {
            while (cinfo.output_scanline < cinfo.output_height)
            {
                JSAMPROW row = bmp->GetLineArray()[cinfo.output_scanline];
                if (jpeg_read_scanlines(&cinfo, &row, 1) != 1)
                    ThrowError(PL_ERR_FORMAT, "JPEG data stopped.");
            }
        }
        bmp->Unlock();

        jpeg_finish_decompress(&cinfo);

        int resX = cinfo.X_density > 1 ? cinfo.X_density : 72;
        int resY = cinfo.Y_density > 1 ? cinfo.Y_density : 72;
        if (cinfo.density_unit == 2)
        {
            // Dots per centimetre.
            if (cinfo.X_density > 1)
                resX = int(cinfo.X_density * 2.54 + 0.5);
            if (cinfo.Y_density > 1)
                resY = int(cinfo.Y_density * 2.54 + 0.5);
        }
        bmp->SetResolution(PLPoint(resX, resY));
    }
    catch (...)
    {
        jpeg_abort_decompress(&cinfo);
        s.pDataSource = nullptr;
        throw;
    }
    s.pDataSource = nullptr;
}
