#include "disc/CdDevice.h"

namespace lorvika {

bool CdText::empty() const {
    if (!title.empty() || !performer.empty()) return false;
    for (const auto& t : tracks)
        if (!t.title.empty() || !t.performer.empty()) return false;
    return true;
}

}  // namespace lorvika
