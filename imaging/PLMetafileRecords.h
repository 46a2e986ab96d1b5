#pragma once

#include <cstdint>
#include <vector>

// Structure checks of metafile records, made before GDI plays them. GDI
// implementations trust what records say about themselves (Wine's crashes
// on an object index past the handle table, a palette selection of a
// brush, or a point count past the record), so sizes, counts and embedded
// bitmaps are checked against the bytes that are really there, and the
// handle table is followed: every object a record uses exists and is of
// the kind the record needs. Records the checks do not know are only
// checked to lie within the file.
class PLMetafileRecords
{
public:
    // An enhanced metafile: the header record, records within the file's
    // stated size and an end-of-file record.
    static bool IsSoundEnhanced(const uint8_t* data, int size);

    // A Windows metafile without the placeable header: the 18-byte header,
    // records within the file and an end record.
    static bool IsSoundWindows(const uint8_t* data, int size);

    // A device-independent bitmap: header and colour table in infoBytes,
    // bitsBytes of pixels. Packed: the pixels follow the colour table
    // inside infoBytes (bitsBytes is then ignored).
    static bool IsSoundDib(const uint8_t* info, uint64_t infoBytes, uint64_t bitsBytes, bool packed);

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
    static bool IsSoundEnhancedRecord(const uint8_t* r, uint32_t bytes, uint32_t type,
                                      std::vector<uint8_t>& table);
    static bool IsSoundWindowsRecord(const uint8_t* r, uint64_t bytes, unsigned function,
                                     std::vector<uint8_t>& table);
};
