#include "draw/surface/StepPainter.h"

void replay(const DrawingRecord& record, std::size_t first, std::size_t end, StepPainter& painter)
{
    std::size_t i = first;
    while (i < end) {
        std::size_t runs = i;
        while (runs < end && std::holds_alternative<DotRun>(record.steps[runs]))
            ++runs;
        if (runs > i) {
            painter.dots(record, i, runs);
            i = runs;
            continue;
        }
        const DrawingStep& step = record.steps[i++];
        if (const auto* line = std::get_if<RecordedLine>(&step))
            painter.line(*line);
        else if (const auto* outline = std::get_if<RecordedOutline>(&step))
            painter.outline(*outline);
        else if (const auto* fill = std::get_if<RecordedFill>(&step))
            painter.fill(*fill);
        else if (const auto* sweep = std::get_if<RecordedSweep>(&step))
            painter.sweep(*sweep->recipe);
        else if (const auto* crop = std::get_if<RecordedCrop>(&step))
            painter.crop(*crop);
    }
}
