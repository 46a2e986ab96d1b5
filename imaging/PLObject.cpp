#include "imaging/PLObject.h"

PLObject::~PLObject() = default;
