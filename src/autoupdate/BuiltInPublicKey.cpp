// The update key chosen at configure time (NUTV_UPDATE_PUBLIC_KEY). Kept in a library of
// its own, so that a test build of the tools can link another key in its place.
#include "autoupdate/UpdateSignature.h"

std::string update::BuiltInPublicKey() {
    return NUTV_UPDATE_PUBLIC_KEY;
}
