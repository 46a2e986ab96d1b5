#pragma once

// Weight function of the two-pass scaler: the weight of a source sample at
// distance x from an output position, zero from the filter width on.
class PLContribDef
{
public:
    explicit PLContribDef(double width) : m_dWidth(width) {}
    virtual ~PLContribDef() = default;

    virtual double GetWeight(double x) const = 0;
    double GetWidth() const { return m_dWidth; }

protected:
    double m_dWidth;
};
