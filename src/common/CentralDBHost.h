#pragma once
#include <string>

// The address of the maker's central database server, which carries both the central
// administration database and the in-house database.
std::string CentralDBHost();
