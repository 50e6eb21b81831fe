#pragma once
// Locations of help pages, as the help viewer is asked to show them: a file path,
// optionally followed by "#" and an anchor, or a URL. Plain functions without widgets.
#include <QString>

namespace helplocation {

// A location that starts with a URL scheme of two or more letters ("http:", "file:");
// a single letter before the colon is a drive, part of a path.
bool hasUrlScheme(const QString &location);

// Splits a location into the local file it names (empty when it names none) and its
// anchor.
void split(const QString &location, QString *file, QString *anchor);

} // namespace helplocation
