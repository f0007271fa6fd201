#include "draw/base/Random.h"

namespace {

RandomStream processStream;

} // namespace

namespace RandomSource {

float next() { return processStream.next(); }

RandomStream& stream() { return processStream; }

void reset() { processStream = RandomStream(); }

} // namespace RandomSource
