#pragma once
#include <string_view>

#include "testdata/Schema.h"

// Reads a column declaration of the table data ("VARCHAR(20) NOT NULL DEFAULT ''") into
// the parts a Column describes.
namespace testdata {

// tableCharset: the character set a text column takes when it names none of its own.
Column ParseColumnDeclaration(std::string_view name, std::string_view declaration, std::string_view tableCharset);

}  // namespace testdata
