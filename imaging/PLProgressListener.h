#pragma once

// Receives the completed fraction (0.0 to 1.0) of a decode.
class PLProgressListener
{
public:
    virtual ~PLProgressListener() = default;
    virtual void OnProgress(double part) = 0;
};
