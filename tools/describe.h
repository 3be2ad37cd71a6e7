// What the tool reports of a project: the offset table, the header fields and the slide
// records under their field names, as JSON or as readable text.
#pragma once

#include <string>
#include <vector>

#include "container/projectinfo.h"
#include "authoring/json.h"

namespace sf {

// What a slide's clip (or movie) tells of itself when its file can be read.
struct TProbedMedia {
  bool probed = false;  // the record is a clip or movie and was looked at
  bool movie = false;   // a flash movie (its stage, frame rate and frames), else a video clip
  QString error;        // why its file could not be read; empty when it could
  int width = 0, height = 0;
  int64_t lengthMs = 0;
  double frameRate = 0;
  int frames = 0;
};
// Looks at the clip or movie of record n (a video or flash slide): a clip's size and length, a
// movie's stage, frame rate and frame count. Other records give nothing.
TProbedMedia ProbeMedia(TProjectInfo& project, size_t n);
using TMediaList = std::vector<TProbedMedia>;

TJson DescribeTable(const TInfoPosition& table);
TJson DescribeHeader(const TProjectHeader& header);
TJson DescribeSlide(const TPictureInfo& slide);
TJson DescribeFont(const TFontSpec& font);
// With media, each clip's facts beside its record.
TJson DescribeProject(const TProjectInfo& project, const TMediaList* media = nullptr);

// A readable listing of the same: one "Name: value" line per field.
std::string SummarizeProject(const TProjectInfo& project, const TMediaList* media = nullptr);

}  // namespace sf
