#include "app/picker/GradientErrors.h"

#include "app/widgets/Dialogs.h"
#include "draw/gradient/GradientRenderer.h"

void reportGradientError(ErrorCode code)
{
    if (code != ErrorCode::None)
        MsgBox(gradientErrorText(code), vbExclamation, QStringLiteral("GradientRect.cls"));
}
