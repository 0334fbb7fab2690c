#include "datalayer/AdoErrors.h"

namespace ado {

void Raise(std::int32_t number, const char* source, const char* description) {
    throw VbError(number, source, description);
}

void Raise(std::int32_t number, const char* source, std::string description) {
    throw VbError(number, source, std::move(description));
}

}  // namespace ado
