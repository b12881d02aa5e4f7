// mixerFaults.h -- fault injection into the mixer, for tests of the sound
// layer's failure paths.
#pragma once

#include <cstdint>

// mixGetVersion reports `version` from now on (MIX_VERSION restores it).
void mixFaultReportVersion(uint32_t version);
