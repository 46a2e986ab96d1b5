#pragma once

#include <string>

#include "imaging/PLObject.h"

// Error codes of the image layer; every raiser keeps to these meanings.
enum PLErrorCode
{
    PL_ERR_SIGNATURE = 1,       // the data is not of the expected format
    PL_ERR_FORMAT = 2,          // a detail of the format is wrong or not handled
    PL_ERR_PATH_NOT_FOUND = 3,  // the file's folder does not exist
    PL_ERR_OPEN = 4,            // opening the input failed for another reason
    PL_ERR_ACCESS = 5,          // access denied, sharing violation, mapping failed
    PL_ERR_UNSUPPORTED = 6,     // a feature the layer does not handle
    PL_ERR_LAYOUT = 7,          // an image layout the decoder cannot handle
    PL_ERR_UNKNOWN_TYPE = 8,    // the format was not recognised
    PL_ERR_NO_MEMORY = 10,      // memory exhausted or a size beyond the limit
    PL_ERR_END_OF_DATA = 11,    // input or output ran out
};

// The one exception of the image layer: an error code with a message.
// Thrown by value, caught by reference.
class PLTextException : public PLObject
{
public:
    PLTextException(int code, const char* text);
    PLTextException(int code, const std::string& text);
    PLTextException(const PLTextException& other);
    PLTextException& operator=(const PLTextException& other);
    ~PLTextException() override;

    virtual int GetCode() const;
    virtual const char* GetText() const;

private:
    void ResetErrorMode();

    int m_Code;
    std::string m_Text;
};
