// Any text, read as a code and searched for codes: no crash, and every slide a text yields
// names itself again, exactly.
#include "draw/pattern/PatternCode.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const PatternCode::Reading& reading : {PatternCode::decode(text), PatternCode::find(text)}) {
        if (!reading.recipe)
            continue;
        const QString again = PatternCode::encode(*reading.recipe);
        const PatternCode::Reading back = PatternCode::decode(again);
        if (again.isEmpty() || !back.recipe || !(*back.recipe == *reading.recipe))
            std::abort();
    }
    return 0;
}
