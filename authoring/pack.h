// Packing: the player with a document's project appended behind it.
#pragma once

#include <QString>

#include "authoring/document.h"
#include "authoring/result.h"

namespace sf {

// Writes `output`: the player, then the project the document describes (the slides' media, the
// dialog picture's two offsets, the music, the slide list, the header, the offset table and the
// length field). What the document leaves out is filled in: a slide's FileName from its file's
// name, FormatCode from its extension, DataSize from its size (when the media are embedded) and
// ResourceIndex from its place; the music names and the dialog picture's name from their files.
// A missing file or a value a field cannot take fails naming it ("slides[2].file: no such file
// ..."). Progress counts the media bytes. The output is written whole or not at all: a failure or
// a cancel leaves an older file as it was. The output is a program: the player's permissions
// and the owner's read, write and execute.
TResult Pack(const TShowDocument& document, const QString& player, const QString& output,
             const TProgress& progress = {});

// The player beside the running program.
QString DefaultPlayer();
// Why `player` cannot carry a show written to `output` (empty when it can): it is no file, or
// writing the output would replace it.
QString CheckPlayer(const QString& player, const QString& output);

}  // namespace sf
