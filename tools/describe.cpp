#include "tools/describe.h"

#include "authoring/newshow.h"

namespace sf {
namespace {

TJson IntArray(const std::vector<int32_t>& v) {
  TJson a = TJson::MakeArray();
  for (int32_t x : v) a.Push(x);
  return a;
}

TJson StringArray(const auto& list) {
  TJson a = TJson::MakeArray();
  for (const QString& s : list) a.Push(s);
  return a;
}

}  // namespace

TJson DescribeTable(const TInfoPosition& t) {
  TJson o = TJson::MakeObject();
  o.Set("ResourceOffsets", IntArray(t.ResourceOffsets));
  o.Set("MusicOffsets", IntArray(t.MusicOffsets));
  o.Set("SlideListStart", t.SlideListStart);
  o.Set("HeaderStart", t.HeaderStart);
  o.Set("TableStart", t.TableStart);
  return o;
}

TJson DescribeHeader(const TProjectHeader& h) {
  TJson o = TJson::MakeObject();
  for (const THeaderField& f : HeaderFields()) {
    switch (f.kind) {
      case TFieldKind::Bool: o.Set(f.name, h.*f.b); break;
      case TFieldKind::Int: o.Set(f.name, h.*f.i); break;
      case TFieldKind::Text: o.Set(f.name, h.*f.s); break;
      case TFieldKind::List: o.Set(f.name, StringArray(h.*f.l)); break;
      case TFieldKind::SettingText: o.Set(f.name, StringArray(h.Texts)); break;
      default: break;
    }
  }
  return o;
}

TJson DescribeFont(const TFontSpec& font) {
  TJson o = TJson::MakeObject();
  o.Set("Charset", font.Charset);
  o.Set("Color", font.Color);
  o.Set("Height", font.Height);
  o.Set("Name", font.Name);
  o.Set("Bold", font.Bold);
  o.Set("Italic", font.Italic);
  o.Set("Underline", font.Underline);
  o.Set("StrikeOut", font.StrikeOut);
  return o;
}

TJson DescribeSlide(const TPictureInfo& p) {
  TJson o = TJson::MakeObject();
  for (const TSlideField& f : SlideFields()) {
    switch (f.kind) {
      case TFieldKind::Bool: o.Set(f.name, p.*f.b); break;
      case TFieldKind::Int: o.Set(f.name, p.*f.i); break;
      case TFieldKind::Text: o.Set(f.name, p.*f.s); break;
      case TFieldKind::FontCharset: o.Set(f.name, DescribeFont(p.*f.font)); break;  // the font's first tag
      default: break;
    }
  }
  return o;
}

TProbedMedia ProbeMedia(TProjectInfo& project, size_t n) {
  TProbedMedia facts;
  const TPictureInfo& slide = project.Slides[n];
  if (slide.SlideKind != 1 && slide.SlideKind != 2) return facts;
  facts.probed = true;
  facts.movie = slide.SlideKind == 1;
  const TMediaFile file = project.FetchMedia(slide.ResourceIndex);
  if (!file.Ok()) {
    facts.error = file.Error() == TMediaFile::TError::Missing ? "File not found : " + file.MissingPath()
                                                               : QString("its file cannot be fetched");
    return facts;
  }
  const QString& path = file.Path();
  const TMediaFacts f = facts.movie ? ExamineMovie(path) : ExamineClip(path);
  facts.error = f.error;
  facts.width = f.width;
  facts.height = f.height;
  facts.lengthMs = f.lengthMs;
  facts.frameRate = f.frameRate;
  facts.frames = f.frames;
  return facts;
}

TJson DescribeProject(const TProjectInfo& project, const TMediaList* media) {
  TJson o = TJson::MakeObject();
  o.Set("table", DescribeTable(project.Position));
  o.Set("header", DescribeHeader(project));
  TJson slides = TJson::MakeArray();
  for (size_t n = 0; n < project.Slides.size(); ++n) {
    TJson slide = DescribeSlide(project.Slides[n]);
    if (media && n < media->size() && (*media)[n].probed) {
      const TProbedMedia& f = (*media)[n];
      TJson m = TJson::MakeObject();
      if (!f.error.isEmpty()) {
        m.Set("Error", f.error);
      } else if (f.movie) {
        m.Set("StageWidth", f.width);
        m.Set("StageHeight", f.height);
        m.Set("FrameRate", f.frameRate);
        m.Set("Frames", f.frames);
      } else {
        m.Set("Width", f.width);
        m.Set("Height", f.height);
        m.Set("LengthMs", int32_t(f.lengthMs));
      }
      slide.Set("Media", std::move(m));
    }
    slides.Push(std::move(slide));
  }
  o.Set("slides", std::move(slides));
  return o;
}

namespace {

std::string Line(const std::string& indent, const char* name, const std::string& value) {
  std::string n = indent + name + ":";
  if (n.size() < 30) n.resize(30, ' ');
  else n += ' ';
  return n + value + "\n";
}

std::string Text(const QString& s) { return JsonQuote(s); }
std::string Bool(bool b) { return b ? "true" : "false"; }
std::string Int(int32_t i) { return std::to_string(i); }
std::string Color(int32_t c) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "0x%06X", uint32_t(c));
  return buf;
}

