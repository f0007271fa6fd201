#include "app/output/PatternClipboard.h"

#include "draw/surface/PictureSource.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

QMimeData* patternMimeData(const PatternPicture& pattern)
{
    auto* mime = new QMimeData;
    if (pattern.picture)
        mime->setImageData(FrameRenderer(pattern.picture, pattern.picture->size(), FrameContent::AsShown).render());
    mime->setText(pattern.fullCode.isEmpty() ? pattern.code : pattern.fullCode);
    return mime;
}

void copyPattern(const PatternPicture& pattern)
{
    QGuiApplication::clipboard()->setMimeData(patternMimeData(pattern));
}
