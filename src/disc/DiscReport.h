#pragma once

#include <iosfwd>
#include <string>

#include "disc/CdDevice.h"

namespace lorvika {

// Opens the device on source (a drive or an image) and writes the disc's identity, track count,
// length, track lengths and CD-TEXT titles one "KEY=value" per line. Returns 0, or 1 after a
// message on err when the source cannot be opened or holds no disc.
int writeDiscReport(CdDevice& device, const std::string& source, std::ostream& out,
                    std::ostream& err);

}  // namespace lorvika
