// libFuzzer target for reading the pattern code back from a file's bytes: whatever the bytes, the
// reader returns a trimmed code of bounded length or names a problem, and never both.
#include "draw/pattern/PatternFileReader.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void require(bool condition, const char* what, const PatternFileCode& read)
{
    if (condition)
        return;
    std::fprintf(stderr, "broken: %s (problem %d, code \"%s\")\n", what, int(read.problem),
                 read.code.toUtf8().constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView bytes(data, static_cast<qsizetype>(size));
    const PatternFileCode read = readPatternCodeFromBytes(bytes);
    const bool found = read.problem == PatternFileProblem::None;
    require(found == !read.code.isEmpty(), "a code together with a problem, or neither", read);
    require(read.code == read.code.trimmed(), "code not trimmed", read);
    require(read.code.size() <= 256, "code longer than any we write", read);
    require(read.problem != PatternFileProblem::Unreadable, "bytes in memory called unreadable", read);
    require((read.problem == PatternFileProblem::Empty) == (size == 0), "empty input misjudged", read);
    return 0;
}
