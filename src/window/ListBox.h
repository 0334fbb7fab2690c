#pragma once
#include <string>
#include <vector>

// A multi-selection list: rows of text, each selected or not, and one current row
// (the focus mark), -1 when there is none.
class ListBox {
public:
    void Clear();
    void AddItem(std::string text);
    int ListCount() const { return static_cast<int>(items_.size()); }
    const std::string& List(int index) const { return items_.at(index); }
    bool Selected(int index) const { return selected_.at(index); }
    void SetSelected(int index, bool selected) { selected_.at(index) = selected; }
    int SelCount() const;
    int ListIndex() const { return listIndex_; }
    void SetListIndex(int index);

private:
    std::vector<std::string> items_;
    std::vector<bool> selected_;
    int listIndex_ = -1;
};
