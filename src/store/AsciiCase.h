#pragma once

#include "store/dbf/Names.h"

namespace lorvika {

using dbf::equalNoCase;

}  // namespace lorvika
