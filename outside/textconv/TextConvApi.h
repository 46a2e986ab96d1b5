/*
 * TextConvApi.h - the interface of a text converter DLL.
 *
 * Shared by our Markdown converter and by the program, which loads a
 * converter by the path registered for it and looks the entry points up by
 * name. All entry points and both callbacks are __stdcall (WINAPI).
 *
 * The "blocks" are NUL-terminated 8-bit strings (paths, class names) or the
 * transfer buffer, allocated by the caller; a converter uses them as plain
 * pointers and never frees or resizes them.
 */
#ifndef TEXTCONVAPI_H
#define TEXTCONVAPI_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Size of the transfer buffer the caller hands over; no piece is larger. */
#define TEXTCONV_BUFFER_SIZE 16384
/* Size of the class block IsFormatCorrect32 may fill with a format name. */
#define TEXTCONV_CLASS_SIZE 64

/* Results: 0 is success, anything else a failure. The callbacks return a
 * negative value to stop a conversion; the converter then gives up and
 * returns that value (or one of its own). */
#define TEXTCONV_OK                0
#define TEXTCONV_E_OPEN_INPUT    (-1)  /* the source cannot be opened */
#define TEXTCONV_E_READ          (-2)  /* reading the source failed */
#define TEXTCONV_E_WRITE         (-3)  /* writing the result failed */
#define TEXTCONV_E_FORMAT        (-4)  /* the file is not in the converter's format */
#define TEXTCONV_E_MEMORY        (-5)  /* out of memory */
#define TEXTCONV_E_OPEN_OUTPUT   (-6)  /* the target cannot be created */
#define TEXTCONV_E_ARGUMENT      (-7)  /* a missing block */

/* ForeignToRtf32 hands each piece of RTF it put into the buffer to this
 * callback: the byte count and the percentage done. The callback returns
 * the count it took, or a negative value to stop. */
typedef long(WINAPI* PFN_TEXTCONV_RTFOUT)(long cbBuffer, long nPercent);
/* RtfToForeign32 asks this callback for the next piece of RTF: it fills the
 * buffer and returns the count (0 at the end, negative to stop). */
typedef long(WINAPI* PFN_TEXTCONV_RTFIN)(long cbWanted, long nPercent);

/* InitConverter32 (owner window, program name): nonzero when ready. */
typedef long(WINAPI* PFN_INITCONVERTER32)(HANDLE hWnd, char* szModule);
/* IsFormatCorrect32 (source path, class block): 1 when the file is in the
 * converter's format, 0 when it is not, negative on errors. */
typedef long(WINAPI* PFN_ISFORMATCORRECT32)(HANDLE ghszFile, HANDLE ghszClass);
/* ForeignToRtf32 (source path, storage (null), buffer, class block, subset
 * (null), write callback): 0 on success. */
typedef long(WINAPI* PFN_FOREIGNTORTF32)(HANDLE ghszFile, void* pstgForeign, HANDLE ghBuff, HANDLE ghszClass,
                                         HANDLE ghszSubset, PFN_TEXTCONV_RTFOUT lpfnOut);
/* RtfToForeign32 (target path, storage (null), buffer, class (null), read
 * callback): 0 on success. The converter creates the target itself. */
typedef long(WINAPI* PFN_RTFTOFOREIGN32)(HANDLE ghszFile, void* pstgForeign, HANDLE ghBuff, HANDLE ghszClass,
                                         PFN_TEXTCONV_RTFIN lpfnIn);
/* UninitConverter (): called last, when the converter has it. */
typedef void(WINAPI* PFN_UNINITCONVERTER)(void);

#ifdef __cplusplus
}
#endif

#endif /* TEXTCONVAPI_H */
