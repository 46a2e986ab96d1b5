#pragma once

#include "imaging/PLPicDecoder.h"

class PLWinBmp;

// Windows metafiles (WMF, with or without the placeable header) and
// enhanced metafiles (EMF), played through GDI into an off-screen bitmap.
// The kind is told by the data, and the records are checked before GDI
// plays them. Metafiles with a palette give 8 bpp, the others 32 bpp on a
// white background.
//
// The system's drawing layer is not trusted with hostile records: besides
// the checks, each record is played on its own on a thread of the decoder,
// after its drawing has been measured on the device (curves drawn point by
// point beyond kMaxCurveSide, shapes beyond kMaxDeviceCoordinate, lines
// drawn with a pen wider than kMaxPenWidth, text larger than kMaxTextSize
// and records of more than kMaxDrawingCount points or characters are left
// out), and a playback that takes longer than the time limit is
// abandoned with code 6. An abandoned playback stops at its next record; no
// other playback starts while it still runs (a decode waits for it as long
// as the time limit, then gives up with code 6).
class PLWEMFDecoder : public PLPicDecoder
{
public:
    PLWEMFDecoder();
    ~PLWEMFDecoder() override;

    // Largest width or height a metafile is rendered at; larger frames are
    // scaled down to fit.
    static constexpr int kMaxSide = 8192;

    // Limits of what a record may draw, in device pixels.
    static constexpr double kMaxCurveSide = 1 << 18;
    static constexpr double kMaxDeviceCoordinate = 1 << 27;
    // The widest pen and the tallest or widest letters a record may draw
    // with, in device pixels: the system's drawing spends seconds and
    // gigabytes on more, and no picture of kMaxSide needs them.
    static constexpr double kMaxPenWidth = 1 << 14;
    static constexpr double kMaxTextSize = 1 << 12;
    // The most points, vertices or characters one record may give the
    // system's drawing, which takes seconds over a polygon or a text of a
    // hundred thousand; older systems, which metafiles were written for,
    // refused more.
    static constexpr uint64_t kMaxDrawingCount = 1 << 14;

    // Time a playback may take (milliseconds, 5 s to begin with). Settable
    // so that callers and tests can make it shorter.
    static void SetPlaybackLimit(unsigned milliseconds);
    static unsigned GetPlaybackLimit();

    // Test seam: called on the playing thread with each record's type as
    // the record is reached, before the time is checked and the record
    // played (null: nothing is called).
    typedef void (*RecordHook)(uint32_t type);
    static void SetRecordHook(RecordHook hook);

protected:
    void DecodeBody(PLDataSource* source, PLBmp* bmp) override;

private:
    static void Render(const uint8_t* data, int size, PLWinBmp* bmp);
};
