#pragma once

#include <cstdint>
#include <vector>

// Structure checks of metafile records, made before GDI plays them. GDI
// implementations trust what records say about themselves (Wine's crashes
// on an object index past the handle table, a palette selection of a
// brush, or a point count past the record), so sizes, counts and embedded
// bitmaps are checked against the bytes that are really there, and the
// handle table and the saved states are followed: every object a record
// uses exists and is of the kind the record needs, every state restored was
// saved. Coordinates, extents and destination sizes stay within what GDI's
// arithmetic handles. Records the checks do not know are only checked to
// lie within the file.
class PLMetafileRecords
{
public:
    // Largest coordinate, extent or size (either sign) a record may give.
    static constexpr int64_t kMaxCoordinate = int64_t(1) << 27;
    // Most entries a palette may be given. The system allocates (and
    // clears) what a resize asks for before anything else; no display shows
    // more than 256 colours through a palette.
    static constexpr uint32_t kMaxPaletteEntries = 1024;

    // An enhanced metafile: the header record, records within the file's
    // stated size and an end-of-file record.
    static bool IsSoundEnhanced(const uint8_t* data, int size);

    // A Windows metafile without the placeable header: the 18-byte header,
    // records within the file and an end record. Bitmaps written without
    // their pixels are sound: MakePlayableWindows gives them pixels.
    static bool IsSoundWindows(const uint8_t* data, int size);

    // A device-independent bitmap: header and colour table in infoBytes,
    // bitsBytes of pixels. Packed: the pixels follow the colour table
    // inside infoBytes (bitsBytes is then ignored).
    static bool IsSoundDib(const uint8_t* info, uint64_t infoBytes, uint64_t bitsBytes, bool packed);

    // A copy of a sound Windows metafile that the system's converter plays
    // safely: bitmaps of 8 bits or fewer state their colour count, run-length
    // bitmaps are padded to whole 4-byte units, bitmaps written without
    // their pixels (as some writers do) get black ones, and enhanced
    // metafiles embedded in comment records are left out, so that what is
    // played is the records checked. Empty when the pixels to add would go
    // beyond kMaxAddedBytes.
    static std::vector<uint8_t> MakePlayableWindows(const uint8_t* data, int size);
    static constexpr uint64_t kMaxAddedBytes = 64u << 20;

    // The box, in logical units, of what an enhanced metafile record draws
    // (its rectangle, points, destination or region), so that it can be
    // checked against the device before it is played. curve: an ellipse, a
    // rounded rectangle, an arc, chord, pie or their kin, which the system
    // draws point by point. False for records that draw nothing by
    // themselves. The record must be sound.
    struct Extent
    {
        double left = 0, top = 0, right = 0, bottom = 0;
        bool curve = false;
    };
    static bool DrawingExtent(const uint8_t* record, uint32_t bytes, Extent& extent);

    // What an enhanced metafile record draws with besides its own data: the
    // current pen (lines, outlines, a path stroked or widened) and the
    // current font (text), whose size on the device the system's drawing
    // takes as it comes.
    enum Tools : unsigned
    {
        kNoTools = 0,
        kUsesPen = 1,
        kUsesFont = 2,
    };
    static unsigned DrawingTools(uint32_t type);

    // How many points, vertices or characters an enhanced metafile record
    // hands the system to draw (0 for records that hand it none). The
    // record must be sound.
    static uint64_t DrawingCount(const uint8_t* record, uint32_t bytes);

    // What a slot of the handle table holds.
    enum ObjectKind : uint8_t
    {
        kEmpty = 0,
        kPen,
        kBrush,
        kFont,
        kPalette,
        kRegion,
        kColourSpace,
    };

private:
    // What the records before the current one have set up.
    struct State
    {
        std::vector<uint8_t> table;
        int64_t savedStates = 0;
    };

    static bool IsSoundEnhancedRecord(const uint8_t* r, uint32_t bytes, uint32_t type, State& state);
    static bool HasSaneCoordinates(const uint8_t* r, uint32_t bytes, uint32_t type);
    static bool IsSoundWindowsRecord(const uint8_t* r, uint64_t bytes, unsigned function, State& state);
};
