// The offset table at the end of the program file and the ten-byte length field behind it.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "platform/filehandle.h"

namespace sf {

// The offset table text and the project header text are each at most this long.
constexpr int32_t kMaxTableText = 102400;
constexpr int kLengthFieldSize = 10;

// The tags of the table's records ("2" and "3" are read as "1").
constexpr char kTableResource = '1';
constexpr char kTableMusic = '4';
constexpr char kTableSlideList = '5';
constexpr char kTableHeader = '6';

class TInfoPosition {
 public:
  std::vector<int32_t> ResourceOffsets;
  std::vector<int32_t> MusicOffsets;
  int32_t SlideListStart = 0;
  int32_t HeaderStart = 0;
  int32_t TableStart = 0;

  // Reads the length field and the table. A length field or table value that is not an
  // integer fails with EConvertError. Gives an empty string when the table is sound, else what
  // is wrong with it (a position outside the file, a region that ends before it starts, a text
  // over its limit); the caller then treats the project as absent.
  QString ReadTable(TFileHandle& file);

  // Parses the table text itself (tags "1" to "6"); EConvertError on a value that is no integer.
  void ParseTable(std::string_view text);
  // The table text that ParseTable reads back to these positions: a "1" record for each resource
  // entry, a "4" for each music entry, then "5" and "6", in that order.
  std::string TableText() const;

  void Clear();
};

// The ten-byte length field of a table of n bytes: the number, left-aligned, blanks after it.
std::string LengthFieldText(int32_t n);

}  // namespace sf
