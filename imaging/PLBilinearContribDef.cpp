#include "imaging/PLBilinearContribDef.h"

#include <cmath>

PLBilinearContribDef::PLBilinearContribDef(double width) : PLContribDef(width)
{
}

double PLBilinearContribDef::GetWeight(double x) const
{
    const double d = std::fabs(x);
    return d < m_dWidth ? m_dWidth - d : 0.0;
}
