#include "gradient/GradientRect.h"

#include "platform/Dialogs.h"

void reportGradientError(ErrorCode code)
{
    if (code != ErrorCode::None)
        MsgBox(gradientErrorText(code), vbExclamation, QStringLiteral("GradientRect.cls"));
}
