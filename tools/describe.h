// What the tool reports of a project: the offset table, the header fields and the slide
// records under their field names, as JSON or as readable text.
#pragma once

#include <string>

#include "container/projectinfo.h"
#include "tools/json.h"

namespace sf {

TJson DescribeTable(const TInfoPosition& table);
TJson DescribeHeader(const TProjectHeader& header);
TJson DescribeSlide(const TPictureInfo& slide);
TJson DescribeFont(const TFontSpec& font);
TJson DescribeProject(const TProjectInfo& project);

// A readable listing of the same: one "Name: value" line per field.
std::string SummarizeProject(const TProjectInfo& project);

}  // namespace sf
