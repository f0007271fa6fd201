#include "app/picker/GradientErrors.h"

#include "app/widgets/Dialogs.h"
#include "draw/gradient/GradientRenderer.h"

#include <QTimer>

void reportGradientError(ErrorCode code)
{
    if (code != ErrorCode::None)
        MsgBox(gradientErrorText(code), vbExclamation, QStringLiteral("GradientRect.cls"));
}

void reportPickerError(QWidget* owner, ErrorCode code)
{
    if (code != ErrorCode::None)
        MsgBox(gradientErrorText(code), vbExclamation, QString(), owner);
}

void reportAfterThisEvent(QObject* context, std::function<void()> report)
{
    QTimer::singleShot(0, context, std::move(report));
}
