#include "window/ListBox.h"

#include <algorithm>
#include <stdexcept>

void ListBox::Clear() {
    items_.clear();
    selected_.clear();
    listIndex_ = -1;
}

void ListBox::AddItem(std::string text) {
    items_.push_back(std::move(text));
    selected_.push_back(false);
}

int ListBox::SelCount() const {
    return static_cast<int>(std::count(selected_.begin(), selected_.end(), true));
}

void ListBox::SetListIndex(int index) {
    if (index < -1 || index >= ListCount()) throw std::out_of_range("list index out of range");
    listIndex_ = index;
}
