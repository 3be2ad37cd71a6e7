// The manifest: a show described in JSON, its media by paths relative to the manifest's folder.
//
//   {"header": {"ProjectName": "Sunset.scr", "Texts": {"49": "Settings"}},
//    "music": ["a.wav"], "dialogPicture": "face.jpg",
//    "slides": [{"file": "a.jpg", "Caption": "Hello",
//                "CaptionFont": {"Name": "DejaVu Sans", "Height": -24, "Bold": true}}]}
//
// Fields go by the names of the field table; a font is an object of its parts (Charset, Color,
// Height, Name) and its style flags (Bold, Italic, Underline, StrikeOut).
#pragma once

#include <QByteArray>
#include <QString>

#include "authoring/document.h"
#include "authoring/result.h"

namespace sf {

// Reads a manifest file into the document, its media paths made absolute. A manifest that is not
// JSON is refused with the line and column where it goes wrong; a field that is unknown or holds
// a value its field cannot take is refused by its place ("slides[2].Caption: ..."). Whether the
// media files exist is the packing's to check, so that a show whose pictures moved still opens.
TResult ReadManifest(const QString& path, TShowDocument& document);
// The same for the manifest's text; `name` stands for the file in messages, `folder` is where
// relative paths start.
TResult ParseManifest(const QByteArray& json, const QString& name, const QString& folder, TShowDocument& document);

// The manifest of a document, its paths relative to `folder`: fields in the table's order, each
// font at its first field's place, two-space indents. One document always gives the same bytes,
// and reading them back gives the same document.
QByteArray ManifestText(const TShowDocument& document, const QString& folder);
// Writes ManifestText to path (relative to path's folder), whole or not at all.
TResult WriteManifest(const TShowDocument& document, const QString& path);

// The absolute, clean folder of a manifest's path.
QString ManifestFolder(const QString& path);

}  // namespace sf
