// Linked into the signed test builds: defined here, the built-in (empty) key's definition
// in the updatekey library is never pulled in.
#include "SigningTestKey.h"

#include "autoupdate/UpdateSignature.h"

std::string update::BuiltInPublicKey() {
    return testsupport::kTestPublicKey;
}
