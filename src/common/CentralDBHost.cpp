#include "common/CentralDBHost.h"

#include "common/BuiltInValues.h"

std::string CentralDBHost() {
    return builtin::kCentralDBHost;
}
