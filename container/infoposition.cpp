#include "container/infoposition.h"

#include <string>

#include "container/tagged.h"
#include "platform/convert.h"

namespace sf {

void TInfoPosition::Clear() { *this = TInfoPosition(); }

void TInfoPosition::ParseTable(std::string_view text) {
  ForEachField(UpToNul(text), [&](uint8_t tag, std::string_view value) {
    switch (tag) {
      case kTableResource:
      case '2':
      case '3':
        ResourceOffsets.push_back(StrToInt(value));
        break;
      case kTableMusic:
        MusicOffsets.push_back(StrToInt(value));
        break;
      case kTableSlideList:
        SlideListStart = StrToInt(value);
        break;
      case kTableHeader:
        HeaderStart = StrToInt(value);
        break;
      default:
        break;
    }
  });
}

std::string TInfoPosition::TableText() const {
  std::string text;
  auto record = [&](char tag, int32_t value) { AppendField(text, uint8_t(tag), std::to_string(value)); };
  for (int32_t v : ResourceOffsets) record(kTableResource, v);
  for (int32_t v : MusicOffsets) record(kTableMusic, v);
  record(kTableSlideList, SlideListStart);
  record(kTableHeader, HeaderStart);
  return text;
}

std::string LengthFieldText(int32_t n) {
  std::string field = std::to_string(n);
  field.resize(kLengthFieldSize, ' ');
  return field;
}

QString TInfoPosition::ReadTable(TFileHandle& file) {
  const int64_t size = file.Size();
  // The length field: the last ten bytes (a shorter file is read whole).
  char field[kLengthFieldSize + 1] = {};
  int64_t got = file.Seek(size >= kLengthFieldSize ? size - kLengthFieldSize : 0)
                    ? file.Read(field, kLengthFieldSize)
                    : 0;
  const int32_t n = StrToInt(Trim(UpToNul(std::string_view(field, size_t(got > 0 ? got : 0)))));
  if (n < 0) return QString("the length field holds %1, a negative length").arg(n);
  if (n > kMaxTableText)
    return QString("the offset table is %1 bytes long, more than %2").arg(n).arg(kMaxTableText);
  if (int64_t(n) > size - kLengthFieldSize)
    return QString("the length field holds %1, more than the file has before it").arg(n);
  if (size > INT32_MAX) return "the file is 2 GiB or larger";
  TableStart = int32_t(size - n - kLengthFieldSize);

  std::string text(size_t(n), '\0');
  got = file.Seek(TableStart) ? file.Read(text.data(), n) : 0;
  text.resize(size_t(got > 0 ? got : 0));
  ParseTable(text);

  if (HeaderStart < 0 || HeaderStart > TableStart)
    return QString("HeaderStart %1 lies outside 0 to TableStart %2").arg(HeaderStart).arg(TableStart);
  if (SlideListStart < 0 || SlideListStart > HeaderStart)
    return QString("SlideListStart %1 lies outside 0 to HeaderStart %2").arg(SlideListStart).arg(HeaderStart);
  if (TableStart - HeaderStart > kMaxTableText)
    return QString("the project header is %1 bytes long, more than %2")
        .arg(TableStart - HeaderStart)
        .arg(kMaxTableText);
  for (size_t i = 0; i < ResourceOffsets.size(); ++i)
    if (ResourceOffsets[i] < 0 || ResourceOffsets[i] > SlideListStart)
      return QString("ResourceOffsets[%1] = %2 lies outside the media area 0 to %3")
          .arg(i).arg(ResourceOffsets[i]).arg(SlideListStart);
  for (size_t i = 0; i < MusicOffsets.size(); ++i) {
    if (MusicOffsets[i] < 0 || MusicOffsets[i] > SlideListStart)
      return QString("MusicOffsets[%1] = %2 lies outside the media area 0 to %3")
          .arg(i).arg(MusicOffsets[i]).arg(SlideListStart);
    if (i > 0 && MusicOffsets[i] < MusicOffsets[i - 1])
      return QString("music file %1 ends at %2, before it starts at %3")
          .arg(i - 1).arg(MusicOffsets[i]).arg(MusicOffsets[i - 1]);
  }
  return {};
}

}  // namespace sf
