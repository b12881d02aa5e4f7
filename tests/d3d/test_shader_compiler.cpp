#include "tests/d3d/d3dTestDevice.h"