std::string Ints(const std::vector<int32_t>& v) {
  std::string s = "[";
  for (size_t i = 0; i < v.size(); ++i) s += (i ? ", " : "") + std::to_string(v[i]);
  return s + "]";
}

std::string FontText(const TFontSpec& f) {
  std::string s = Text(f.Name) + ", height " + Int(f.Height) + ", colour " + Color(f.Color) +
                  ", charset " + Int(f.Charset);
  if (f.Bold) s += ", bold";
  if (f.Italic) s += ", italic";
  if (f.Underline) s += ", underline";
  if (f.StrikeOut) s += ", strike-out";
  return s;
}

bool IsColorField(const char* name) {
  return std::string_view(name).find("Color") != std::string_view::npos &&
         std::string_view(name).find("Random") == std::string_view::npos;
}

}  // namespace

std::string SummarizeProject(const TProjectInfo& project, const TMediaList* media) {
  const TInfoPosition& t = project.Position;
  std::string out = "Offset table\n";
  out += Line("  ", "ResourceOffsets", Ints(t.ResourceOffsets));
  out += Line("  ", "MusicOffsets", Ints(t.MusicOffsets));
  out += Line("  ", "SlideListStart", Int(t.SlideListStart));
  out += Line("  ", "HeaderStart", Int(t.HeaderStart));
  out += Line("  ", "TableStart", Int(t.TableStart));
  out += "Header\n";
  for (const THeaderField& f : HeaderFields()) {
    switch (f.kind) {
      case TFieldKind::Bool: out += Line("  ", f.name, Bool(project.*f.b)); break;
      case TFieldKind::Int: out += Line("  ", f.name, Int(project.*f.i)); break;
      case TFieldKind::Text: out += Line("  ", f.name, Text(project.*f.s)); break;
      case TFieldKind::List: {
        std::string s = "[";
        for (qsizetype i = 0; i < (project.*f.l).size(); ++i) s += (i ? ", " : "") + Text((project.*f.l)[i]);
        out += Line("  ", f.name, s + "]");
        break;
      }
      case TFieldKind::SettingText:
        for (size_t i = 0; i < project.Texts.size(); ++i)
          if (!project.Texts[i].isEmpty())
            out += Line("  ", ("Texts[" + std::to_string(i) + "]").c_str(), Text(project.Texts[i]));
        break;
      default: break;
    }
  }
  size_t backgrounds = 0;
  for (const TPictureInfo& p : project.Slides) backgrounds += p.IsBackgroundPicture;
  out += "Slides: " + std::to_string(project.Slides.size() - backgrounds) + ", background pictures: " +
         std::to_string(backgrounds) + "\n";
  for (size_t n = 0; n < project.Slides.size(); ++n) {
    const TPictureInfo& p = project.Slides[n];
    out += "Record " + std::to_string(n) + "\n";
    for (const TSlideField& f : SlideFields()) {
      switch (f.kind) {
        case TFieldKind::Bool: out += Line("  ", f.name, Bool(p.*f.b)); break;
        case TFieldKind::Int:
          out += Line("  ", f.name, IsColorField(f.name) ? Color(p.*f.i) : Int(p.*f.i));
          break;
        case TFieldKind::Text: out += Line("  ", f.name, Text(p.*f.s)); break;
        case TFieldKind::FontCharset: out += Line("  ", f.name, FontText(p.*f.font)); break;
        default: break;
      }
    }
    if (media && n < media->size() && (*media)[n].probed) {
      const TProbedMedia& m = (*media)[n];
      char facts[96];
      if (m.movie)
        std::snprintf(facts, sizeof facts, "stage %d x %d, %g frames a second, %d frames", m.width, m.height, m.frameRate,
                      m.frames);
      else
        std::snprintf(facts, sizeof facts, "%d x %d, %.3f s", m.width, m.height, double(m.lengthMs) / 1000.0);
      out += Line("  ", m.movie ? "Movie" : "Clip", m.error.isEmpty() ? std::string(facts) : "cannot be read: " + m.error.toStdString());
    }
  }
  return out;
}

}  // namespace sf
