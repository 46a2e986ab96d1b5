#pragma once

// Root of every class of the image layer.
class PLObject
{
public:
    PLObject() = default;
    PLObject(const PLObject&) = default;
    PLObject& operator=(const PLObject&) = default;
    virtual ~PLObject();

    // Consistency hook shared by the whole layer; nothing to check here.
    virtual void CheckState() const {}
};
