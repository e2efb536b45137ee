// Splitting a text into fields at a separator, with double quotes grouping a
// field that holds the separator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "buffer_sizes.h"

namespace morvel {

// One splitter serves one split. Its field table belongs to it: the fields of
// its last buildPaths or copyFields. A failed allocation throws OutOfMemory
// with the line that names it.
class Dividing {
 public:
  explicit Dividing(char separator);

  // Splits `text` (at most 524,287 bytes of it, cut at its first LF or NUL)
  // into at most 3072 fields. Quotes group and stay part of the field; two
  // separators in a row give an empty field; a trailing separator gives none.
  // Returns the number of fields.
  std::int32_t splitFields(std::string_view text);

  // splitFields on `list`, then each field joined with `joiner` and `fileName`.
  std::int32_t buildPaths(std::string_view list, std::string_view fileName, char joiner);

  // splitFields on `text`, then each field copied.
  std::int32_t copyFields(std::string_view text);

  // The last split's fields, and the field table of the last buildPaths or copyFields.
  const std::vector<std::string>& fields() const { return fields_; }
  const std::vector<std::string>& fieldTable() const { return fieldTable_; }

 private:
  char separator_;
  std::vector<std::string> fields_;
  std::vector<std::string> fieldTable_;
};

}  // namespace morvel
