// The project reader on any file: offset table, header, slide list and the listing of them.
#include <cstdint>
#include <cstdio>
#include <string>

#include "container/projectinfo.h"
#include "platform/convert.h"
#include "platform/random.h"
#include "platform/tempdir.h"
#include "tools/describe.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const QString path = sf::PrivateTempDir() + "fuzz.scr";
  FILE* f = std::fopen(path.toLocal8Bit().constData(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  try {
    sf::TProjectInfo project(path);
    project.ReadHeader();
    sf::TRandom random(1);
    project.ReadSlides(random);
    if (!project.LoadError().isEmpty() && (!project.Slides.empty() || project.Position.TableStart != 0))
      __builtin_trap();  // an absent project has no positions and no slides
    (void)sf::DescribeProject(project).Dump();
    (void)sf::SummarizeProject(project);
  } catch (const sf::EConvertError&) {
  }
  return 0;
}
