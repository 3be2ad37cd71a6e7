// Show files as authors handle them: opening the project that a file carries at its end, taking
// a show apart into its media and a manifest, and putting a show's project behind our player.
#pragma once

#include <QString>
#include <cstdint>
#include <memory>

#include "authoring/atomicfile.h"
#include "authoring/document.h"
#include "authoring/result.h"
#include "container/projectinfo.h"
#include "platform/random.h"

namespace sf {

// The project at the end of the file, read whole: offset table, header and slide records, the
// records' random defaults drawn from `random` (a copy: only a caller that shows those defaults
// cares where it starts). Null, with `error` saying why, when the file cannot be opened or
// carries no project that reads.
std::unique_ptr<TProjectInfo> OpenShow(const QString& path, QString& error, TRandom random = TRandom());

// Writes the show's media into `folder` (made when missing) under their stored file names
// (others where those clash or cannot be file names) and a manifest.json that packs the same show
// again; the manifest's document, its paths in `folder`, goes to `document` when given. Either
// every file is put in place or none is: they are written in a hidden folder inside `folder`
// first and moved out when all are whole.
TResult Extract(const QString& show, const QString& folder, TShowDocument* document = nullptr);

struct TRehostReport {
  bool ownPlayer = false;  // the file's program was, byte for byte, the player it was put behind
  int64_t shift = 0;       // how far every position of the offset table moved
};

// Writes `output`: `player`, then everything of the show's project from the start of its media
// to its offset table unchanged, then the offset table with every position moved by the
// difference between the two programs' sizes. The show's own program is never run nor copied.
// Written whole or not at all, as a program (the player's permissions and the owner's read,
// write and execute). Progress counts the project's bytes.
TResult Rehost(const QString& show, const QString& player, const QString& output, TRehostReport* report = nullptr,
               const TProgress& progress = {});
// The same from an open project into a file the caller commits.
TResult RehostInto(const TProjectInfo& project, const QString& player, TAtomicFile& out, TRehostReport* report,
                   const TProgress& progress = {});

}  // namespace sf
