#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class QIODevice;

// Where the full pattern code lives inside a saved file: a PNG text chunk with this keyword, or
// an element of this name and namespace inside the SVG's <metadata>.
inline constexpr char patternCodeKeyword[] = "PatternCode";
inline constexpr char patternCodeElement[] = "patternCode";
inline constexpr char patternCodeNamespace[] = "urn:x-pattern-designer:1";

// Why no code came out of a file.
// Damaged: the file's structure is broken (cut short, a wrong checksum, a code far too long);
// DamagedCode: the file is sound but the chunk holding the code cannot be read (bad compression,
// text that is not UTF-8).
enum class PatternFileProblem { None, Unreadable, Empty, NotPatternFile, Damaged, NoCode, DamagedCode };

// The code as written in the file, trimmed, not yet checked; empty unless problem is None.
struct PatternFileCode
{
    QString code;
    PatternFileProblem problem = PatternFileProblem::None;
};

// No more than this is read from any file: a code sits near the start of the files we write, and
// whatever a stranger hands us costs no more memory than this.
inline constexpr qint64 patternFileReadLimit = 4 * 1024 * 1024;

// The code from a PNG's text chunks or an SVG's metadata, read without decoding the picture.
PatternFileCode readPatternFileCode(const QString& path);
// The same for a file named by its bytes, as the system gives them: a name that is not UTF-8
// (which no QString holds) is still opened.
PatternFileCode readPatternFileCodeByLocalName(const QByteArray& localName);
// The same from an open device, reading at most patternFileReadLimit bytes from it.
PatternFileCode readPatternCodeFromDevice(QIODevice& device);
// The same from bytes in memory; only the first patternFileReadLimit bytes are looked at.
PatternFileCode readPatternCodeFromBytes(QByteArrayView bytes);
