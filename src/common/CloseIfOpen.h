#pragma once
#include <memory>

// Closes a connection or recordset if it is open (State 1) and empties the reference.
// An empty reference is left alone. Errors from State or Close reach the caller.
template <typename T>
void CloseIfOpen(std::shared_ptr<T>& object) {
    if (!object) return;
    if (object->State() == 1) object->Close();
    object.reset();
}
